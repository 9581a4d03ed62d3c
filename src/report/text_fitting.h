#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <span>

namespace kv {

// What fitting needs to know of one font at one size, in device units. The
// renderer answers from Qt's font metrics; the unit tests from a fixed table.
class FontMeasure
{
public:
    virtual ~FontMeasure() = default;
    virtual double width(const QString &text) const = 0;
    virtual double width(QChar c) const = 0;
    virtual double lineSpacing() const = 0;
    // text shortened at its end, "…" included, to fit width (Qt's own rule).
    virtual QString elided(const QString &text, double width) const = 0;
};

// The box a value is fitted into and what the item allows, device units.
struct FitBox
{
    double width = 0;
    double height = 0;
    bool wordWrap = false;
    bool stretch = false; // the box grows downwards to hold every line
    bool shrink = false; // smaller sizes may be tried (and lines wrapped)
};

// The lines of one text value as they will be drawn.
struct FittedText
{
    int size = 0; // into the sizes fitText was given
    QStringList lines;
    bool cut = false; // part of the value was left out ("…")
};

// The width of s; a value far wider than any box is not measured whole: its
// first part already decides, and a value of a megabyte must not be shaped at once.
double textWidth(const FontMeasure &m, QStringView s);

// Lines of this font that a box of this height holds; at least one.
int linesHeld(const FontMeasure &m, double height);

// Breaks paragraphs into lines no wider than width: at blanks where it can,
// inside a word only when the word alone is wider than the box (after its
// hyphens where that is enough). Stops once there are more than maxLines
// lines; the caller then knows enough.
QStringList wrapText(const FontMeasure &m, const QStringList &paragraphs, double width, int maxLines);

// The longest start of text that fits width with "…" after it, ending at a
// word boundary where one fits: a name part is then left out whole, never
// shown half. Only a first word that is too wide on its own is cut inside.
QString elideAtWord(const FontMeasure &m, const QString &text, double width);

// Fits a value into its box with the sizes to try, largest first: whole lines
// as large as they fit, then wrapped inside the box, then (stretch) in a box
// that grows; only what none of that holds is shortened, visibly.
FittedText fitText(std::span<const FontMeasure *const> sizes, const QString &text, const FitBox &box);

} // namespace kv
