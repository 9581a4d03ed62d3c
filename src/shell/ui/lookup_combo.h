#pragma once

#include <QString>

class QComboBox;
class QWidget;

namespace kv {

// A lookup whose drop-down shows one titled column ("Service", "Item") of the
// given width in characters; the box itself stays narrow enough for the
// captions beside it. Items are added with addItem(text, key) as usual.
QComboBox *makeTitledLookup(QWidget *parent, const QString &objectName, const QString &title, int widthChars);

} // namespace kv
