// The expression language on its own, one table: what a text evaluates to
// over one row, or the error its parse reports (with its column).

#include "data/engine/db_error.h"
#include "report/report_expression.h"
#include "report/report_sources.h"
#include "report/table_report_source.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

struct Case
{
    const char *expr;
    const char *expected; // the text, or the error after "expr, "
};

// Parses and evaluates over one member row; a parse error answers its text.
QString outcome(const QString &expr)
{
    kv::TableReportSource row(QStringList{QStringLiteral("Last_Name"), QStringLiteral("Born"), QStringLiteral("Empty")});
    row.addRow(QVector<QVariant>{QStringLiteral("O'Neil"), QStringLiteral("1941-03-09"), QVariant()});
    row.first();
    kv::ReportSources sources;
    sources.add(QStringLiteral("M"), &row);
    kv::ReportVariables vars;
    vars.pageNumber = 2;
    vars.rowNumber = 7;
    vars.title = QStringLiteral("Phones");
    vars.printTime = QDateTime(QDate(2026, 11, 2), QTime(14, 5));
    try {
        return kv::ReportExpression::parse(expr, QStringLiteral("expr")).evaluate(sources, QStringLiteral("M"), vars);
    } catch (const kv::Error &e) {
        return e.text();
    }
}

} // namespace

TEST(ReportExpressionTable, EvaluatesOrNamesTheColumnOfTheError)
{
    const QString deep = QString(101, QLatin1Char('(')) + QStringLiteral("1") + QString(101, QLatin1Char(')'));
    const Case cases[] = {
        // Literals: whole numbers print without a fraction, a doubled quote stands for itself.
        {"'a' + 1 + 2.5 + \"say \"\"hi\"\"\"", "a12.5say \"hi\""},
        {"   ", ""},
        // Names of functions, variables and fields are matched without regard to case.
        {"upper(last_name) + '/' + m.LAST_NAME", "O'NEIL/O'Neil"},
        {"rowNumber + '/' + PAGE + '/' + Title", "7/2/Phones"},
        {"PrintTime", "11/02/2026 2:05 PM"},
        // A date kept as text in the engine's form is still a date.
        {"FormatDate(Born, 'd MMM yyyy') + FormatDate('2026-11-02T14:05:00', ' h:mm')", "9 Mar 1941 14:05"},
        {"FormatNumber('abc', 2) + '/' + FormatNumber(3.14159, 99) + '/' + FormatNumber(Empty, 2)", "abc/3.1415900000/"},
        // "false", "0", "N", blanks and empty values are false; other text and numbers other than 0 are true.
        {"If('false', 'y', 'n') + If('0', 'y', 'n') + If(' n ', 'y', 'n') + If(Empty, 'y', 'n') + If(0.5, 'y', 'n') + If('x', 'y')",
         "nnnnyy"},
        {"Join('-', ' a ', '', Empty, 'b') + IfEmpty('  ', 'none')", "a-bnone"},
        // A source that cannot look up, and an empty key, answer nothing.
        {"Lookup(M.Last_Name, 1) + Lookup(M.Last_Name, Empty) + 'x'", "x"},
        {"(", "expr, column 2: a value is expected"},
        {"'a' 'b'", "expr, column 5: unexpected '''"},
        {"#", "expr, column 1: unexpected '#'"},
        {"1.2.3", "expr, column 1: bad number"},
        {"M.", "expr, column 3: a field name is expected after 'M.'"},
        {"Upper()", "expr, column 1: Upper takes 1 argument(s), not 0"},
        {"Join(',')", "expr, column 1: Join takes at least 2 argument(s), not 1"},
        {"If(1, 2", "expr, column 8: ',' or ')' expected"},
        {"(1", "expr, column 3: ')' expected"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expr);
        EXPECT_EQ(outcome(QString::fromUtf8(c.expr)), QString::fromUtf8(c.expected));
    }
    // Deeper nesting than any template needs is refused before it can exhaust the stack.
    EXPECT_EQ(outcome(deep), QStringLiteral("expr, column 101: nested deeper than 100 levels of parentheses and calls"));
}
