#pragma once

class QWidget;

namespace kv {

// Gives each control under root that a screen reader could not name (no
// accessible name, no label pointing at it, no text of its own) the caption
// the user reads beside it: the label on its left in the same layout row, or
// else the title of the group box it sits in. A form calls it once, after
// building, so a described caption is spoken without being written twice; a
// control whose label is set as its buddy is left to Qt.
void nameControlsForScreenReaders(QWidget *root);

} // namespace kv
