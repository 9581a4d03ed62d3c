#pragma once

#include <QCoreApplication>
#include <QString>

namespace kv {

// A text defined once away from the window that shows it (a message an
// operation and a window share, a caption in a table of constants) is marked
// where it is defined, so lupdate lists it under that context:
//
//     const QString RemoveMembers::kRemoveAllMembers =
//         QString::fromUtf8(QT_TRANSLATE_NOOP("RemoveMembers", "Remove all members from the list?"));
//
// and translated where it is shown, with the same context:
//
//     prompts.confirm(kv::shown("RemoveMembers", RemoveMembers::kRemoveAllMembers));
//
// Without an installed translation the English text comes back unchanged, so
// comparing with the constant still holds wherever no translation is loaded.
inline QString shown(const char *context, const char *sourceText)
{
    return QCoreApplication::translate(context, sourceText);
}

inline QString shown(const char *context, const QString &sourceText)
{
    return QCoreApplication::translate(context, sourceText.toUtf8().constData());
}

} // namespace kv
