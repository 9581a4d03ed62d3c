#pragma once

#include <QColor>
#include <QJsonValue>
#include <QMarginsF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>

namespace kv {

// Values a template can ask for besides fields: the run's own figures.
struct ReportVariables
{
    int pageNumber = 0;
    int rowNumber = 0; // 1-based number of the current member row; the count in footers
    QString listName;
    QDateTime printTime;
    QString title;
};

class ReportDataSource;

// Looks up the data source a field reference names; nullptr when unknown.
class ReportSourceLookup
{
public:
    virtual ~ReportSourceLookup() = default;
    virtual const ReportDataSource *source(const QString &name) const = 0;
};

// One compiled expression of a text item: literals, "+" concatenation, field
// references ("Last_Name" in the report's own source, "Source.Field" in a
// named one), variables and a few functions (see docs/report-templates.md).
class ReportExpression
{
public:
    struct Node;
    struct FieldRef
    {
        QString source; // empty: the report's own source
        QString field;
        QString path; // the item's place in the template, for error texts
    };

    ReportExpression();
    ~ReportExpression();
    ReportExpression(const ReportExpression &);
    ReportExpression &operator=(const ReportExpression &);
    ReportExpression(ReportExpression &&) noexcept;
    ReportExpression &operator=(ReportExpression &&) noexcept;

    // Throws kv::Error "<place>, column N: <what>" (the caller adds the file).
    static ReportExpression parse(const QString &text, const QString &place);
    static ReportExpression literal(const QString &text);

    QString text() const { return m_text; }
    bool isLiteral() const;
    QString evaluate(const ReportSourceLookup &sources, const QString &defaultSource, const ReportVariables &vars) const;
    // Every field the expression reads, so that a report can check them
    // against its sources before it draws anything.
    QVector<FieldRef> fieldRefs() const;

    // The text a value prints as when no format is asked for.
    static QString display(const QVariant &v);

private:
    QString m_text;
    std::shared_ptr<const Node> m_root;
};

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

// A parsed ".rtm" file: page setup, columns and bands.
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
