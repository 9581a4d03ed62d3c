#include "report/text_fitting.h"

#include "report/layout_tolerance.h"

#include <QList>
#include <algorithm>
#include <climits>

namespace kv {

namespace {

constexpr int kMaxMeasured = 4000; // characters measured at once

QString ellipsis()
{
    return QString(QChar(0x2026));
}

// Puts a word too wide for a whole line on as many lines as it needs: after
// its hyphens where that is enough, between characters only where a piece
// is still too wide. Answers the piece that stays open on the last line.
QString breakWord(const FontMeasure &m, QStringView word, double width, int maxLines, QStringList &lines)
{
    QString line;
    qsizetype start = 0;
    while (start < word.size() && lines.size() <= maxLines) {
        qsizetype end = word.indexOf(u'-', start);
        end = end < 0 ? word.size() : end + 1;
        const QStringView part = word.mid(start, end - start);
        start = end;
        QString joined = line;
        joined += part;
        if (textWidth(m, joined) <= width) {
            line = std::move(joined);
            continue;
        }
        if (!line.isEmpty())
            lines << line;
        line.clear();
        if (textWidth(m, part) <= width) {
            line = part.toString();
            continue;
        }
        double w = 0;
        for (qsizetype i = 0; i < part.size(); ++i) {
            // A surrogate pair is one character and never split.
            const qsizetype len = part.at(i).isHighSurrogate() && i + 1 < part.size() ? 2 : 1;
            const double cw = len == 1 ? m.width(part.at(i)) : m.width(part.mid(i, len).toString());
            if (!line.isEmpty() && w + cw > width) {
                lines << line;
                if (lines.size() > maxLines)
                    return QString();
                line.clear();
                w = 0;
            }
            line += part.mid(i, len);
            w += cw;
            i += len - 1;
        }
    }
    return line;
}

} // namespace

double textWidth(const FontMeasure &m, QStringView s)
{
    if (s.size() > kMaxMeasured)
        return m.width(s.left(kMaxMeasured).toString()) * double(s.size()) / kMaxMeasured;
    return m.width(s.toString());
}

int linesHeld(const FontMeasure &m, double height)
{
    return std::max(1, int((height + kLayoutEpsilon) / m.lineSpacing()));
}

QStringList wrapText(const FontMeasure &m, const QStringList &paragraphs, double width, int maxLines)
{
    QStringList lines;
    for (const QString &para : paragraphs) {
        const QList<QStringView> words = QStringView(para).split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty())
            lines << QString();
        QString line;
        for (QStringView word : words) {
            if (lines.size() > maxLines)
                return lines;
            if (!line.isEmpty()) {
                QString candidate = line;
                candidate += u' ';
                candidate += word;
                if (textWidth(m, candidate) <= width) {
                    line = candidate;
                    continue;
                }
                lines << line;
                line.clear();
            }
            line = textWidth(m, word) <= width ? word.toString() : breakWord(m, word, width, maxLines, lines);
        }
        if (!line.isEmpty())
            lines << line;
        if (lines.size() > maxLines)
            return lines;
    }
    return lines;
}

QString elideAtWord(const FontMeasure &m, const QString &text, double width)
{
    const double ell = m.width(ellipsis());
    QString best;
    qsizetype end = text.indexOf(u' ');
    while (end > 0) {
        QString prefix = text.left(end);
        while (!prefix.isEmpty() && QStringLiteral(" ,;:-/").contains(prefix.back()))
            prefix.chop(1);
        if (!prefix.isEmpty()) {
            if (textWidth(m, prefix) + ell > width)
                break;
            best = prefix;
        }
        end = text.indexOf(u' ', end + 1);
    }
    if (!best.isEmpty())
        return best + ellipsis();
    const QString cut = m.elided(text.left(kMaxMeasured) + ellipsis(), width);
    return cut.isEmpty() ? ellipsis() : cut;
}

FittedText fitText(std::span<const FontMeasure *const> sizes, const QString &text, const FitBox &box)
{
    const double width = box.width + kLayoutEpsilon;
    const QStringList paragraphs = text.split(u'\n');
    const int n = int(sizes.size());
    // Whole lines first, as large as they fit...
    for (int s = 0; s < n; ++s) {
        const FontMeasure &f = *sizes[size_t(s)];
        if (paragraphs.size() > linesHeld(f, box.height))
            continue;
        if (std::all_of(paragraphs.begin(), paragraphs.end(), [&](const QString &l) { return textWidth(f, l) <= width; }))
            return {s, paragraphs, false};
    }
    // ...then wrapped inside the box...
    const bool mayWrap = box.wordWrap || box.stretch || box.shrink;
    if (mayWrap) {
        for (int s = 0; s < n; ++s) {
            const FontMeasure &f = *sizes[size_t(s)];
            const int most = linesHeld(f, box.height);
            QStringList lines = wrapText(f, paragraphs, width, most);
            if (lines.size() <= most)
                return {s, lines, false};
        }
        // ...or in a box that grows...
        if (box.stretch)
            return {n - 1, wrapText(*sizes.back(), paragraphs, width, INT_MAX), false};
    }
    // ...and only what none of that holds is shortened, visibly.
    const FontMeasure &f = *sizes.back();
    const int most = linesHeld(f, box.height);
    const QStringList all = mayWrap ? wrapText(f, paragraphs, width, most) : paragraphs;
    FittedText out{n - 1, {}, true};
    for (int i = 0; i < all.size() && i < most; ++i) {
        if (i == most - 1 && all.size() > most)
            out.lines << elideAtWord(f, all[i] + u' ' + all[i + 1], width);
        else if (textWidth(f, all[i]) > width)
            out.lines << elideAtWord(f, all[i], width);
        else
            out.lines << all[i];
    }
    return out;
}

} // namespace kv
