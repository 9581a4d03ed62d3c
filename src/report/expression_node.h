#pragma once

// The parsed form of a report expression, shared by its parser and its
// evaluator and seen by nobody else.

#include "report/report_expression.h"

#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace kv {

struct ReportExpression::Node
{
    enum class Kind { Literal, Field, Variable, Concat, Call };
    enum class Var { PageNumber, RowNumber, ListName, PrintDate, PrintTime, Title };
    enum class Func { FormatDate, FormatNumber, Upper, Lower, Trim, If, IfEmpty, Join, YesNo, Lookup };

    Kind kind = Kind::Literal;
    QVariant literal;
    QString source;
    QString field;
    Var var = Var::PageNumber;
    Func func = Func::Upper;
    std::vector<std::shared_ptr<const Node>> args;
};

} // namespace kv
