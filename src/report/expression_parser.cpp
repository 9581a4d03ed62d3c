#include "report/expression_node.h"

#include "data/engine/db_error.h"

#include <cmath>

namespace kv {

namespace {

using Node = ReportExpression::Node;
using NodePtr = std::shared_ptr<const Node>;

struct FuncInfo
{
    const char *name;
    Node::Func func;
    int minArgs;
    int maxArgs; // -1: any number
};

const FuncInfo kFunctions[] = {
    {"FormatDate", Node::Func::FormatDate, 2, 2}, {"FormatNumber", Node::Func::FormatNumber, 2, 2},
    {"Upper", Node::Func::Upper, 1, 1},           {"Lower", Node::Func::Lower, 1, 1},
    {"Trim", Node::Func::Trim, 1, 1},             {"If", Node::Func::If, 2, 3},
    {"IfEmpty", Node::Func::IfEmpty, 2, 2},       {"Join", Node::Func::Join, 2, -1},
    {"YesNo", Node::Func::YesNo, 1, 1},           {"Lookup", Node::Func::Lookup, 2, 2},
};

struct VarInfo
{
    const char *name;
    Node::Var var;
};

const VarInfo kVariables[] = {
    {"PageNumber", Node::Var::PageNumber}, {"Page", Node::Var::PageNumber}, {"RowNumber", Node::Var::RowNumber},
    {"ListName", Node::Var::ListName},     {"PrintDate", Node::Var::PrintDate}, {"PrintTime", Node::Var::PrintTime},
    {"Title", Node::Var::Title},
};

// Deeper nesting than any template needs is refused before it can exhaust
// the stack (the parser and the evaluator both recurse per level).
constexpr int kMaxExpressionDepth = 100;

class ExprParser
{
public:
    ExprParser(const QString &text, const QString &place)
        : m_s(text)
        , m_place(place)
    {
    }

    NodePtr parseAll()
    {
        skipSpace();
        if (atEnd())
            return makeLiteral(QString());
        NodePtr n = parseConcat();
        skipSpace();
        if (!atEnd())
            fail(QStringLiteral("unexpected '%1'").arg(m_s.at(m_pos)));
        return n;
    }

private:
    [[noreturn]] void fail(const QString &what) const
    {
        throw Error(QStringLiteral("%1, column %2: %3").arg(m_place).arg(m_pos + 1).arg(what));
    }

    bool atEnd() const { return m_pos >= m_s.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_s.at(m_pos); }
    void skipSpace()
    {
        while (!atEnd() && m_s.at(m_pos).isSpace())
            ++m_pos;
    }

    static NodePtr makeLiteral(const QVariant &v)
    {
        auto n = std::make_shared<Node>();
        n->kind = Node::Kind::Literal;
        n->literal = v;
        return n;
    }

    NodePtr parseConcat()
    {
        NodePtr first = parseTerm();
        skipSpace();
        if (peek() != QLatin1Char('+'))
            return first;
        auto n = std::make_shared<Node>();
        n->kind = Node::Kind::Concat;
        n->args.push_back(first);
        while (peek() == QLatin1Char('+')) {
            ++m_pos;
            n->args.push_back(parseTerm());
            skipSpace();
        }
        return n;
    }

    NodePtr parseTerm()
    {
        skipSpace();
        if (atEnd())
            fail(QStringLiteral("a value is expected"));
        const QChar c = peek();
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            return parseString(c);
        if (c.isDigit())
            return parseNumber();
        if (c == QLatin1Char('(')) {
            const Nesting level(*this);
            ++m_pos;
            NodePtr inner = parseConcat();
            skipSpace();
            if (peek() != QLatin1Char(')'))
                fail(QStringLiteral("')' expected"));
            ++m_pos;
            return inner;
        }
        if (c.isLetter() || c == QLatin1Char('_'))
            return parseName();
        fail(QStringLiteral("unexpected '%1'").arg(c));
    }

    NodePtr parseString(QChar quote)
    {
        const int start = m_pos;
        ++m_pos;
        QString out;
        for (;;) {
            if (atEnd()) {
                m_pos = start;
                fail(QStringLiteral("text not closed"));
            }
            const QChar c = m_s.at(m_pos++);
            if (c == quote) {
                if (peek() == quote) { // a doubled quote stands for itself
                    out += quote;
                    ++m_pos;
                    continue;
                }
                break;
            }
            out += c;
        }
        return makeLiteral(out);
    }

    NodePtr parseNumber()
    {
        const int start = m_pos;
        while (!atEnd() && (peek().isDigit() || peek() == QLatin1Char('.')))
            ++m_pos;
        bool ok = false;
        const double v = m_s.mid(start, m_pos - start).toDouble(&ok);
        if (!ok) {
            m_pos = start;
            fail(QStringLiteral("bad number"));
        }
        // Whole numbers print without a fraction; only those a 64-bit integer
        // holds exactly are converted (anything larger is undefined to convert).
        if (std::abs(v) < 9.0e15 && v == std::trunc(v))
            return makeLiteral(qint64(v));
        return makeLiteral(v);
    }

    QString identifier()
    {
        const int start = m_pos;
        while (!atEnd() && (peek().isLetterOrNumber() || peek() == QLatin1Char('_')))
            ++m_pos;
        return m_s.mid(start, m_pos - start);
    }

    NodePtr parseName()
    {
        const int start = m_pos;
        const QString first = identifier();
        skipSpace();
        if (peek() == QLatin1Char('(')) {
            const FuncInfo *info = nullptr;
            for (const FuncInfo &f : kFunctions)
                if (first.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
                    info = &f;
            if (!info) {
                m_pos = start;
                fail(QStringLiteral("unknown function '%1'").arg(first));
            }
            const Nesting level(*this);
            ++m_pos;
            auto n = std::make_shared<Node>();
            n->kind = Node::Kind::Call;
            n->func = info->func;
            skipSpace();
            if (peek() != QLatin1Char(')')) {
                for (;;) {
                    n->args.push_back(parseConcat());
                    skipSpace();
                    if (peek() == QLatin1Char(',')) {
                        ++m_pos;
                        continue;
                    }
                    if (peek() == QLatin1Char(')'))
                        break;
                    fail(QStringLiteral("',' or ')' expected"));
                }
            }
            ++m_pos;
            const int count = int(n->args.size());
            if (count < info->minArgs || (info->maxArgs >= 0 && count > info->maxArgs)) {
                m_pos = start;
                fail(QStringLiteral("%1 takes %2 argument(s), not %3")
                         .arg(QLatin1String(info->name))
                         .arg(info->maxArgs == info->minArgs ? QString::number(info->minArgs)
                                                             : QStringLiteral("at least %1").arg(info->minArgs))
                         .arg(count));
            }
            if (info->func == Node::Func::Lookup
                && (n->args[0]->kind != Node::Kind::Field || n->args[0]->source.isEmpty())) {
                m_pos = start;
                fail(QStringLiteral("Lookup takes a field of a named source first, such as Services.Service_Desc"));
            }
            return n;
        }
        auto n = std::make_shared<Node>();
        if (peek() == QLatin1Char('.')) {
            ++m_pos;
            const QString field = identifier();
            if (field.isEmpty())
                fail(QStringLiteral("a field name is expected after '%1.'").arg(first));
            n->kind = Node::Kind::Field;
            n->source = first;
            n->field = field;
            return n;
        }
        for (const VarInfo &v : kVariables) {
            if (first.compare(QLatin1String(v.name), Qt::CaseInsensitive) == 0) {
                n->kind = Node::Kind::Variable;
                n->var = v.var;
                return n;
            }
        }
        n->kind = Node::Kind::Field;
        n->field = first;
        return n;
    }

    struct Nesting
    {
        explicit Nesting(ExprParser &p)
            : parser(p)
        {
            if (++parser.m_depth > kMaxExpressionDepth)
                parser.fail(QStringLiteral("nested deeper than %1 levels of parentheses and calls").arg(kMaxExpressionDepth));
        }
        ~Nesting() { --parser.m_depth; }
        ExprParser &parser;
    };

    const QString &m_s;
    QString m_place;
    int m_pos = 0;
    int m_depth = 0;
};
} // namespace

ReportExpression::ReportExpression() = default;
ReportExpression::~ReportExpression() = default;
ReportExpression::ReportExpression(const ReportExpression &) = default;
ReportExpression &ReportExpression::operator=(const ReportExpression &) = default;
ReportExpression::ReportExpression(ReportExpression &&) noexcept = default;
ReportExpression &ReportExpression::operator=(ReportExpression &&) noexcept = default;

ReportExpression ReportExpression::parse(const QString &text, const QString &place)
{
    ReportExpression e;
    e.m_text = text;
    e.m_root = ExprParser(text, place).parseAll();
    return e;
}

ReportExpression ReportExpression::literal(const QString &text)
{
    ReportExpression e;
    e.m_text = text;
    auto n = std::make_shared<Node>();
    n->literal = text;
    e.m_root = n;
    return e;
}

bool ReportExpression::isLiteral() const
{
    return !m_root || m_root->kind == Node::Kind::Literal;
}
} // namespace kv
