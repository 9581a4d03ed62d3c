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
// A text shown where it is written (a thrown error, a prompt built on the
// spot) needs no separate mark: scripts/lupdate collects kv::shown calls whose
// context and text are literals as it collects QCoreApplication::translate:
//
//     throw Error(kv::shown("ImportMembers", "Line %1 opens a quoted field that is never closed.").arg(line));
//
// A text with arguments is translated as its pattern, then given them, so a
// translator sees the %1 and may move it.
//
// Without an installed translation the English text comes back unchanged, so
// comparing with the constant still holds wherever no translation is loaded.
// Texts the system stores (history notes, settings) and SQL are never shown
// through here: they stay the same whatever language the user reads.
inline QString shown(const char *context, const char *sourceText)
{
    return QCoreApplication::translate(context, sourceText);
}

inline QString shown(const char *context, const QString &sourceText)
{
    return QCoreApplication::translate(context, sourceText.toUtf8().constData());
}

} // namespace kv
