#include "members/member_row_set.h"

#include "data/engine/db_error.h"
#include "data/engine/row_stream.h"

#include <QHash>
#include <algorithm>
#include <climits>
#include <optional>

namespace kv {

namespace {

// How a field is stored: one typed column per field, text in a shared pool.
enum class Kind : quint8 { Int, Char, Text, Date, DateTime, Bool };

struct FieldDef
{
    const char *name;
    Kind kind;
    int size; // characters of a text field
};

const FieldDef kFields[MemberRowSet::FieldCount] = {
    {"Record_ID", Kind::Int, 0},       {"Person_ID", Kind::Int, 0},       {"Client_ID", Kind::Text, 7},
    {"First_Name", Kind::Text, 30},    {"Last_Name", Kind::Text, 50},     {"Address1", Kind::Text, 35},
    {"City", Kind::Text, 25},          {"Invited", Kind::Char, 1},        {"Confirmed", Kind::Char, 1},
    {"Quantity", Kind::Int, 0},        {"Svcs_Used", Kind::Int, 0},       {"Service_Desc", Kind::Text, 40},
    {"Status", Kind::Char, 1},         {"Start_Dte", Kind::Date, 0},      {"Stop_Dte", Kind::Date, 0},
    {"Dependent", Kind::Char, 1},      {"Household_Name", Kind::Text, 50}, {"Delivery_Type", Kind::Char, 1},
    {"Def_Rte", Kind::Text, 5},        {"Monday", Kind::Bool, 0},         {"Tuesday", Kind::Bool, 0},
    {"Wednesday", Kind::Bool, 0},      {"Thursday", Kind::Bool, 0},       {"Friday", Kind::Bool, 0},
    {"Saturday", Kind::Bool, 0},       {"Sunday", Kind::Bool, 0},         {"Add_Dte", Kind::Date, 0},
    {"Last_Update", Kind::DateTime, 0}, {"RecVisible", Kind::Bool, 0},    {"List_Name", Kind::Text, 50},
};

struct OrderDef
{
    const char *name;
    int field;
    bool noCase;
    bool descending;
};

const OrderDef kOrders[] = {
    {"Client_ID", MemberRowSet::Client_ID, false, false},
    {"First_Name", MemberRowSet::First_Name, true, false},
    {"Last_Name", MemberRowSet::Last_Name, true, false},
    {"City", MemberRowSet::City, true, false},
    {"Household_Name", MemberRowSet::Household_Name, true, false},
    {"Invited", MemberRowSet::Invited, false, false},
    {"Confirmed", MemberRowSet::Confirmed, false, false},
    {"Quantity", MemberRowSet::Quantity, false, false},
    {"Service_Desc", MemberRowSet::Service_Desc, true, false},
    {"Status", MemberRowSet::Status, false, false},
    {"Dependent", MemberRowSet::Dependent, false, false},
    {"Def_Rte", MemberRowSet::Def_Rte, false, false},
    {"Monday", MemberRowSet::Monday, false, false},
    {"Tuesday", MemberRowSet::Tuesday, false, false},
    {"Wednesday", MemberRowSet::Wednesday, false, false},
    {"Thursday", MemberRowSet::Thursday, false, false},
    {"Friday", MemberRowSet::Friday, false, false},
    {"Saturday", MemberRowSet::Saturday, false, false},
    {"Sunday", MemberRowSet::Sunday, false, false},
    {"Delivery_Type", MemberRowSet::Delivery_Type, false, false},
    {"Start", MemberRowSet::Start_Dte, false, false},
    {"Stop", MemberRowSet::Stop_Dte, false, false},
    {"Added", MemberRowSet::Add_Dte, false, false},
    {"Added_Desc", MemberRowSet::Add_Dte, false, true},
};
constexpr int kOrderCount = int(sizeof(kOrders) / sizeof(kOrders[0]));

constexpr qint32 kNullInt = INT_MIN;
constexpr qint64 kNullDateTime = LLONG_MIN;
constexpr qint64 kMsPerDay = 86400000;

int orderIndexOf(const QString &name)
{
    for (int i = 0; i < kOrderCount; ++i)
        if (name.compare(QLatin1String(kOrders[i].name), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

// Slot of a field within the columns of its kind.
struct Slots
{
    int slot[MemberRowSet::FieldCount];
    int count[6] = {0, 0, 0, 0, 0, 0};
    Slots()
    {
        for (int f = 0; f < MemberRowSet::FieldCount; ++f)
            slot[f] = count[int(kFields[f].kind)]++;
    }
};
const Slots &fieldSlots()
{
    static const Slots s;
    return s;
}

} // namespace

// ---------------------------------------------------------------------------
// Storage: one typed vector per field; text in one pooled buffer per field.

struct TextColumn
{
    QString pool;
    std::vector<quint32> off;
    std::vector<quint16> len;

    QStringView at(int row) const { return QStringView(pool).mid(off[row], len[row]); }
    void append(QStringView s)
    {
        // Runs of equal values (the list name, a city) share their text.
        if (!off.empty() && len.back() == s.size() && at(int(off.size()) - 1) == s) {
            off.push_back(off.back());
            len.push_back(len.back());
            return;
        }
        off.push_back(quint32(pool.size()));
        len.push_back(quint16(s.size()));
        pool.append(s);
    }
    void set(int row, QStringView s)
    {
        if (at(row) == s)
            return;
        off[row] = quint32(pool.size());
        len[row] = quint16(s.size());
        pool.append(s);
    }
};

struct MemberRowSet::Storage
{
    int rows = 0;
    std::vector<std::vector<qint32>> ints;
    std::vector<std::vector<char16_t>> chars;
    std::vector<TextColumn> texts;
    std::vector<std::vector<qint32>> dates;
    std::vector<std::vector<qint64>> dateTimes;
    std::vector<std::vector<qint8>> bools;
    std::vector<quint8> deleted;
    std::optional<std::vector<int>> orderCache[kOrderCount];

    Storage()
    {
        const Slots &s = fieldSlots();
        ints.resize(s.count[int(Kind::Int)]);
        chars.resize(s.count[int(Kind::Char)]);
        texts.resize(s.count[int(Kind::Text)]);
        dates.resize(s.count[int(Kind::Date)]);
        dateTimes.resize(s.count[int(Kind::DateTime)]);
        bools.resize(s.count[int(Kind::Bool)]);
    }

    static Kind kind(int f) { return kFields[f].kind; }
    static int slot(int f) { return fieldSlots().slot[f]; }

    bool isEmpty(int row, int f) const
    {
        switch (kind(f)) {
        case Kind::Int: return ints[slot(f)][row] == kNullInt;
        case Kind::Char: return chars[slot(f)][row] == 0;
        case Kind::Text: return texts[slot(f)].len[row] == 0;
        case Kind::Date: return dates[slot(f)][row] == kNullInt;
        case Kind::DateTime: return dateTimes[slot(f)][row] == kNullDateTime;
        case Kind::Bool: return bools[slot(f)][row] < 0;
        }
        return true;
    }

    QStringView text(int row, int f) const
    {
        if (kind(f) == Kind::Char) {
            const char16_t &c = chars[slot(f)][row];
            return c ? QStringView(&c, 1) : QStringView();
        }
        return texts[slot(f)].at(row);
    }

    QVariant value(int row, int f) const
    {
        if (isEmpty(row, f))
            return QVariant();
        switch (kind(f)) {
        case Kind::Int: return QVariant(int(ints[slot(f)][row]));
        case Kind::Char: return QVariant(QString(QChar(chars[slot(f)][row])));
        case Kind::Text: return QVariant(texts[slot(f)].at(row).toString());
        case Kind::Date: return QVariant(QDate::fromJulianDay(dates[slot(f)][row]));
        case Kind::DateTime: {
            const qint64 t = dateTimes[slot(f)][row];
            return QVariant(QDateTime(QDate::fromJulianDay(t / kMsPerDay), QTime::fromMSecsSinceStartOfDay(int(t % kMsPerDay))));
        }
        case Kind::Bool: return QVariant(bools[slot(f)][row] != 0);
        }
        return QVariant();
    }

    static QString clipped(const QVariant &v, int f)
    {
        QString s = v.toString();
        if (kFields[f].size > 0 && s.size() > kFields[f].size)
            s.truncate(kFields[f].size);
        return s;
    }

    // Appends (row == rows) or replaces one value; null and empty text are the same.
    void put(int row, int f, const QVariant &v, bool append)
    {
        const bool null = !v.isValid() || v.isNull();
        switch (kind(f)) {
        case Kind::Int: {
            bool ok = false;
            const qint32 x = null ? kNullInt : qint32(v.toLongLong(&ok));
            const qint32 stored = (null || !ok) ? kNullInt : x;
            if (append)
                ints[slot(f)].push_back(stored);
            else
                ints[slot(f)][row] = stored;
            break;
        }
        case Kind::Char: {
            char16_t c = 0;
            if (!null) {
                const QString s = v.toString();
                c = s.isEmpty() ? 0 : s.at(0).unicode();
            }
            if (append)
                chars[slot(f)].push_back(c);
            else
                chars[slot(f)][row] = c;
            break;
        }
        case Kind::Text: {
            const QString s = null ? QString() : clipped(v, f);
            if (append)
                texts[slot(f)].append(s);
            else
                texts[slot(f)].set(row, s);
            break;
        }
        case Kind::Date: {
            qint32 d = kNullInt;
            if (!null) {
                const QDate date = v.typeId() == QMetaType::QDate ? v.toDate()
                    : v.typeId() == QMetaType::QDateTime          ? v.toDateTime().date()
                                                                  : QDate::fromString(v.toString().left(10), Qt::ISODate);
                if (date.isValid())
                    d = qint32(date.toJulianDay());
            }
            if (append)
                dates[slot(f)].push_back(d);
            else
                dates[slot(f)][row] = d;
            break;
        }
        case Kind::DateTime: {
            qint64 t = kNullDateTime;
            if (!null) {
                QDateTime dt = v.typeId() == QMetaType::QDateTime ? v.toDateTime()
                                                                   : QDateTime::fromString(v.toString(), Qt::ISODate);
                // Kept as the wall-clock date and time it was read as: no time-zone work per row.
                if (dt.isValid())
                    t = dt.date().toJulianDay() * kMsPerDay + dt.time().msecsSinceStartOfDay();
            }
            if (append)
                dateTimes[slot(f)].push_back(t);
            else
                dateTimes[slot(f)][row] = t;
            break;
        }
        case Kind::Bool: {
            qint8 b = -1;
            if (!null) {
                if (v.typeId() == QMetaType::QString) {
                    const QString s = v.toString().trimmed();
                    b = (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || s == QLatin1String("1")
                         || s.compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0)
                        ? 1
                        : 0;
                } else {
                    b = v.toBool() ? 1 : 0;
                }
            }
            if (append)
                bools[slot(f)].push_back(b);
            else
                bools[slot(f)][row] = b;
            break;
        }
        }
    }

    // Three-way comparison of two rows on one field; empty values first.
    int compare(int f, bool noCase, int a, int b) const
    {
        const bool ea = isEmpty(a, f), eb = isEmpty(b, f);
        if (ea || eb)
            return ea == eb ? 0 : (ea ? -1 : 1);
        switch (kind(f)) {
        case Kind::Int: {
            const auto &c = ints[slot(f)];
            return c[a] < c[b] ? -1 : (c[a] > c[b] ? 1 : 0);
        }
        case Kind::Char:
        case Kind::Text: {
            const int r = text(a, f).compare(text(b, f), noCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
            return r < 0 ? -1 : (r > 0 ? 1 : 0);
        }
        case Kind::Date: {
            const auto &c = dates[slot(f)];
            return c[a] < c[b] ? -1 : (c[a] > c[b] ? 1 : 0);
        }
        case Kind::DateTime: {
            const auto &c = dateTimes[slot(f)];
            return c[a] < c[b] ? -1 : (c[a] > c[b] ? 1 : 0);
        }
        case Kind::Bool: {
            const auto &c = bools[slot(f)];
            return c[a] < c[b] ? -1 : (c[a] > c[b] ? 1 : 0);
        }
        }
        return 0;
    }

    void appendNull(int f)
    {
        switch (kind(f)) {
        case Kind::Int: ints[slot(f)].push_back(kNullInt); break;
        case Kind::Char: chars[slot(f)].push_back(0); break;
        case Kind::Text: texts[slot(f)].append(QStringView()); break;
        case Kind::Date: dates[slot(f)].push_back(kNullInt); break;
        case Kind::DateTime: dateTimes[slot(f)].push_back(kNullDateTime); break;
        case Kind::Bool: bools[slot(f)].push_back(-1); break;
        }
    }

    static int digits(QStringView t, int at, int n)
    {
        int v = 0;
        for (int i = at; i < at + n; ++i) {
            const char16_t c = t[i].unicode();
            if (c < u'0' || c > u'9')
                return -1;
            v = v * 10 + (c - u'0');
        }
        return v;
    }

    // "yyyy-MM-dd" as the engine writes dates; anything else goes the slow way.
    static QDate parseDate(QStringView t)
    {
        if (t.size() >= 10 && t[4] == u'-' && t[7] == u'-') {
            const int y = digits(t, 0, 4), m = digits(t, 5, 2), d = digits(t, 8, 2);
            if (y >= 0 && m >= 0 && d >= 0)
                return QDate(y, m, d);
        }
        return QDate::fromString(t.left(10).toString(), Qt::ISODate);
    }

    static qint64 parseDateTime(QStringView t)
    {
        const QDate d = parseDate(t);
        if (!d.isValid())
            return kNullDateTime;
        int ms = 0;
        if (t.size() >= 19 && (t[10] == u' ' || t[10] == u'T') && t[13] == u':' && t[16] == u':') {
            const int h = digits(t, 11, 2), mi = digits(t, 14, 2), se = digits(t, 17, 2);
            if (h >= 0 && mi >= 0 && se >= 0)
                ms = ((h * 60 + mi) * 60 + se) * 1000;
        }
        return d.toJulianDay() * kMsPerDay + ms;
    }

    // One row of a streamed result; source[f] is the result column of field f.
    void appendFrom(const StreamRow &r, const int *source)
    {
        ++rows;
        deleted.push_back(0);
        for (int f = 0; f < MemberRowSet::FieldCount; ++f) {
            const int c = source[f];
            if (c < 0 || r.isNull(c)) {
                appendNull(f);
                continue;
            }
            switch (kind(f)) {
            case Kind::Int: ints[slot(f)].push_back(qint32(r.integer(c))); break;
            case Kind::Char: {
                const QStringView t = r.text(c);
                chars[slot(f)].push_back(t.isEmpty() ? 0 : t[0].unicode());
                break;
            }
            case Kind::Text: {
                QStringView t = r.text(c);
                if (kFields[f].size > 0 && t.size() > kFields[f].size)
                    t = t.left(kFields[f].size);
                texts[slot(f)].append(t);
                break;
            }
            case Kind::Date: {
                const QDate d = parseDate(r.text(c));
                dates[slot(f)].push_back(d.isValid() ? qint32(d.toJulianDay()) : kNullInt);
                break;
            }
            case Kind::DateTime: dateTimes[slot(f)].push_back(parseDateTime(r.text(c))); break;
            case Kind::Bool: bools[slot(f)].push_back(r.boolean(c) ? 1 : 0); break;
            }
        }
    }

    void clear() { *this = Storage(); }

    qint64 bytes() const
    {
        qint64 n = 0;
        for (const auto &c : ints)
            n += qint64(c.capacity() * sizeof(qint32));
        for (const auto &c : chars)
            n += qint64(c.capacity() * sizeof(char16_t));
        for (const auto &c : texts)
            n += qint64(c.pool.capacity()) * 2 + qint64(c.off.capacity() * 4 + c.len.capacity() * 2);
        for (const auto &c : dates)
            n += qint64(c.capacity() * sizeof(qint32));
        for (const auto &c : dateTimes)
            n += qint64(c.capacity() * sizeof(qint64));
        for (const auto &c : bools)
            n += qint64(c.capacity());
        n += qint64(deleted.capacity());
        for (const auto &o : orderCache)
            if (o)
                n += qint64(o->capacity() * sizeof(int));
        return n;
    }
};

// ---------------------------------------------------------------------------
// Filter expressions: comparisons of a field with a literal, joined by and/or,
// negated by not, grouped by parentheses.

class MemberFilter
{
public:
    static std::unique_ptr<MemberFilter> parse(const QString &text);
    bool matches(const MemberRowSet::Storage &s, int row) const { return eval(m_root, s, row); }

private:
    enum class Op { Eq, Ne, Lt, Le, Gt, Ge };
    enum class NodeKind { Cmp, And, Or, Not, Const };
    struct Node
    {
        NodeKind kind = NodeKind::Const;
        int field = -1;
        Op op = Op::Eq;
        bool literalNull = false;
        QVariant literal;
        int left = -1, right = -1;
        bool constant = true;
    };

    struct Token
    {
        enum Type { Ident, String, Number, Op, LParen, RParen, End } type = End;
        QString text;
    };

    bool eval(int node, const MemberRowSet::Storage &s, int row) const;
    bool compare(const Node &n, const MemberRowSet::Storage &s, int row) const;

    // Parser
    QVector<Token> m_tokens;
    int m_pos = 0;
    std::vector<Node> m_nodes;
    int m_root = -1;
    QString m_text;

    [[noreturn]] void fail(const QString &why) const
    {
        throw Error(QStringLiteral("Invalid filter expression \"%1\": %2").arg(m_text, why));
    }
    void tokenize();
    const Token &peek() const { return m_tokens[m_pos]; }
    bool acceptWord(const char *word)
    {
        if (peek().type == Token::Ident && peek().text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) {
            ++m_pos;
            return true;
        }
        return false;
    }
    int add(Node n)
    {
        m_nodes.push_back(std::move(n));
        return int(m_nodes.size()) - 1;
    }
    int parseOr();
    int parseAnd();
    int parseUnary();
    int parseComparison();
};

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
    int left = parseAnd();
    while (acceptWord("or")) {
        Node n;
        n.kind = NodeKind::Or;
        n.left = left;
        n.right = parseAnd();
        left = add(n);
    }
    return left;
}

int MemberFilter::parseAnd()
{
    int left = parseUnary();
    while (acceptWord("and")) {
        Node n;
        n.kind = NodeKind::And;
        n.left = left;
        n.right = parseUnary();
        left = add(n);
    }
    return left;
}

int MemberFilter::parseUnary()
{
    if (acceptWord("not")) {
        Node n;
        n.kind = NodeKind::Not;
        n.left = parseUnary();
        return add(n);
    }
    if (peek().type == Token::LParen) {
        ++m_pos;
        const int inner = parseOr();
        if (peek().type != Token::RParen)
            fail(QStringLiteral("missing ')'"));
        ++m_pos;
        return inner;
    }
    return parseComparison();
}

int MemberFilter::parseComparison()
{
    if (peek().type != Token::Ident)
        fail(QStringLiteral("a field name was expected"));
    Node n;
    n.kind = NodeKind::Cmp;
    n.field = MemberRowSet::fieldIndex(peek().text);
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
    ++m_pos;
    const Kind kind = kFields[n.field].kind;
    if (lit.type == Token::Ident && lit.text.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0) {
        if (n.op != Op::Eq && n.op != Op::Ne)
            fail(QStringLiteral("NULL can only be compared with = or <>"));
        n.literalNull = true;
    } else if (lit.type == Token::Ident
               && (lit.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                   || lit.text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)) {
        const bool b = lit.text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        if (kind != Kind::Bool)
            fail(QStringLiteral("field \"%1\" is not a Boolean").arg(QLatin1String(kFields[n.field].name)));
        n.literal = b;
    } else if (lit.type == Token::Number) {
        if (kind != Kind::Int)
            fail(QStringLiteral("field \"%1\" is not a number").arg(QLatin1String(kFields[n.field].name)));
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
            n.literal = d.date().toJulianDay() * kMsPerDay + d.time().msecsSinceStartOfDay();
            break;
        }
        case Kind::Bool: fail(QStringLiteral("a Boolean field takes True or False"));
        }
    } else {
        fail(QStringLiteral("a value was expected"));
    }
    return add(n);
}

bool MemberFilter::eval(int node, const MemberRowSet::Storage &s, int row) const
{
    const Node &n = m_nodes[node];
    switch (n.kind) {
    case NodeKind::Const: return n.constant;
    case NodeKind::And: return eval(n.left, s, row) && eval(n.right, s, row);
    case NodeKind::Or: return eval(n.left, s, row) || eval(n.right, s, row);
    case NodeKind::Not: return !eval(n.left, s, row);
    case NodeKind::Cmp: return compare(n, s, row);
    }
    return false;
}

bool MemberFilter::compare(const Node &n, const MemberRowSet::Storage &s, int row) const
{
    const bool empty = s.isEmpty(row, n.field);
    if (n.literalNull)
        return n.op == Op::Eq ? empty : !empty;
    // Any other comparison with an empty value fails.
    if (empty)
        return false;
    int c = 0;
    const int slot = MemberRowSet::Storage::slot(n.field);
    switch (kFields[n.field].kind) {
    case Kind::Int: {
        const qint64 a = s.ints[slot][row], b = n.literal.toLongLong();
        c = a < b ? -1 : (a > b ? 1 : 0);
        break;
    }
    case Kind::Char:
    case Kind::Text: c = s.text(row, n.field).compare(n.literal.toString(), Qt::CaseSensitive); break;
    case Kind::Date: {
        const qint64 a = s.dates[slot][row], b = n.literal.toLongLong();
        c = a < b ? -1 : (a > b ? 1 : 0);
        break;
    }
    case Kind::DateTime: {
        const qint64 a = s.dateTimes[slot][row], b = n.literal.toLongLong();
        c = a < b ? -1 : (a > b ? 1 : 0);
        break;
    }
    case Kind::Bool: {
        const int a = s.bools[slot][row], b = n.literal.toBool() ? 1 : 0;
        c = a < b ? -1 : (a > b ? 1 : 0);
        break;
    }
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

// ---------------------------------------------------------------------------
// UpdateRecord

QVariant MemberRowSet::UpdateRecord::oldValue(int field) const
{
    return m_loaded ? m_loaded->value(field) : m_set->storedValue(m_row, field);
}

QVariant MemberRowSet::UpdateRecord::newValue(int field) const
{
    return m_kind == ChangeKind::Deleted ? oldValue(field) : m_set->storedValue(m_row, field);
}

QVariant MemberRowSet::UpdateRecord::oldValue(const QString &field) const
{
    const int f = fieldIndex(field);
    return f < 0 ? QVariant() : oldValue(f);
}

QVariant MemberRowSet::UpdateRecord::newValue(const QString &field) const
{
    const int f = fieldIndex(field);
    return f < 0 ? QVariant() : newValue(f);
}

// ---------------------------------------------------------------------------
// MemberRowSet

MemberRowSet::MemberRowSet(QObject *parent)
    : QAbstractTableModel(parent)
    , m_store(std::make_unique<Storage>())
{
    setObjectName(QStringLiteral("ClientDataSetListMembers"));
    m_indexName = QStringLiteral("Last_Name");
    m_orderField = Last_Name;
    m_filterText = QStringLiteral("RecVisible = True");
    m_filterExpr = MemberFilter::parse(m_filterText);
}

MemberRowSet::~MemberRowSet() = default;

QString MemberRowSet::fieldName(int field)
{
    return field >= 0 && field < FieldCount ? QString::fromLatin1(kFields[field].name) : QString();
}

int MemberRowSet::fieldIndex(const QString &name)
{
    for (int f = 0; f < FieldCount; ++f)
        if (name.compare(QLatin1String(kFields[f].name), Qt::CaseInsensitive) == 0)
            return f;
    return -1;
}

FieldType MemberRowSet::fieldType(int field)
{
    switch (kFields[field].kind) {
    case Kind::Int: return FieldType::Integer;
    case Kind::Char:
    case Kind::Text: return FieldType::Text;
    case Kind::Date: return FieldType::Date;
    case Kind::DateTime: return FieldType::DateTime;
    case Kind::Bool: return FieldType::Boolean;
    }
    return FieldType::Unknown;
}

int MemberRowSet::fieldSize(int field)
{
    return kFields[field].size;
}

bool MemberRowSet::isEditableField(int field)
{
    return field == Invited || field == Confirmed || field == Quantity;
}

const QStringList &MemberRowSet::orderNames()
{
    static const QStringList names = [] {
        QStringList l;
        for (const OrderDef &o : kOrders)
            l << QString::fromLatin1(o.name);
        return l;
    }();
    return names;
}

int MemberRowSet::orderField(const QString &orderName)
{
    const int i = orderIndexOf(orderName);
    return i < 0 ? -1 : kOrders[i].field;
}

void MemberRowSet::requireOpen(const char *what) const
{
    if (!m_open)
        throw Error(QStringLiteral("ClientDataSetListMembers: Cannot perform %1 on a closed dataset").arg(QLatin1String(what)));
}

void MemberRowSet::requireRow(const char *what) const
{
    requireOpen(what);
    if (m_cur < 0)
        throw Error(QStringLiteral("ClientDataSetListMembers: Cannot perform %1 on an empty dataset").arg(QLatin1String(what)));
}

void MemberRowSet::setState(DataState s)
{
    if (m_state == s)
        return;
    m_state = s;
    if (!controlsDisabled() && m_cur >= 0)
        Q_EMIT headerDataChanged(Qt::Vertical, m_cur, m_cur);
    Q_EMIT stateChanged(s);
}

void MemberRowSet::fill(Query &query)
{
    auto store = std::make_unique<Storage>();
    Storage &s = *store;
    int source[FieldCount];
    for (int f = 0; f < FieldCount; ++f)
        source[f] = query.fieldIndex(QString::fromLatin1(kFields[f].name));
    const int n = query.recordCount();
    s.rows = n;
    s.deleted.assign(n, 0);
    for (int r = 0; r < n; ++r)
        for (int f = 0; f < FieldCount; ++f)
            s.put(r, f, source[f] < 0 ? QVariant() : query.valueAt(r, source[f]), true);
    adopt(std::move(store));
}

void MemberRowSet::load(Query &query)
{
    auto store = std::make_unique<Storage>();
    int source[FieldCount];
    std::fill(std::begin(source), std::end(source), -1);
    streamRows(
        query,
        [&](const QVector<kv::Field> &fields) {
            for (int f = 0; f < FieldCount; ++f)
                for (int c = 0; c < fields.size(); ++c)
                    if (fields[c].name.compare(QLatin1String(kFields[f].name), Qt::CaseInsensitive) == 0) {
                        source[f] = c;
                        break;
                    }
        },
        [&](const StreamRow &row) { store->appendFrom(row, source); });
    adopt(std::move(store));
}

// Takes freshly read rows as the row set's content: a new view, an empty log.
void MemberRowSet::adopt(std::unique_ptr<Storage> store)
{
    for (auto &c : store->texts)
        c.pool.squeeze();
    const bool notify = !controlsDisabled();
    if (notify)
        beginResetModel();
    m_state = DataState::Inactive;
    m_buffer.clear();
    m_bufferChanged = false;
    m_log.clear();
    m_logIndex.clear();
    m_store = std::move(store);
    m_open = true;
    m_state = DataState::Browse;
    rebuildView();
    m_cur = m_view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.empty();
    if (notify)
        endResetModel();
    Q_EMIT stateChanged(m_state);
    Q_EMIT totalsChanged();
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
}

void MemberRowSet::close()
{
    if (!m_open)
        return;
    const bool notify = !controlsDisabled();
    if (notify)
        beginResetModel();
    m_open = false;
    m_state = DataState::Inactive;
    m_buffer.clear();
    m_bufferChanged = false;
    m_log.clear();
    m_logIndex.clear();
    m_store = std::make_unique<Storage>();
    m_view.clear();
    m_cur = -1;
    m_eof = m_bof = true;
    recomputeTotals();
    if (notify)
        endResetModel();
    Q_EMIT stateChanged(m_state);
    Q_EMIT totalsChanged();
    Q_EMIT currentRowChanged(m_cur);
}

int MemberRowSet::totalRowCount() const
{
    return m_open ? int(std::count(m_store->deleted.begin(), m_store->deleted.end(), quint8(0))) : 0;
}

QVariant MemberRowSet::storedValue(Bookmark row, int field) const
{
    if (!m_open || row < 0 || row >= m_store->rows || field < 0 || field >= FieldCount)
        return QVariant();
    return m_store->value(row, field);
}

QVariant MemberRowSet::fieldValue(int field) const
{
    if (field < 0 || field >= FieldCount || m_cur < 0)
        return QVariant();
    if (m_state == DataState::Edit)
        return m_buffer.value(field);
    return m_store->value(m_view[m_cur], field);
}

QVariant MemberRowSet::fieldValue(const QString &name) const
{
    const int f = fieldIndex(name);
    if (f < 0)
        throw Error(QStringLiteral("ClientDataSetListMembers: Field '%1' not found").arg(name));
    return fieldValue(f);
}

QString MemberRowSet::asString(const QString &name) const
{
    const QVariant v = fieldValue(name);
    if (!v.isValid())
        return QString();
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

QVariant MemberRowSet::valueAt(int viewRow, int field) const
{
    if (viewRow < 0 || viewRow >= int(m_view.size()) || field < 0 || field >= FieldCount)
        return QVariant();
    if (viewRow == m_cur && m_state == DataState::Edit)
        return m_buffer.value(field);
    return m_store->value(m_view[viewRow], field);
}

// ---------------------------------------------------------------------------
// Editing

void MemberRowSet::edit()
{
    requireRow("Edit");
    if (m_state == DataState::Edit)
        return;
    const int row = m_view[m_cur];
    m_buffer.resize(FieldCount);
    for (int f = 0; f < FieldCount; ++f)
        m_buffer[f] = m_store->value(row, f);
    m_bufferChanged = false;
    setState(DataState::Edit);
}

void MemberRowSet::setFieldValue(int field, const QVariant &value)
{
    if (field < 0 || field >= FieldCount)
        throw Error(QStringLiteral("ClientDataSetListMembers: Field not found"));
    if (m_state != DataState::Edit)
        throw Error(QStringLiteral("ClientDataSetListMembers: Dataset not in edit or insert mode"));
    // Normalise through the storage rules (size, type, empty = null).
    Storage probe;
    probe.put(0, field, value, true);
    const QVariant v = probe.value(0, field);
    if (m_buffer[field] == v && m_buffer[field].isValid() == v.isValid())
        return;
    m_buffer[field] = v;
    m_bufferChanged = true;
    emitRowChanged(m_cur);
}

void MemberRowSet::setFieldValue(const QString &name, const QVariant &value)
{
    const int f = fieldIndex(name);
    if (f < 0)
        throw Error(QStringLiteral("ClientDataSetListMembers: Field '%1' not found").arg(name));
    setFieldValue(f, value);
}

void MemberRowSet::cancel()
{
    if (m_state != DataState::Edit)
        return;
    m_buffer.clear();
    m_bufferChanged = false;
    setState(DataState::Browse);
    emitRowChanged(m_cur);
}

void MemberRowSet::post()
{
    if (m_state != DataState::Edit)
        return;
    const int row = m_view[m_cur];
    if (!m_bufferChanged) {
        m_buffer.clear();
        setState(DataState::Browse);
        return;
    }
    Storage &s = *m_store;
    std::array<bool, FieldCount> changed{};
    bool any = false;
    for (int f = 0; f < FieldCount; ++f) {
        const QVariant cur = s.value(row, f);
        changed[f] = !(cur == m_buffer[f] && cur.isValid() == m_buffer[f].isValid());
        any = any || changed[f];
    }
    if (any && !m_logIndex.contains(row)) {
        QVector<QVariant> loaded(FieldCount);
        for (int f = 0; f < FieldCount; ++f)
            loaded[f] = s.value(row, f);
        m_logIndex.insert(row, int(m_log.size()));
        m_log.push_back({row, ChangeKind::Modified, std::move(loaded)});
    }
    // Take the row's old share out of the totals before it changes.
    const bool wasInView = true;
    if (!s.isEmpty(row, Quantity)) {
        m_sumQuantity -= s.ints[Storage::slot(Quantity)][row];
        --m_quantityCount;
    }
    if (!s.isEmpty(row, Client_ID))
        --m_countClients;
    for (int f = 0; f < FieldCount; ++f)
        if (changed[f])
            s.put(row, f, m_buffer[f], false);
    m_buffer.clear();
    m_bufferChanged = false;
    m_state = DataState::Browse;
    placeAfterPost(row, changed, wasInView);
    Q_EMIT stateChanged(m_state);
    Q_EMIT afterPost();
    Q_EMIT totalsChanged();
}

bool MemberRowSet::lessInOrder(int field, bool descending, bool noCase, int a, int b) const
{
    if (field < 0)
        return a < b;
    const int c = m_store->compare(field, noCase, a, b);
    if (c != 0)
        return descending ? c > 0 : c < 0;
    return a < b; // equal keys keep the load order
}

// After a post: keep the indexes, the view, the totals and the current row right.
void MemberRowSet::placeAfterPost(Bookmark row, const std::array<bool, FieldCount> &changed, bool wasInView)
{
    Storage &s = *m_store;
    const int activeOrder = orderIndexOf(m_indexName);
    for (int o = 0; o < kOrderCount; ++o) {
        if (!changed[kOrders[o].field] || !s.orderCache[o])
            continue;
        if (o != activeOrder) {
            s.orderCache[o].reset();
            continue;
        }
        std::vector<int> &perm = *s.orderCache[o];
        perm.erase(std::find(perm.begin(), perm.end(), row));
        const OrderDef &od = kOrders[o];
        auto pos = std::lower_bound(perm.begin(), perm.end(), row,
                                    [&](int a, int b) { return lessInOrder(od.field, od.descending, od.noCase, a, b); });
        perm.insert(pos, row);
    }

    const bool nowInView = !s.deleted[row] && (!m_filtered || m_filterExpr->matches(s, row));
    if (nowInView) {
        if (!s.isEmpty(row, Quantity)) {
            m_sumQuantity += s.ints[Storage::slot(Quantity)][row];
            ++m_quantityCount;
        }
        if (!s.isEmpty(row, Client_ID))
            ++m_countClients;
    }
    const bool orderChanged = m_orderField >= 0 && changed[m_orderField];
    const int oldPos = m_cur;
    if (wasInView && nowInView && !orderChanged) {
        emitRowChanged(oldPos);
        return;
    }
    const bool notify = !controlsDisabled();
    if (wasInView) {
        if (notify)
            beginRemoveRows(QModelIndex(), oldPos, oldPos);
        m_view.erase(m_view.begin() + oldPos);
        if (notify)
            endRemoveRows();
    }
    if (nowInView) {
        const int ord = orderIndexOf(m_indexName);
        const OrderDef *od = ord >= 0 ? &kOrders[ord] : nullptr;
        auto it = std::lower_bound(m_view.begin(), m_view.end(), row, [&](int a, int b) {
            return od ? lessInOrder(od->field, od->descending, od->noCase, a, b) : a < b;
        });
        const int newPos = int(it - m_view.begin());
        if (notify)
            beginInsertRows(QModelIndex(), newPos, newPos);
        m_view.insert(it, row);
        if (notify)
            endInsertRows();
        m_cur = newPos;
    } else {
        // The row left the view: the one that took its place becomes current.
        m_cur = m_view.empty() ? -1 : std::min(oldPos, int(m_view.size()) - 1);
    }
    m_eof = m_view.empty();
    m_bof = m_view.empty();
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
}

void MemberRowSet::deleteCurrent()
{
    requireRow("Delete");
    if (m_state == DataState::Edit)
        cancel();
    Storage &s = *m_store;
    const int row = m_view[m_cur];
    auto found = m_logIndex.constFind(row);
    if (found != m_logIndex.constEnd()) {
        m_log[*found].kind = ChangeKind::Deleted;
    } else {
        QVector<QVariant> loaded(FieldCount);
        for (int f = 0; f < FieldCount; ++f)
            loaded[f] = s.value(row, f);
        m_logIndex.insert(row, int(m_log.size()));
        m_log.push_back({row, ChangeKind::Deleted, std::move(loaded)});
    }
    if (!s.isEmpty(row, Quantity)) {
        m_sumQuantity -= s.ints[Storage::slot(Quantity)][row];
        --m_quantityCount;
    }
    if (!s.isEmpty(row, Client_ID))
        --m_countClients;
    s.deleted[row] = 1;
    const int pos = m_cur;
    const bool notify = !controlsDisabled();
    if (notify)
        beginRemoveRows(QModelIndex(), pos, pos);
    m_view.erase(m_view.begin() + pos);
    if (notify)
        endRemoveRows();
    m_cur = m_view.empty() ? -1 : std::min(pos, int(m_view.size()) - 1);
    m_eof = m_bof = m_view.empty();
    Q_EMIT totalsChanged();
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
}

void MemberRowSet::applyUpdates(const std::function<void(const UpdateRecord &)> &apply)
{
    if (!m_open)
        return;
    post();
    std::vector<LogEntry> log;
    log.swap(m_log);
    QHash<int, int> index;
    index.swap(m_logIndex);
    try {
        for (const LogEntry &e : log) {
            UpdateRecord rec;
            rec.m_set = this;
            rec.m_row = e.row;
            rec.m_kind = e.kind;
            rec.m_loaded = &e.loaded;
            apply(rec);
        }
    } catch (...) {
        // The save runs in one unit of work: when a row fails nothing is
        // written, so every row stays in the log for the next save.
        m_log.swap(log);
        m_logIndex.swap(index);
        throw;
    }
}

std::vector<MemberRowSet::PendingEdit> MemberRowSet::pendingEdits() const
{
    std::vector<PendingEdit> edits;
    if (!m_open)
        return edits;
    for (const LogEntry &e : m_log) {
        if (e.kind != ChangeKind::Modified)
            continue;
        PendingEdit p;
        p.recordId = e.loaded.value(Record_ID);
        p.loaded = e.loaded;
        p.current.resize(FieldCount);
        for (int f = 0; f < FieldCount; ++f)
            p.current[f] = m_store->value(e.row, f);
        edits.push_back(std::move(p));
    }
    return edits;
}

int MemberRowSet::restorePendingEdits(const std::vector<PendingEdit> &edits)
{
    if (!m_open || edits.empty())
        return 0;
    if (m_state == DataState::Edit)
        post();
    Storage &s = *m_store;
    QHash<qlonglong, int> rowOf;
    for (int r = 0; r < s.rows; ++r)
        if (!s.deleted[r])
            rowOf.insert(s.value(r, Record_ID).toLongLong(), r);
    const bool notify = !controlsDisabled();
    if (notify)
        beginResetModel();
    int restored = 0;
    for (const PendingEdit &p : edits) {
        const auto it = rowOf.constFind(p.recordId.toLongLong());
        if (it == rowOf.constEnd())
            continue;
        const int row = it.value();
        for (int f = 0; f < FieldCount; ++f) {
            const QVariant &v = p.current.value(f);
            const QVariant cur = s.value(row, f);
            if (!(cur == v && cur.isValid() == v.isValid()))
                s.put(row, f, v, false);
        }
        if (!m_logIndex.contains(row)) {
            m_logIndex.insert(row, int(m_log.size()));
            m_log.push_back({row, ChangeKind::Modified, p.loaded});
        }
        ++restored;
    }
    for (auto &o : s.orderCache)
        o.reset();
    rebuildView();
    m_cur = m_view.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_view.empty();
    if (notify)
        endResetModel();
    Q_EMIT totalsChanged();
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
    return restored;
}

// ---------------------------------------------------------------------------
// Orders, filter, view

const std::vector<int> &MemberRowSet::orderPermutation(int order)
{
    Storage &s = *m_store;
    if (!s.orderCache[order]) {
        const OrderDef &od = kOrders[order];
        std::vector<int> perm(s.rows);
        for (int i = 0; i < s.rows; ++i)
            perm[i] = i;
        std::sort(perm.begin(), perm.end(),
                  [&](int a, int b) { return lessInOrder(od.field, od.descending, od.noCase, a, b); });
        s.orderCache[order] = std::move(perm);
    }
    return *s.orderCache[order];
}

void MemberRowSet::rebuildView()
{
    m_view.clear();
    if (!m_open) {
        recomputeTotals();
        return;
    }
    const Storage &s = *m_store;
    const int order = orderIndexOf(m_indexName);
    m_view.reserve(s.rows);
    auto take = [&](int r) {
        if (!s.deleted[r] && (!m_filtered || m_filterExpr->matches(s, r)))
            m_view.push_back(r);
    };
    if (order < 0) {
        for (int r = 0; r < s.rows; ++r)
            take(r);
    } else {
        for (int r : orderPermutation(order))
            take(r);
    }
    recomputeTotals();
}

void MemberRowSet::recomputeTotals()
{
    m_sumQuantity = 0;
    m_quantityCount = 0;
    m_countClients = 0;
    if (!m_open)
        return;
    const Storage &s = *m_store;
    const auto &qty = s.ints[Storage::slot(Quantity)];
    const auto &ids = s.texts[Storage::slot(Client_ID)].len;
    for (int r : m_view) {
        if (qty[r] != kNullInt) {
            m_sumQuantity += qty[r];
            ++m_quantityCount;
        }
        if (ids[r] != 0)
            ++m_countClients;
    }
}

QVariant MemberRowSet::sumQuantity() const
{
    return m_quantityCount > 0 ? QVariant(m_sumQuantity) : QVariant();
}

void MemberRowSet::setIndexName(const QString &orderName)
{
    const int order = orderIndexOf(orderName);
    if (order < 0 && !orderName.isEmpty())
        throw Error(QStringLiteral("ClientDataSetListMembers: Index '%1' not found").arg(orderName));
    post();
    m_indexName = order < 0 ? QString() : QString::fromLatin1(kOrders[order].name);
    m_orderField = order < 0 ? -1 : kOrders[order].field;
    if (!m_open)
        return;
    const Bookmark keep = getBookmark();
    const bool notify = !controlsDisabled();
    if (notify)
        Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    std::vector<int> oldRows;
    oldRows.reserve(persistent.size());
    for (const QModelIndex &i : persistent)
        oldRows.push_back(m_view[i.row()]);
    rebuildView();
    if (notify) {
        QModelIndexList to;
        for (int i = 0; i < persistent.size(); ++i) {
            const int pos = viewRowOf(oldRows[i]);
            to << (pos < 0 ? QModelIndex() : index(pos, persistent[i].column()));
        }
        changePersistentIndexList(persistent, to);
        Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    }
    const int pos = viewRowOf(keep);
    m_cur = pos >= 0 ? pos : (m_view.empty() ? -1 : 0);
    m_eof = m_view.empty();
    m_bof = m_cur <= 0;
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
}

void MemberRowSet::setFilter(const QString &expression)
{
    auto parsed = MemberFilter::parse(expression);
    post();
    m_filterExpr = std::move(parsed);
    m_filterText = expression;
    if (m_filtered && m_open) {
        const bool notify = !controlsDisabled();
        if (notify)
            beginResetModel();
        rebuildView();
        m_cur = m_view.empty() ? -1 : 0;
        m_bof = true;
        m_eof = m_view.empty();
        if (notify)
            endResetModel();
        Q_EMIT totalsChanged();
        Q_EMIT currentRowChanged(m_cur);
        Q_EMIT afterScroll();
    }
}

void MemberRowSet::setFiltered(bool on)
{
    if (on == m_filtered)
        return;
    post();
    m_filtered = on;
    if (!m_open)
        return;
    const Bookmark keep = getBookmark();
    const bool notify = !controlsDisabled();
    if (notify)
        beginResetModel();
    rebuildView();
    const int pos = viewRowOf(keep);
    m_cur = pos >= 0 ? pos : (m_view.empty() ? -1 : 0);
    m_bof = m_cur <= 0;
    m_eof = m_view.empty();
    if (notify)
        endResetModel();
    Q_EMIT totalsChanged();
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
}

bool MemberRowSet::rowMatchesFilter(Bookmark row) const
{
    if (!m_open || row < 0 || row >= m_store->rows)
        return false;
    return m_filterExpr->matches(*m_store, row);
}

// ---------------------------------------------------------------------------
// Navigation and bookmarks

void MemberRowSet::setCurrent(int viewRow, bool postFirst)
{
    if (postFirst && m_state == DataState::Edit && viewRow != m_cur) {
        const Bookmark target = bookmarkAt(viewRow);
        post();
        // Posting may move rows; follow the target row.
        const int pos = viewRowOf(target);
        viewRow = pos >= 0 ? pos : std::clamp(viewRow, 0, int(m_view.size()) - 1);
    }
    if (m_view.empty()) {
        m_cur = -1;
        return;
    }
    viewRow = std::clamp(viewRow, 0, int(m_view.size()) - 1);
    if (viewRow == m_cur)
        return;
    const int old = m_cur;
    m_cur = viewRow;
    if (!controlsDisabled()) {
        if (old >= 0 && old < int(m_view.size()))
            Q_EMIT headerDataChanged(Qt::Vertical, old, old);
        Q_EMIT headerDataChanged(Qt::Vertical, m_cur, m_cur);
    }
    Q_EMIT currentRowChanged(m_cur);
    Q_EMIT afterScroll();
}

void MemberRowSet::first()
{
    requireOpen("First");
    setCurrent(0);
    m_bof = true;
    m_eof = m_view.empty();
}

void MemberRowSet::last()
{
    requireOpen("Last");
    setCurrent(int(m_view.size()) - 1);
    m_eof = true;
    m_bof = m_view.empty();
}

void MemberRowSet::next()
{
    moveBy(1);
}

void MemberRowSet::prior()
{
    moveBy(-1);
}

int MemberRowSet::moveBy(int n)
{
    requireOpen("MoveBy");
    if (m_view.empty()) {
        m_eof = m_bof = true;
        return 0;
    }
    const int from = m_cur;
    const int target = std::clamp(qint64(from) + n, qint64(0), qint64(m_view.size()) - 1);
    setCurrent(int(target));
    const int moved = m_cur - from;
    m_eof = n > 0 && moved < n;
    m_bof = n < 0 && moved > n;
    return moved;
}

void MemberRowSet::setRecNo(int viewRow)
{
    requireOpen("RecNo");
    setCurrent(viewRow);
    m_eof = m_view.empty();
    m_bof = m_view.empty();
}

MemberRowSet::Bookmark MemberRowSet::bookmarkAt(int viewRow) const
{
    return viewRow >= 0 && viewRow < int(m_view.size()) ? m_view[viewRow] : kNoBookmark;
}

int MemberRowSet::viewRowOf(Bookmark b) const
{
    if (b < 0 || !m_open || b >= m_store->rows)
        return -1;
    // The view is kept sorted by the active order (ties by load position), so
    // a row is found by halving rather than by walking every row.
    const int ord = orderIndexOf(m_indexName);
    const OrderDef *od = ord >= 0 ? &kOrders[ord] : nullptr;
    auto it = std::lower_bound(m_view.begin(), m_view.end(), b, [&](int x, int y) {
        return od ? lessInOrder(od->field, od->descending, od->noCase, x, y) : x < y;
    });
    if (it != m_view.end() && *it == b)
        return int(it - m_view.begin());
    it = std::find(m_view.begin(), m_view.end(), b);
    return it == m_view.end() ? -1 : int(it - m_view.begin());
}

MemberRowSet::Bookmark MemberRowSet::getBookmark() const
{
    return bookmarkAt(m_cur);
}

bool MemberRowSet::gotoBookmark(Bookmark b)
{
    const int pos = viewRowOf(b);
    if (pos < 0)
        return false;
    setCurrent(pos);
    m_eof = m_bof = false;
    // Posting the previous row can move the target; make sure we are on it.
    const int again = viewRowOf(b);
    if (again < 0)
        return false;
    if (again != m_cur)
        setCurrent(again, false);
    return true;
}

bool MemberRowSet::bookmarkValid(Bookmark b) const
{
    return m_open && b >= 0 && b < m_store->rows && !m_store->deleted[b];
}

// ---------------------------------------------------------------------------
// Display

void MemberRowSet::disableControls()
{
    if (m_disabled++ == 0)
        beginResetModel();
}

void MemberRowSet::enableControls()
{
    if (m_disabled == 0)
        return;
    if (--m_disabled == 0)
        endResetModel();
}

qint64 MemberRowSet::approximateBytes() const
{
    qint64 n = qint64(sizeof(*this)) + m_store->bytes() + qint64(m_view.capacity() * sizeof(int));
    n += qint64(m_log.size()) * qint64(sizeof(LogEntry) + FieldCount * sizeof(QVariant));
    return n;
}

void MemberRowSet::emitRowChanged(int viewRow)
{
    if (controlsDisabled() || viewRow < 0 || viewRow >= int(m_view.size()))
        return;
    Q_EMIT dataChanged(index(viewRow, 0), index(viewRow, FieldCount - 1));
}

// ---------------------------------------------------------------------------
// Model

int MemberRowSet::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_view.size());
}

int MemberRowSet::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FieldCount;
}

QVariant MemberRowSet::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_view.size()) || index.column() >= FieldCount)
        return QVariant();
    const int f = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return valueAt(index.row(), f);
    case Qt::CheckStateRole: {
        const bool isDay = f >= Monday && f <= Sunday;
        if (f != Invited && f != Confirmed && !isDay)
            return QVariant();
        const QVariant v = valueAt(index.row(), f);
        if (isDay)
            return v.toBool() ? Qt::Checked : Qt::Unchecked;
        const QString s = v.toString();
        if (s == QLatin1String("Y"))
            return Qt::Checked;
        if (f == Confirmed && s.isEmpty())
            return Qt::PartiallyChecked;
        return Qt::Unchecked;
    }
    case Qt::TextAlignmentRole:
        if (kFields[f].kind == Kind::Int)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    default: return QVariant();
    }
}

bool MemberRowSet::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= int(m_view.size()) || !isEditableField(index.column()))
        return false;
    const int f = index.column();
    QVariant v = value;
    if (role == Qt::CheckStateRole) {
        if (f == Quantity)
            return false;
        const auto st = Qt::CheckState(value.toInt());
        v = st == Qt::Checked ? QStringLiteral("Y")
            : st == Qt::Unchecked ? QStringLiteral("N")
                                  : QString();
        if (f == Invited && st == Qt::PartiallyChecked)
            v = QStringLiteral("N");
    } else if (role != Qt::EditRole) {
        return false;
    }
    const Bookmark target = m_view[index.row()];
    if (index.row() != m_cur)
        setCurrent(index.row());
    if (getBookmark() != target && !gotoBookmark(target))
        return false;
    edit();
    setFieldValue(f, v);
    return true;
}

Qt::ItemFlags MemberRowSet::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags fl = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == Quantity)
        fl |= Qt::ItemIsEditable;
    if (index.column() == Invited || index.column() == Confirmed)
        fl |= Qt::ItemIsUserCheckable;
    if (index.column() == Confirmed)
        fl |= Qt::ItemIsUserTristate;
    return fl;
}

QVariant MemberRowSet::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return fieldName(section);
    if (section == m_cur)
        return m_state == DataState::Edit ? QStringLiteral("I") : QStringLiteral("\u25B6");
    return QString();
}

} // namespace kv
