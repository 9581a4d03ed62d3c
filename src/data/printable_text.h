#pragma once

// Text from the database or a file, made safe for a terminal: a terminal runs
// control characters (ESC starts a sequence that can move the cursor, retitle
// the window or clear the screen), so each is shown as \xNN instead. Only
// what goes to a person's terminal is escaped; data written for a program
// (CSV, JSON, a file, a pipe) keeps every character.

#include <QString>

namespace kv {

// C0 controls, DEL and the C1 controls (U+0080 to U+009F) written as \xNN.
QString printableText(const QString &text);
bool isControlCharacter(char16_t c);

} // namespace kv
