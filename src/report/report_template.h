#pragma once

#include "report/report_expression.h"

#include <QByteArray>
#include <QColor>
#include <QMarginsF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>

namespace kv {

struct ReportFont
{
    QString family = QStringLiteral("Arial");
    double size = 10; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

struct ReportItem
{
    enum class Kind { Text, Line, Box };
    Kind kind = Kind::Text;
    double x = 0, y = 0, width = 0, height = 0; // millimetres from the band's top left
    ReportFont font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    bool wordWrap = false;
    // "shrink": a value too long for the box is drawn smaller, down to
    // minSize, before it wraps; only what not even a wrap at minSize holds is
    // shortened (and counted as cut).
    enum class Fit { None, Shrink };
    Fit fit = Fit::None;
    double minSize = 0; // points; the smallest size "shrink" may draw
    // The item grows downwards to hold all its text; its band grows with it
    // and the items below it move down.
    bool stretch = false;
    ReportExpression expr;
    double thickness = 0.25; // lines and box borders, millimetres; 0 = none
    QColor color = Qt::black; // text and lines
    QColor fill; // boxes; invalid = not filled
    QString path; // e.g. "detail.items[3]"
};

struct ReportBand
{
    bool present = false;
    double height = 0; // millimetres
    bool newPage = false; // detail only: every row after the first starts a page
    QColor alternateFill; // detail only: every other row is tinted
    QVector<ReportItem> items;
    bool stretches() const; // some item grows with its text
};

struct ReportColumns
{
    int count = 1;
    QVector<double> positions; // millimetres from the left margin
    double width = 0; // 0: the printable width divided by count
    double rowPitch = 0; // 0: the detail band's height
    bool acrossFirst = true; // labels fill a row before the next row
};

// A parsed ".rtm" file: page setup, columns and bands. Plain values; the
// file reader (template_reader.cpp) fills them in.
class ReportTemplate
{
public:
    static const QString kFormatName; // "kestrovan-report"
    static const qint64 kMaxFileSize; // bytes; larger files are refused unread
    static QString tooLargeText(const QString &fileName);

    // Throws kv::Error naming the file and the place (line and column of
    // broken JSON, or the JSON path of a bad value or expression).
    static ReportTemplate load(const QString &fileName);
    static ReportTemplate parse(const QByteArray &json, const QString &fileName);

    QString fileName;
    QString title;
    QString dataSource = QStringLiteral("DBPipelineListMembers");
    QSizeF pageSize = QSizeF(215.9, 279.4); // millimetres, portrait
    bool landscape = false;
    QMarginsF margins = QMarginsF(12.7, 12.7, 12.7, 12.7); // left, top, right, bottom
    ReportColumns columns;
    ReportBand pageHeader, header, detail, footer, pageFooter;

    // The paper as the renderer lays it out (landscape swaps the sides).
    QSizeF paperSize() const;
    QSizeF printableSize() const;
    // Every source the template names, the report's own one first.
    QStringList sourcesUsed() const;
};

} // namespace kv
