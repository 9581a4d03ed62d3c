#pragma once

#include <QString>

namespace kv {

// A described caption with the letter that reaches it from the keyboard
// (Alt+letter, or the letter in an open menu) underlined. The caption stays
// the described text, translated as such; marked is that text with '&'
// before the letter. A translation keeps only the marks it has itself.
inline QString withMnemonic(const QString &shown, const QString &marked)
{
    return shown == QString(marked).remove(QLatin1Char('&')) ? marked : shown;
}

} // namespace kv
