#include "members/rowset/member_filter.h"

#include "data/engine/db_error.h"
#include "members/rowset/column_store.h"

#include <QDate>
#include <QDateTime>

namespace kv {

using rowset::ColumnStore;
using rowset::Kind;

void MemberFilter::fail(const QString &why) const
{
    throw Error(QStringLiteral("Invalid filter expression \"%1\": %2").arg(m_text, why));
}

bool MemberFilter::acceptWord(const char *word)
{
    if (peek().type == Token::Ident && peek().text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) {
        ++m_pos;
        return true;
    }
    return false;
}

int MemberFilter::add(Node n)
{
    m_nodes.push_back(std::move(n));
    return int(m_nodes.size()) - 1;
}

void MemberFilter::tokenize()
{
    const QString &t = m_text;
    int i = 0;
    while (i < t.size()) {
        const QChar c = t.at(i);
        if (c.isSpace()) {
            ++i;
        } else if (c == QLatin1Char('\'')) {
            QString s;
            ++i;
            bool closed = false;
            while (i < t.size()) {
                if (t.at(i) == QLatin1Char('\'')) {
                    if (i + 1 < t.size() && t.at(i + 1) == QLatin1Char('\'')) {
                        s += QLatin1Char('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                s += t.at(i++);
            }
            if (!closed)
                fail(QStringLiteral("unterminated text"));
            m_tokens.push_back({Token::String, s});
        } else if (c.isDigit() || (c == QLatin1Char('-') && i + 1 < t.size() && t.at(i + 1).isDigit())) {
            int j = i + 1;
            while (j < t.size() && (t.at(j).isDigit() || t.at(j) == QLatin1Char('.')))
                ++j;
            m_tokens.push_back({Token::Number, t.mid(i, j - i)});
            i = j;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i + 1;
            while (j < t.size() && (t.at(j).isLetterOrNumber() || t.at(j) == QLatin1Char('_')))
                ++j;
            m_tokens.push_back({Token::Ident, t.mid(i, j - i)});
            i = j;
        } else if (c == QLatin1Char('(')) {
            m_tokens.push_back({Token::LParen, QStringLiteral("(")});
            ++i;
        } else if (c == QLatin1Char(')')) {
            m_tokens.push_back({Token::RParen, QStringLiteral(")")});
            ++i;
        } else if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!')) {
            QString op(c);
            if (i + 1 < t.size() && (t.at(i + 1) == QLatin1Char('=') || (c == QLatin1Char('<') && t.at(i + 1) == QLatin1Char('>'))))
                op += t.at(i + 1);
            if (op == QLatin1String("!"))
                fail(QStringLiteral("unexpected '!'"));
            m_tokens.push_back({Token::Op, op});
            i += op.size();
        } else {
            fail(QStringLiteral("unexpected '%1'").arg(c));
        }
    }
    m_tokens.push_back({Token::End, QString()});
}

std::unique_ptr<MemberFilter> MemberFilter::parse(const QString &text)
{
    auto f = std::make_unique<MemberFilter>();
    f->m_text = text;
    f->tokenize();
    if (f->peek().type == Token::End) {
        Node all;
        all.kind = NodeKind::Const;
        all.constant = true;
        f->m_root = f->add(all);
        return f;
    }
    f->m_root = f->parseOr();
    if (f->peek().type != Token::End)
        f->fail(QStringLiteral("unexpected \"%1\"").arg(f->peek().text));
    return f;
}

int MemberFilter::parseOr()
{
    const int first = parseAnd();
    if (!acceptWord("or"))
        return first;
    Node n;
    n.kind = NodeKind::Or;
    n.operands.push_back(first);
    do
        n.operands.push_back(parseAnd());
    while (acceptWord("or"));
    return add(std::move(n));
}

int MemberFilter::parseAnd()
{
    const int first = parseUnary();
    if (!acceptWord("and"))
        return first;
    Node n;
    n.kind = NodeKind::And;
    n.operands.push_back(first);
    do
        n.operands.push_back(parseUnary());
    while (acceptWord("and"));
    return add(std::move(n));
}

int MemberFilter::parseUnary()
{
    // A failed parse throws the whole filter away, so the depth needs no unwinding.
    if (++m_depth > kMaxDepth)
        fail(QStringLiteral("nested too deeply"));
    int result = -1;
    if (acceptWord("not")) {
        Node n;
        n.kind = NodeKind::Not;
        n.operands.push_back(parseUnary());
        result = add(std::move(n));
    } else if (peek().type == Token::LParen) {
        ++m_pos;
        result = parseOr();
        if (peek().type != Token::RParen)
            fail(QStringLiteral("missing ')'"));
        ++m_pos;
    } else {
        result = parseComparison();
    }
    --m_depth;
    return result;
}

int MemberFilter::parseComparison()
{
    if (peek().type != Token::Ident)
        fail(QStringLiteral("a field name was expected"));
    Node n;
    n.kind = NodeKind::Cmp;
    n.field = MemberFields::fieldIndex(peek().text);
    if (n.field < 0)
        fail(QStringLiteral("field \"%1\" not found").arg(peek().text));
    ++m_pos;
    if (acceptWord("is")) {
        n.op = acceptWord("not") ? Op::Ne : Op::Eq;
        if (!acceptWord("null"))
            fail(QStringLiteral("NULL was expected"));
        n.literalNull = true;
        return add(n);
    }
    if (peek().type != Token::Op)
        fail(QStringLiteral("a comparison was expected"));
    const QString op = peek().text;
    ++m_pos;
    if (op == QLatin1String("="))
        n.op = Op::Eq;
    else if (op == QLatin1String("<>") || op == QLatin1String("!="))
        n.op = Op::Ne;
    else if (op == QLatin1String("<"))
        n.op = Op::Lt;
    else if (op == QLatin1String("<="))
        n.op = Op::Le;
    else if (op == QLatin1String(">"))
        n.op = Op::Gt;
    else if (op == QLatin1String(">="))
        n.op = Op::Ge;
    else
        fail(QStringLiteral("unknown operator \"%1\"").arg(op));

    const Token lit = peek();
    if (lit.type != Token::End)
        ++m_pos;
    const Kind kind = rowset::fieldDef(n.field).kind;
    const QLatin1String fieldName(rowset::fieldDef(n.field).name);
    if (lit.type == Token::Ident && lit.text.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0) {
        if (n.op != Op::Eq && n.op != Op::Ne)
            fail(QStringLiteral("NULL can only be compared with = or <>"));
        n.literalNull = true;
    } else if (lit.type == Token::Ident
               && (lit.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                   || lit.text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)) {
        const bool b = lit.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        if (kind != Kind::Bool)
            fail(QStringLiteral("field \"%1\" is not a Boolean").arg(fieldName));
        n.literal = b;
    } else if (lit.type == Token::Number) {
        if (kind != Kind::Int)
            fail(QStringLiteral("field \"%1\" is not a number").arg(fieldName));
        n.literal = lit.text.toLongLong();
    } else if (lit.type == Token::String) {
        switch (kind) {
        case Kind::Char:
        case Kind::Text: n.literal = lit.text; break;
        case Kind::Int: {
            bool ok = false;
            const qint64 x = lit.text.toLongLong(&ok);
            if (!ok)
                fail(QStringLiteral("\"%1\" is not a number").arg(lit.text));
            n.literal = x;
            break;
        }
        case Kind::Date: {
            const QDate d = QDate::fromString(lit.text, Qt::ISODate);
            if (!d.isValid())
                fail(QStringLiteral("\"%1\" is not a date").arg(lit.text));
            n.literal = qint64(d.toJulianDay());
            break;
        }
        case Kind::DateTime: {
            const QDateTime d = QDateTime::fromString(lit.text, Qt::ISODate);
            if (!d.isValid())
                fail(QStringLiteral("\"%1\" is not a date and time").arg(lit.text));
            n.literal = d.date().toJulianDay() * rowset::kMsPerDay + d.time().msecsSinceStartOfDay();
            break;
        }
        case Kind::Bool: fail(QStringLiteral("a Boolean field takes True or False"));
        }
    } else {
        fail(QStringLiteral("a value was expected"));
    }
    return add(n);
}

bool MemberFilter::eval(int node, const ColumnStore &s, int row) const
{
    const Node &n = m_nodes[node];
    switch (n.kind) {
    case NodeKind::Const: return n.constant;
    case NodeKind::And:
        for (int o : n.operands)
            if (!eval(o, s, row))
                return false;
        return true;
    case NodeKind::Or:
        for (int o : n.operands)
            if (eval(o, s, row))
                return true;
        return false;
    case NodeKind::Not: return !eval(n.operands.front(), s, row);
    case NodeKind::Cmp: return compare(n, s, row);
    }
    return false;
}

bool MemberFilter::compare(const Node &n, const ColumnStore &s, int row) const
{
    const bool empty = s.isEmpty(row, n.field);
    if (n.literalNull)
        return n.op == Op::Eq ? empty : !empty;
    // Any other comparison with an empty value fails.
    if (empty)
        return false;
    int c = 0;
    const int slot = ColumnStore::slot(n.field);
    auto threeWay = [](qint64 a, qint64 b) { return a < b ? -1 : (a > b ? 1 : 0); };
    switch (rowset::fieldDef(n.field).kind) {
    case Kind::Int: c = threeWay(s.ints[slot][row], n.literal.toLongLong()); break;
    case Kind::Char:
    case Kind::Text: c = s.text(row, n.field).compare(n.literal.toString(), Qt::CaseSensitive); break;
    case Kind::Date: c = threeWay(s.dates[slot][row], n.literal.toLongLong()); break;
    case Kind::DateTime: c = threeWay(s.dateTimes[slot][row], n.literal.toLongLong()); break;
    case Kind::Bool: c = threeWay(s.bools[slot][row], n.literal.toBool() ? 1 : 0); break;
    }
    switch (n.op) {
    case Op::Eq: return c == 0;
    case Op::Ne: return c != 0;
    case Op::Lt: return c < 0;
    case Op::Le: return c <= 0;
    case Op::Gt: return c > 0;
    case Op::Ge: return c >= 0;
    }
    return false;
}

} // namespace kv
