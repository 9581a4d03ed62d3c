#pragma once

#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

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

} // namespace kv
