#include "data/engine/sql_dialect.h"

#include "data/engine/sql_backend.h"

#include <QSet>
#include <vector>

namespace kv {

namespace {

enum class Tok { Space, Word, String, QuotedIdent, Param, Number, Punct };

struct Token
{
    Tok kind;
    QString text;
    QString upper() const { return text.toUpper(); }
};

std::vector<Token> tokenize(const QString &sql)
{
    std::vector<Token> out;
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        const int start = i;
        if (c.isSpace()) {
            while (i < n && sql.at(i).isSpace())
                ++i;
            out.push_back({Tok::Space, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('\'')) {
            ++i;
            while (i < n) {
                if (sql.at(i) == QLatin1Char('\'')) {
                    if (i + 1 < n && sql.at(i + 1) == QLatin1Char('\'')) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            out.push_back({Tok::String, sql.mid(start, i - start)});
        } else if (c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('"') ? QLatin1Char('"') : QLatin1Char(']');
            ++i;
            while (i < n && sql.at(i) != close)
                ++i;
            if (i < n)
                ++i;
            out.push_back({Tok::QuotedIdent, sql.mid(start, i - start)});
        } else if (c == QLatin1Char(':') && i + 1 < n && (sql.at(i + 1).isLetter() || sql.at(i + 1) == QLatin1Char('_'))) {
            ++i;
            while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('_')))
                ++i;
            out.push_back({Tok::Param, sql.mid(start, i - start)});
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            while (i < n && (sql.at(i).isLetterOrNumber() || sql.at(i) == QLatin1Char('_') || sql.at(i) == QLatin1Char('$')))
                ++i;
            out.push_back({Tok::Word, sql.mid(start, i - start)});
        } else if (c.isDigit()) {
            while (i < n && (sql.at(i).isDigit() || sql.at(i) == QLatin1Char('.')))
                ++i;
            out.push_back({Tok::Number, sql.mid(start, i - start)});
        } else {
            // Two-character operators stay one token.
            static const QStringList twoChar = {QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("<>"),
                                                QStringLiteral("!="), QStringLiteral("||"), QStringLiteral("::")};
            const QString two = sql.mid(i, 2);
            if (twoChar.contains(two)) {
                i += 2;
                out.push_back({Tok::Punct, two});
            } else {
                ++i;
                out.push_back({Tok::Punct, QString(c)});
            }
        }
    }
    return out;
}

bool isWord(const Token &t, const char *upperWord)
{
    return t.kind == Tok::Word && t.text.compare(QLatin1String(upperWord), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token &t, const char *p)
{
    return t.kind == Tok::Punct && t.text == QLatin1String(p);
}

// Keywords that end a predicate following NOT, at the same depth.
bool endsPredicate(const Token &t)
{
    if (t.kind == Tok::Punct)
        return t.text == QLatin1String(")") || t.text == QLatin1String(";") || t.text == QLatin1String(",");
    if (t.kind != Tok::Word)
        return false;
    static const QSet<QString> enders = {QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("ORDER"),
                                         QStringLiteral("GROUP"), QStringLiteral("HAVING"), QStringLiteral("LIMIT"),
                                         QStringLiteral("UNION"), QStringLiteral("THEN"), QStringLiteral("ELSE"),
                                         QStringLiteral("END"), QStringLiteral("WHEN"), QStringLiteral("EXCEPT"),
                                         QStringLiteral("INTERSECT")};
    return enders.contains(t.upper());
}

bool isOperandToken(const Token &t)
{
    switch (t.kind) {
    case Tok::String:
    case Tok::QuotedIdent:
    case Tok::Param:
    case Tok::Number:
        return true;
    case Tok::Word: {
        static const QSet<QString> keywords = {
            QStringLiteral("SELECT"), QStringLiteral("FROM"), QStringLiteral("WHERE"), QStringLiteral("AND"),
            QStringLiteral("OR"), QStringLiteral("NOT"), QStringLiteral("ON"), QStringLiteral("JOIN"),
            QStringLiteral("BY"), QStringLiteral("SET"), QStringLiteral("VALUES"), QStringLiteral("IN"),
            QStringLiteral("IS"), QStringLiteral("AS"), QStringLiteral("COLLATE"), QStringLiteral("WHEN"),
            QStringLiteral("THEN"), QStringLiteral("ELSE"), QStringLiteral("CASE"), QStringLiteral("LIKE"),
            QStringLiteral("BETWEEN"), QStringLiteral("EXISTS"), QStringLiteral("HAVING"), QStringLiteral("INTO")};
        return !keywords.contains(t.upper());
    }
    case Tok::Punct:
        return t.text == QLatin1String(")");
    case Tok::Space:
        break;
    }
    return false;
}

class Translator
{
public:
    Translator(std::vector<Token> tokens, const DialectTraits &traits)
        : m_tok(std::move(tokens))
        , m_traits(traits)
    {
        collectAliases();
        markConcatenation();
    }

    QString run() { return render(0, int(m_tok.size())); }

private:
    std::vector<Token> m_tok;
    const DialectTraits &m_traits;
    std::vector<bool> m_concat; // '+' tokens that join texts
    QHash<QString, QString> m_aliases; // alias (upper) -> expression text, for PostgreSQL

    int nextSig(int i, int end) const
    {
        for (int j = i; j < end; ++j)
            if (m_tok[j].kind != Tok::Space)
                return j;
        return -1;
    }

    int prevSig(int i, int begin) const
    {
        for (int j = i; j >= begin; --j)
            if (m_tok[j].kind != Tok::Space)
                return j;
        return -1;
    }

    int matchingClose(int open) const
    {
        int depth = 0;
        for (int j = open; j < int(m_tok.size()); ++j) {
            if (isPunct(m_tok[j], "("))
                ++depth;
            else if (isPunct(m_tok[j], ")") && --depth == 0)
                return j;
        }
        return int(m_tok.size()) - 1;
    }

    int matchingOpen(int close) const
    {
        int depth = 0;
        for (int j = close; j >= 0; --j) {
            if (isPunct(m_tok[j], ")"))
                ++depth;
            else if (isPunct(m_tok[j], "(") && --depth == 0)
                return j;
        }
        return 0;
    }

    // The operand that ends at token index i (walking left over a.b and (...)).
    bool operandLeftIsString(int plus) const
    {
        const int j = prevSig(plus - 1, 0);
        return j >= 0 && m_tok[j].kind == Tok::String;
    }
    bool operandRightIsString(int plus) const
    {
        const int j = nextSig(plus + 1, int(m_tok.size()));
        return j >= 0 && m_tok[j].kind == Tok::String;
    }

    // Start index of the operand ending at j, and end index of the operand starting at j.
    int operandStart(int j) const
    {
        if (j < 0)
            return j;
        if (isPunct(m_tok[j], ")"))
            j = matchingOpen(j);
        // qualified names: a.b
        while (true) {
            const int dot = prevSig(j - 1, 0);
            if (dot >= 0 && isPunct(m_tok[dot], ".")) {
                const int name = prevSig(dot - 1, 0);
                if (name >= 0) {
                    j = name;
                    continue;
                }
            }
            break;
        }
        return j;
    }
    int operandEnd(int j) const
    {
        if (j < 0)
            return j;
        if (isPunct(m_tok[j], "(")) {
            j = matchingClose(j);
        } else {
            const int after = nextSig(j + 1, int(m_tok.size()));
            if (after >= 0 && isPunct(m_tok[after], "(") && m_tok[j].kind == Tok::Word) // function call
                j = matchingClose(after);
        }
        while (true) {
            const int dot = nextSig(j + 1, int(m_tok.size()));
            if (dot >= 0 && isPunct(m_tok[dot], ".")) {
                const int name = nextSig(dot + 1, int(m_tok.size()));
                if (name >= 0) {
                    j = name;
                    continue;
                }
            }
            break;
        }
        return j;
    }

    void markConcatenation()
    {
        m_concat.assign(m_tok.size(), false);
        std::vector<int> pluses;
        for (int i = 0; i < int(m_tok.size()); ++i)
            if (isPunct(m_tok[i], "+"))
                pluses.push_back(i);
        // Seed with '+' next to a text literal, then spread along the chain
        // a + b + 'c' + d: every '+' that shares an operand with a text '+'.
        bool changed = true;
        for (int p : pluses)
            if (operandLeftIsString(p) || operandRightIsString(p))
                m_concat[p] = true;
        while (changed) {
            changed = false;
            for (int p : pluses) {
                if (m_concat[p])
                    continue;
                const int leftStart = operandStart(prevSig(p - 1, 0));
                const int beforeLeft = leftStart > 0 ? prevSig(leftStart - 1, 0) : -1;
                const int rightEnd = operandEnd(nextSig(p + 1, int(m_tok.size())));
                const int afterRight = rightEnd >= 0 ? nextSig(rightEnd + 1, int(m_tok.size())) : -1;
                if ((beforeLeft >= 0 && m_concat[beforeLeft]) || (afterRight >= 0 && m_concat[afterRight])) {
                    m_concat[p] = true;
                    changed = true;
                }
            }
        }
    }

    // PostgreSQL cannot order by an output alias inside an expression such as
    // "alias COLLATE nocase", so remember what each alias stands for.
    void collectAliases()
    {
        if (m_traits.collatesAliases)
            return;
        int depth = 0;
        int exprStart = -1;
        for (int i = 0; i < int(m_tok.size()); ++i) {
            const Token &t = m_tok[i];
            if (isPunct(t, "("))
                ++depth;
            else if (isPunct(t, ")"))
                --depth;
            if (depth != 0)
                continue;
            if (isWord(t, "SELECT") || isPunct(t, ",")) {
                exprStart = i + 1;
            } else if (isWord(t, "FROM")) {
                exprStart = -1;
            } else if (isWord(t, "AS") && exprStart >= 0) {
                const int alias = nextSig(i + 1, int(m_tok.size()));
                if (alias >= 0 && m_tok[alias].kind == Tok::Word) {
                    Translator inner(std::vector<Token>(m_tok.begin() + exprStart, m_tok.begin() + i), m_traits);
                    m_aliases.insert(m_tok[alias].upper(), inner.run().trimmed());
                }
            }
        }
    }

    QString collateText() const { return QStringLiteral("COLLATE ") + m_traits.caseBlindCollation; }

    // The reserved name the word spells, or null when it is none.
    const QString *reservedName(const Token &t) const
    {
        for (const QString &name : m_traits.reservedNames)
            if (t.text.compare(name, Qt::CaseInsensitive) == 0)
                return &name;
        return nullptr;
    }

    QString render(int begin, int end)
    {
        QString out;
        int i = begin;
        while (i < end) {
            const Token &t = m_tok[i];
            // A NOT with nothing after it in this range (a stray one, as in
            // "NOT NOT)") is left as written: there is no predicate to wrap.
            if (t.kind == Tok::Word && isWord(t, "NOT") && wrapsNot(i, begin) && nextSig(i + 1, end) >= 0) {
                const int first = nextSig(i + 1, end);
                int last = first;
                int depth = 0;
                int j = first;
                for (; j < end; ++j) {
                    const Token &u = m_tok[j];
                    if (depth == 0 && u.kind != Tok::Space && endsPredicate(u) && !isPunct(u, ")"))
                        break;
                    if (isPunct(u, "("))
                        ++depth;
                    else if (isPunct(u, ")")) {
                        if (depth == 0)
                            break;
                        --depth;
                    }
                    if (u.kind != Tok::Space)
                        last = j;
                }
                out += t.text + QStringLiteral(" COALESCE((") + render(first, last + 1) + QStringLiteral("), FALSE)");
                i = last + 1;
                continue;
            }
            if (t.kind == Tok::Word && isWord(t, "NOCASE")) {
                const int prev = prevSig(i - 1, begin);
                if (prev < 0 || !isWord(m_tok[prev], "COLLATE")) {
                    if (!m_traits.collatesAliases && prev >= 0 && m_tok[prev].kind == Tok::Word
                        && m_aliases.contains(m_tok[prev].upper())) {
                        // replace the alias we already wrote with its expression
                        const QString alias = m_tok[prev].text;
                        const int at = out.lastIndexOf(alias);
                        if (at >= 0)
                            out.replace(at, alias.size(), QLatin1Char('(') + m_aliases.value(m_tok[prev].upper()) + QLatin1Char(')'));
                    }
                    out += collateText();
                    ++i;
                    continue;
                }
                out += m_traits.caseBlindCollation;
                ++i;
                continue;
            }
            if (const QString *reserved = t.kind == Tok::Word ? reservedName(t) : nullptr) {
                out += QLatin1Char('"') + *reserved + QLatin1Char('"');
                ++i;
                continue;
            }
            if (t.kind == Tok::Punct && t.text == QLatin1String("+") && m_concat[i]) {
                out += QStringLiteral("||");
                ++i;
                continue;
            }
            out += t.text;
            ++i;
        }
        return out;
    }

    // A prefix NOT is wrapped; "is not", "not null" (DDL), "not exists" and an
    // infix "x not in/like/between" are already two-valued or left alone.
    bool wrapsNot(int i, int begin) const
    {
        const int prev = prevSig(i - 1, begin);
        if (prev >= 0) {
            if (isWord(m_tok[prev], "IS"))
                return false;
            if (isOperandToken(m_tok[prev]))
                return false;
        }
        const int next = nextSig(i + 1, int(m_tok.size()));
        if (next < 0)
            return false;
        if (isWord(m_tok[next], "NULL") || isWord(m_tok[next], "EXISTS"))
            return false;
        return true;
    }
};

} // namespace

QString SqlDialect::translate(const QString &sql, const DialectTraits &traits)
{
    Translator t(tokenize(sql), traits);
    return t.run();
}

QString SqlDialect::translate(const QString &sql, Backend backend)
{
    return translate(sql, SqlBackend::make(backend)->dialect());
}

QStringList SqlDialect::parameterNames(const QString &sql)
{
    QStringList names;
    for (const Token &t : tokenize(sql)) {
        if (t.kind != Tok::Param)
            continue;
        const QString name = t.text.mid(1);
        bool seen = false;
        for (const QString &n : std::as_const(names))
            if (n.compare(name, Qt::CaseInsensitive) == 0)
                seen = true;
        if (!seen)
            names << name;
    }
    return names;
}

QString SqlDialect::statementKind(const QString &sql)
{
    // Only the first word matters; statements are run row by row, so do not
    // tokenize the whole text for it.
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const int end = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = end < 0 ? n : end + 2;
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char(':'))
            break; // a literal or parameter before any word: fall back to the tokenizer
        if (c.isLetter() || c == QLatin1Char('_')) {
            int j = i;
            while (j < n && (sql.at(j).isLetterOrNumber() || sql.at(j) == QLatin1Char('_')))
                ++j;
            return sql.mid(i, j - i).toUpper();
        }
        ++i;
    }
    for (const Token &t : tokenize(sql))
        if (t.kind == Tok::Word)
            return t.upper();
    return {};
}

} // namespace kv
