// Text fitting over fixed font measurements, one table: every code point is
// as wide as its size says, so each case can be worked out by hand.

#include "report/text_fitting.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// A font whose every character (code point, "…" included) is `advance` wide.
class FixedMeasure : public kv::FontMeasure
{
public:
    FixedMeasure(double advance, double lineSpacing)
        : m_advance(advance)
        , m_lineSpacing(lineSpacing)
    {
    }
    double width(const QString &text) const override { return m_advance * double(text.toUcs4().size()); }
    double width(QChar) const override { return m_advance; }
    double lineSpacing() const override { return m_lineSpacing; }
    QString elided(const QString &text, double width) const override
    {
        if (this->width(text) <= width)
            return text;
        QString out;
        for (char32_t c : text.toUcs4()) {
            const QString next = out + QString::fromUcs4(&c, 1);
            if (this->width(next) + m_advance > width)
                break;
            out = next;
        }
        return out.isEmpty() ? QString() : out + QChar(0x2026);
    }

private:
    double m_advance;
    double m_lineSpacing;
};

const FixedMeasure kLarge(2, 4); // the item's own size
const FixedMeasure kSmall(1, 2); // the size "shrink" may go down to

struct Case
{
    const char *text;
    kv::FitBox box; // width, height, wordWrap, stretch, shrink
    int size; // 0: large, 1: small
    const char *lines; // joined by '|'
    bool cut;
};

} // namespace

TEST(TextFittingTable, LargestWholeLinesThenWrapsThenGrowsAndOnlyThenCutsAtAWord)
{
    const Case cases[] = {
        {"abc", {10, 4, false, false, false}, 0, "abc", false},
        {"abcdefgh", {10, 4, false, false, false}, 0, "abcd\u2026", true},
        {"ab cd ef", {10, 8, true, false, false}, 0, "ab cd|ef", false},
        // A smaller size on one line comes before a wrap.
        {"abcdefgh", {10, 4, false, false, true}, 1, "abcdefgh", false},
        {"ab cd ef gh ij kl mn op qr st uv", {10, 4, false, false, true}, 1, "ab cd ef|gh ij kl\u2026", true},
        // A word wider than the box breaks after its hyphen, else between characters, never inside a surrogate pair.
        {"abc-defgh", {10, 8, true, false, false}, 0, "abc-|defgh", false},
        {"abcdefgh", {6, 12, true, false, false}, 0, "abc|def|gh", false},
        {"a\U0001F600b", {2, 12, true, false, false}, 0, "a|\U0001F600|b", false},
        {"ab cd ef gh ij", {10, 4, false, true, false}, 0, "ab cd|ef gh|ij", false},
        // What no wrap holds is shortened at a word boundary.
        {"ab cd ef", {10, 4, true, false, false}, 0, "ab\u2026", true},
        {"a\nb", {10, 4, false, false, false}, 0, "a\u2026", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<const kv::FontMeasure *> sizes{&kLarge};
        if (c.box.shrink)
            sizes.push_back(&kSmall);
        const kv::FittedText fit = kv::fitText(sizes, QString::fromUtf8(c.text), c.box);
        EXPECT_EQ(fit.size, c.size);
        EXPECT_EQ(fit.lines.join(QLatin1Char('|')), QString::fromUtf8(c.lines));
        EXPECT_EQ(fit.cut, c.cut);
    }
}
