#include "data/printable_text.h"

namespace kv {

bool isControlCharacter(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

QString printableText(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && !isControlCharacter(text.at(i).unicode()))
        ++i;
    if (i == text.size())
        return text;
    QString out = text.left(i);
    for (; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (isControlCharacter(u))
            out += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            out += text.at(i);
    }
    return out;
}

} // namespace kv
