#pragma once

// Filter expressions over the member rows: comparisons of a field with a
// literal ("Confirmed = 'Y'", "Quantity >= 2", "Stop_Dte = Null",
// "RecVisible = True"), joined by and/or, negated by not, grouped by
// parentheses. Field names and keywords ignore case. "= Null" (or "is null")
// holds for an empty value; any other comparison with an empty value is false.

#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

namespace kv {

namespace rowset {
class ColumnStore;
}

class MemberFilter
{
public:
    // Parses the whole text; an empty text matches every row. Throws kv::Error
    // naming the expression and what is wrong with it.
    static std::unique_ptr<MemberFilter> parse(const QString &text);

    bool matches(const rowset::ColumnStore &s, int row) const { return eval(m_root, s, row); }

    // How deep parentheses and "not" may nest: deeper texts are refused rather
    // than risking the stack.
    static constexpr int kMaxDepth = 200;

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
        std::vector<int> operands; // of and/or (all of a chain, so evaluating never nests deeply); not has one
        bool constant = true;
    };

    struct Token
    {
        enum Type { Ident, String, Number, Op, LParen, RParen, End } type = End;
        QString text;
    };

    bool eval(int node, const rowset::ColumnStore &s, int row) const;
    bool compare(const Node &n, const rowset::ColumnStore &s, int row) const;

    [[noreturn]] void fail(const QString &why) const;
    void tokenize();
    const Token &peek() const { return m_tokens[m_pos]; }
    bool acceptWord(const char *word);
    int add(Node n);
    int parseOr();
    int parseAnd();
    int parseUnary();
    int parseComparison();

    QVector<Token> m_tokens;
    int m_pos = 0;
    int m_depth = 0;
    std::vector<Node> m_nodes;
    int m_root = -1;
    QString m_text;
};

} // namespace kv
