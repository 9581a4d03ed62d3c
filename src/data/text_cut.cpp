#include "data/text_cut.h"

namespace kv {

qsizetype characterCount(QStringView text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++n)
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    return n;
}

QStringView cutToWidth(QStringView text, qsizetype width)
{
    if (width <= 0)
        return text.left(0);
    // No text holds more characters than code units: most cuts end here.
    if (text.size() <= width)
        return text;
    qsizetype i = 0;
    for (qsizetype n = 0; n < width && i < text.size(); ++n) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            i += 2;
        else
            ++i;
    }
    return text.left(i);
}

QString cutToWidth(const QString &text, qsizetype width)
{
    const QStringView cut = cutToWidth(QStringView(text), width);
    return cut.size() == text.size() ? text : cut.toString();
}

} // namespace kv
