#include "report/report_template.h"

#include "data/engine/db_error.h"
#include "report/report_data_source.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QLocale>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <vector>

namespace kv {

const QString ReportTemplate::kFormatName = QStringLiteral("kestrovan-report");

// ---------------------------------------------------------------------------
// Expressions

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

bool truthy(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return false;
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool();
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double: return v.toDouble() != 0;
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        return !s.isEmpty() && s.compare(QLatin1String("N"), Qt::CaseInsensitive) != 0
            && s.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0 && s != QLatin1String("0");
    }
    default: return true;
    }
}

QVariant evalNode(const Node &n, const ReportSourceLookup &sources, const QString &defaultSource, const ReportVariables &vars);

QString evalText(const Node &n, const ReportSourceLookup &sources, const QString &defaultSource, const ReportVariables &vars)
{
    return ReportExpression::display(evalNode(n, sources, defaultSource, vars));
}

QVariant evalNode(const Node &n, const ReportSourceLookup &sources, const QString &defaultSource, const ReportVariables &vars)
{
    switch (n.kind) {
    case Node::Kind::Literal: return n.literal;
    case Node::Kind::Field: {
        const ReportDataSource *src = sources.source(n.source.isEmpty() ? defaultSource : n.source);
        if (!src || src->eof())
            return {};
        return src->value(n.field);
    }
    case Node::Kind::Variable:
        switch (n.var) {
        case Node::Var::PageNumber: return vars.pageNumber;
        case Node::Var::RowNumber: return vars.rowNumber;
        case Node::Var::ListName: return vars.listName;
        case Node::Var::PrintDate: return vars.printTime.date();
        case Node::Var::PrintTime: return vars.printTime;
        case Node::Var::Title: return vars.title;
        }
        return {};
    case Node::Kind::Concat: {
        QString out;
        for (const NodePtr &a : n.args)
            out += evalText(*a, sources, defaultSource, vars);
        return out;
    }
    case Node::Kind::Call: break;
    }

    auto arg = [&](int i) { return evalNode(*n.args[size_t(i)], sources, defaultSource, vars); };
    auto text = [&](int i) { return evalText(*n.args[size_t(i)], sources, defaultSource, vars); };
    switch (n.func) {
    case Node::Func::FormatDate: {
        QVariant v = arg(0);
        const QString fmt = text(1);
        if (v.typeId() == QMetaType::QString) { // a date kept as text in the engine's form
            const QString s = v.toString();
            const QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
            v = dt.isValid() ? QVariant(dt) : QVariant(QDate::fromString(s, Qt::ISODate));
        }
        if (v.typeId() == QMetaType::QDateTime)
            return v.toDateTime().isValid() ? QLocale::c().toString(v.toDateTime(), fmt) : QString();
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().isValid() ? QLocale::c().toString(v.toDate(), fmt) : QString();
        return QString();
    }
    case Node::Func::FormatNumber: {
        const QVariant v = arg(0);
        if (!v.isValid() || v.isNull() || v.toString().trimmed().isEmpty())
            return QString();
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok)
            return v.toString();
        return QString::number(d, 'f', qBound(0, int(arg(1).toLongLong()), 10));
    }
    case Node::Func::Upper: return text(0).toUpper();
    case Node::Func::Lower: return text(0).toLower();
    case Node::Func::Trim: return text(0).trimmed();
    case Node::Func::If:
        if (truthy(arg(0)))
            return arg(1);
        return n.args.size() > 2 ? arg(2) : QVariant(QString());
    case Node::Func::IfEmpty: {
        const QString a = text(0);
        return a.trimmed().isEmpty() ? text(1) : a;
    }
    case Node::Func::Join: {
        const QString sep = text(0);
        QStringList parts;
        for (int i = 1; i < int(n.args.size()); ++i) {
            const QString p = text(i).trimmed();
            if (!p.isEmpty())
                parts << p;
        }
        return parts.join(sep);
    }
    case Node::Func::Lookup: {
        const Node &ref = *n.args[0];
        const ReportDataSource *src = sources.source(ref.source);
        const QVariant key = arg(1);
        if (!src || !key.isValid() || key.isNull())
            return {};
        return src->lookup(ref.field, key);
    }
    case Node::Func::YesNo: {
        const QVariant v = arg(0);
        if (!v.isValid() || v.isNull() || v.toString().trimmed().isEmpty())
            return QString();
        return truthy(v) ? QStringLiteral("Yes") : QStringLiteral("No");
    }
    }
    return {};
}

void collectRefs(const Node &n, QVector<ReportExpression::FieldRef> &out)
{
    if (n.kind == Node::Kind::Field)
        out.push_back({n.source, n.field, QString()});
    for (const NodePtr &a : n.args)
        collectRefs(*a, out);
}

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

QString ReportExpression::evaluate(const ReportSourceLookup &sources, const QString &defaultSource,
                                   const ReportVariables &vars) const
{
    if (!m_root)
        return QString();
    if (m_root->kind == Node::Kind::Literal)
        return display(m_root->literal);
    return evalText(*m_root, sources, defaultSource, vars);
}

QVector<ReportExpression::FieldRef> ReportExpression::fieldRefs() const
{
    QVector<FieldRef> refs;
    if (m_root)
        collectRefs(*m_root, refs);
    return refs;
}

QString ReportExpression::display(const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QString: return v.toString();
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("Yes") : QStringLiteral("No");
    case QMetaType::QDate: return QLocale::c().toString(v.toDate(), QStringLiteral("MM/dd/yyyy"));
    case QMetaType::QDateTime: return QLocale::c().toString(v.toDateTime(), QStringLiteral("MM/dd/yyyy h:mm AP"));
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 12);
    default: return v.toString();
    }
}

// ---------------------------------------------------------------------------
// Template files

namespace {

constexpr double kDefaultMinSize = 6; // points

// Reads one JSON object, refusing keys it does not know so that a misspelt
// setting is reported instead of silently ignored.
class ObjectReader
{
public:
    ObjectReader(const QJsonObject &o, QString path, const QString &file)
        : m_o(o)
        , m_path(std::move(path))
        , m_file(file)
    {
    }

    [[noreturn]] void fail(const QString &key, const QString &what) const
    {
        throw Error(QStringLiteral("%1: %2: %3").arg(m_file, place(key), what));
    }

    QString place(const QString &key) const
    {
        if (key.isEmpty())
            return m_path.isEmpty() ? QStringLiteral("(top level)") : m_path;
        return m_path.isEmpty() ? key : m_path + QLatin1Char('.') + key;
    }

    void allow(std::initializer_list<const char *> keys) const
    {
        QSet<QString> known;
        for (const char *k : keys)
            known.insert(QLatin1String(k));
        for (auto it = m_o.begin(); it != m_o.end(); ++it)
            if (!known.contains(it.key()))
                fail(it.key(), QStringLiteral("unknown setting"));
    }

    bool has(const QString &key) const { return m_o.contains(key); }
    QJsonValue raw(const QString &key) const { return m_o.value(key); }

    double number(const QString &key, double fallback, double min = 0) const
    {
        if (!has(key))
            return fallback;
        const QJsonValue v = m_o.value(key);
        if (!v.isDouble())
            fail(key, QStringLiteral("a number is expected"));
        if (v.toDouble() < min)
            fail(key, QStringLiteral("must not be less than %1").arg(min));
        return v.toDouble();
    }

    QString text(const QString &key, const QString &fallback = QString()) const
    {
        if (!has(key))
            return fallback;
        const QJsonValue v = m_o.value(key);
        if (!v.isString())
            fail(key, QStringLiteral("a text is expected"));
        return v.toString();
    }

    bool boolean(const QString &key, bool fallback) const
    {
        if (!has(key))
            return fallback;
        const QJsonValue v = m_o.value(key);
        if (!v.isBool())
            fail(key, QStringLiteral("true or false is expected"));
        return v.toBool();
    }

    QColor color(const QString &key, const QColor &fallback) const
    {
        if (!has(key))
            return fallback;
        const QColor c(text(key));
        if (!c.isValid())
            fail(key, QStringLiteral("a colour such as \"#d0d0d0\" is expected"));
        return c;
    }

    ObjectReader object(const QString &key) const
    {
        const QJsonValue v = m_o.value(key);
        if (!v.isObject())
            fail(key, QStringLiteral("an object is expected"));
        return ObjectReader(v.toObject(), place(key), m_file);
    }

    QJsonArray array(const QString &key) const
    {
        const QJsonValue v = m_o.value(key);
        if (!v.isArray())
            fail(key, QStringLiteral("a list is expected"));
        return v.toArray();
    }

    const QString &path() const { return m_path; }
    const QString &file() const { return m_file; }

private:
    QJsonObject m_o;
    QString m_path;
    const QString &m_file;
};

ReportFont readFont(const ObjectReader &r, ReportFont base)
{
    r.allow({"family", "size", "bold", "italic", "underline"});
    base.family = r.text(QStringLiteral("family"), base.family);
    base.size = r.number(QStringLiteral("size"), base.size, 1);
    base.bold = r.boolean(QStringLiteral("bold"), base.bold);
    base.italic = r.boolean(QStringLiteral("italic"), base.italic);
    base.underline = r.boolean(QStringLiteral("underline"), base.underline);
    return base;
}

ReportItem readItem(const ObjectReader &r, const ReportFont &bandFont)
{
    r.allow({"type", "x", "y", "width", "height", "text", "expr", "font", "align", "valign", "wordWrap", "fit", "minSize",
             "stretch", "thickness", "color", "fill"});
    ReportItem item;
    item.path = r.path();
    const QString type = r.text(QStringLiteral("type"), QStringLiteral("text"));
    if (type == QLatin1String("text"))
        item.kind = ReportItem::Kind::Text;
    else if (type == QLatin1String("line"))
        item.kind = ReportItem::Kind::Line;
    else if (type == QLatin1String("box"))
        item.kind = ReportItem::Kind::Box;
    else
        r.fail(QStringLiteral("type"), QStringLiteral("\"text\", \"line\" or \"box\" is expected"));

    item.x = r.number(QStringLiteral("x"), 0);
    item.y = r.number(QStringLiteral("y"), 0);
    item.width = r.number(QStringLiteral("width"), 0);
    item.height = r.number(QStringLiteral("height"), item.kind == ReportItem::Kind::Text ? 5 : 0);
    item.font = r.has(QStringLiteral("font")) ? readFont(r.object(QStringLiteral("font")), bandFont) : bandFont;
    item.wordWrap = r.boolean(QStringLiteral("wordWrap"), false);
    const QString fit = r.text(QStringLiteral("fit"), QStringLiteral("none"));
    if (fit == QLatin1String("shrink"))
        item.fit = ReportItem::Fit::Shrink;
    else if (fit != QLatin1String("none"))
        r.fail(QStringLiteral("fit"), QStringLiteral("\"none\" or \"shrink\" is expected"));
    item.minSize = r.number(QStringLiteral("minSize"), std::min(kDefaultMinSize, item.font.size), 1);
    if (item.minSize > item.font.size)
        r.fail(QStringLiteral("minSize"), QStringLiteral("must not be larger than the font's size (%1)").arg(item.font.size));
    item.stretch = r.boolean(QStringLiteral("stretch"), false);
    item.thickness = r.number(QStringLiteral("thickness"), item.kind == ReportItem::Kind::Box ? 0 : 0.25);
    item.color = r.color(QStringLiteral("color"), Qt::black);
    item.fill = r.color(QStringLiteral("fill"), QColor());

    Qt::Alignment h = Qt::AlignLeft;
    const QString align = r.text(QStringLiteral("align"), QStringLiteral("left"));
    if (align == QLatin1String("center"))
        h = Qt::AlignHCenter;
    else if (align == QLatin1String("right"))
        h = Qt::AlignRight;
    else if (align == QLatin1String("justify"))
        h = Qt::AlignJustify;
    else if (align != QLatin1String("left"))
        r.fail(QStringLiteral("align"), QStringLiteral("\"left\", \"center\", \"right\" or \"justify\" is expected"));
    Qt::Alignment v = Qt::AlignTop;
    const QString valign = r.text(QStringLiteral("valign"), QStringLiteral("top"));
    if (valign == QLatin1String("middle"))
        v = Qt::AlignVCenter;
    else if (valign == QLatin1String("bottom"))
        v = Qt::AlignBottom;
    else if (valign != QLatin1String("top"))
        r.fail(QStringLiteral("valign"), QStringLiteral("\"top\", \"middle\" or \"bottom\" is expected"));
    item.align = h | v;

    if (item.kind == ReportItem::Kind::Text) {
        if (r.has(QStringLiteral("text")) && r.has(QStringLiteral("expr")))
            r.fail(QStringLiteral("expr"), QStringLiteral("an item has either \"text\" or \"expr\", not both"));
        if (r.has(QStringLiteral("expr")))
            item.expr = ReportExpression::parse(r.text(QStringLiteral("expr")),
                                                r.file() + QStringLiteral(": ") + r.place(QStringLiteral("expr")));
        else
            item.expr = ReportExpression::literal(r.text(QStringLiteral("text")));
        if (item.width <= 0)
            r.fail(QStringLiteral("width"), QStringLiteral("a text item needs a width greater than 0"));
    } else if (item.stretch) {
        r.fail(QStringLiteral("stretch"), QStringLiteral("only a text item can stretch"));
    }
    return item;
}

QString bandTooTallText(double height, double max, int pages)
{
    return QStringLiteral("the band is %1 mm tall; a band may be at most %2 mm (%3 printable pages) tall")
        .arg(height, 0, 'g', 6)
        .arg(max, 0, 'f', 1)
        .arg(pages);
}

// Page headers and footers have a fixed place on every page, so their items cannot grow.
ReportBand readBand(const ObjectReader &r, const ReportFont &reportFont, bool isDetail, bool fixedHeight = false)
{
    if (isDetail)
        r.allow({"height", "font", "items", "newPage", "alternateFill"});
    else
        r.allow({"height", "font", "items"});
    ReportBand band;
    band.present = true;
    band.height = r.number(QStringLiteral("height"), 0);
    if (!r.has(QStringLiteral("height")))
        r.fail(QStringLiteral("height"), QStringLiteral("every band needs a height"));
    const ReportFont font = r.has(QStringLiteral("font")) ? readFont(r.object(QStringLiteral("font")), reportFont) : reportFont;
    if (isDetail) {
        band.newPage = r.boolean(QStringLiteral("newPage"), false);
        band.alternateFill = r.color(QStringLiteral("alternateFill"), QColor());
    }
    if (r.has(QStringLiteral("items"))) {
        const QJsonArray items = r.array(QStringLiteral("items"));
        for (int i = 0; i < items.size(); ++i) {
            const QString place = r.place(QStringLiteral("items[%1]").arg(i));
            if (!items[i].isObject())
                throw Error(QStringLiteral("%1: %2: an object is expected").arg(r.file(), place));
            band.items.push_back(readItem(ObjectReader(items[i].toObject(), place, r.file()), font));
            if (fixedHeight && band.items.back().stretch)
                throw Error(QStringLiteral("%1: %2.stretch: a page header or footer cannot stretch").arg(r.file(), place));
        }
    }
    return band;
}

// Line and column (both from 1) of a byte offset into UTF-8 text.
QPair<int, int> lineColumn(const QByteArray &text, int offset)
{
    int line = 1;
    int col = 1;
    for (int i = 0; i < offset && i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            col = 1;
        } else if ((uchar(c) & 0xC0) != 0x80) {
            ++col;
        }
    }
    return {line, col};
}

} // namespace

const qint64 ReportTemplate::kMaxFileSize = 8 * 1024 * 1024;

QString ReportTemplate::tooLargeText(const QString &fileName)
{
    return QStringLiteral("%1: the template is larger than %2 MB; a report template is never that large")
        .arg(fileName)
        .arg(kMaxFileSize / (1024 * 1024));
}

ReportTemplate ReportTemplate::load(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("%1: cannot be read: %2").arg(fileName, f.errorString()));
    // Read no more than the limit allows: the name may lead to an endless
    // device or a file of gigabytes.
    if (!f.isSequential() && f.size() > kMaxFileSize)
        throw Error(tooLargeText(fileName));
    const QByteArray json = f.read(kMaxFileSize + 1);
    if (f.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("%1: cannot be read: %2").arg(fileName, f.errorString()));
    return parse(json, fileName);
}

ReportTemplate ReportTemplate::parse(const QByteArray &json, const QString &fileName)
{
    if (json.size() > kMaxFileSize)
        throw Error(tooLargeText(fileName));
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &pe);
    if (pe.error != QJsonParseError::NoError) {
        const auto [line, col] = lineColumn(json, pe.offset);
        throw Error(QStringLiteral("%1: line %2, column %3: %4").arg(fileName).arg(line).arg(col).arg(pe.errorString()));
    }
    if (!doc.isObject())
        throw Error(QStringLiteral("%1: line 1, column 1: the template must be one JSON object").arg(fileName));

    ReportTemplate t;
    t.fileName = fileName;
    const ObjectReader root(doc.object(), QString(), t.fileName);
    root.allow({"format", "version", "title", "dataSource", "page", "font", "columns", "pageHeader", "header", "detail",
                "footer", "pageFooter"});
    if (root.text(QStringLiteral("format")) != kFormatName)
        root.fail(QStringLiteral("format"), QStringLiteral("\"%1\" is expected").arg(kFormatName));
    if (root.number(QStringLiteral("version"), 1) != 1)
        root.fail(QStringLiteral("version"), QStringLiteral("only version 1 is known"));
    t.title = root.text(QStringLiteral("title"));
    t.dataSource = root.text(QStringLiteral("dataSource"), t.dataSource);

    if (root.has(QStringLiteral("page"))) {
        const ObjectReader page = root.object(QStringLiteral("page"));
        page.allow({"paper", "width", "height", "orientation", "margins"});
        const QString paper = page.text(QStringLiteral("paper"), QStringLiteral("Letter"));
        if (paper == QLatin1String("Letter"))
            t.pageSize = QSizeF(215.9, 279.4);
        else if (paper == QLatin1String("Legal"))
            t.pageSize = QSizeF(215.9, 355.6);
        else if (paper == QLatin1String("A4"))
            t.pageSize = QSizeF(210, 297);
        else if (paper != QLatin1String("Custom"))
            page.fail(QStringLiteral("paper"), QStringLiteral("\"Letter\", \"Legal\", \"A4\" or \"Custom\" is expected"));
        t.pageSize.setWidth(page.number(QStringLiteral("width"), t.pageSize.width(), 10));
        t.pageSize.setHeight(page.number(QStringLiteral("height"), t.pageSize.height(), 10));
        const QString orientation = page.text(QStringLiteral("orientation"), QStringLiteral("portrait"));
        if (orientation == QLatin1String("landscape"))
            t.landscape = true;
        else if (orientation != QLatin1String("portrait"))
            page.fail(QStringLiteral("orientation"), QStringLiteral("\"portrait\" or \"landscape\" is expected"));
        if (page.has(QStringLiteral("margins"))) {
            const ObjectReader m = page.object(QStringLiteral("margins"));
            m.allow({"top", "bottom", "left", "right"});
            t.margins = QMarginsF(m.number(QStringLiteral("left"), t.margins.left()), m.number(QStringLiteral("top"), t.margins.top()),
                                  m.number(QStringLiteral("right"), t.margins.right()),
                                  m.number(QStringLiteral("bottom"), t.margins.bottom()));
        }
        const QSizeF printable = t.printableSize();
        if (printable.width() <= 0 || printable.height() <= 0)
            page.fail(QStringLiteral("margins"), QStringLiteral("the margins leave no room on the page"));
    }

    const ReportFont font = root.has(QStringLiteral("font")) ? readFont(root.object(QStringLiteral("font")), ReportFont())
                                                             : ReportFont();

    if (!root.has(QStringLiteral("detail")))
        root.fail(QStringLiteral("detail"), QStringLiteral("a template needs a detail band"));
    t.detail = readBand(root.object(QStringLiteral("detail")), font, true);
    if (t.detail.height <= 0)
        root.fail(QStringLiteral("detail.height"), QStringLiteral("the detail band needs a height greater than 0"));
    const struct {
        const char *key;
        ReportBand *band;
    } others[] = {{"pageHeader", &t.pageHeader}, {"header", &t.header}, {"footer", &t.footer}, {"pageFooter", &t.pageFooter}};
    for (const auto &o : others)
        if (root.has(QLatin1String(o.key)))
            *o.band = readBand(root.object(QLatin1String(o.key)), font, false,
                               o.band == &t.pageHeader || o.band == &t.pageFooter);
    // A taller band is a slip of the keyboard (metres of paper), and laying it
    // out page by page would run for hours, filling the disk.
    constexpr int kMaxBandPages = 10;
    const double maxBandHeight = kMaxBandPages * t.printableSize().height();
    for (const auto &o : others)
        if (o.band->present && !(o.band->height <= maxBandHeight))
            root.fail(QStringLiteral("%1.height").arg(QLatin1String(o.key)), bandTooTallText(o.band->height, maxBandHeight, kMaxBandPages));
    if (!(t.detail.height <= maxBandHeight))
        root.fail(QStringLiteral("detail.height"), bandTooTallText(t.detail.height, maxBandHeight, kMaxBandPages));

    if (root.has(QStringLiteral("columns"))) {
        const ObjectReader c = root.object(QStringLiteral("columns"));
        c.allow({"count", "positions", "width", "rowPitch", "order"});
        const double count = c.number(QStringLiteral("count"), 1, 1);
        if (count != double(int(count)) || count > 20)
            c.fail(QStringLiteral("count"), QStringLiteral("a whole number from 1 to 20 is expected"));
        t.columns.count = int(count);
        t.columns.width = c.number(QStringLiteral("width"), 0);
        t.columns.rowPitch = c.number(QStringLiteral("rowPitch"), 0);
        const QString order = c.text(QStringLiteral("order"), QStringLiteral("across"));
        if (order == QLatin1String("down"))
            t.columns.acrossFirst = false;
        else if (order != QLatin1String("across"))
            c.fail(QStringLiteral("order"), QStringLiteral("\"across\" or \"down\" is expected"));
        const double width = t.columns.width > 0 ? t.columns.width : t.printableSize().width() / t.columns.count;
        if (c.has(QStringLiteral("positions"))) {
            const QJsonArray pos = c.array(QStringLiteral("positions"));
            if (pos.size() != t.columns.count)
                c.fail(QStringLiteral("positions"), QStringLiteral("%1 positions are expected").arg(t.columns.count));
            for (int i = 0; i < pos.size(); ++i) {
                if (!pos[i].isDouble() || pos[i].toDouble() < 0)
                    c.fail(QStringLiteral("positions[%1]").arg(i), QStringLiteral("a number of millimetres is expected"));
                t.columns.positions << pos[i].toDouble();
            }
        } else {
            for (int i = 0; i < t.columns.count; ++i)
                t.columns.positions << i * width;
        }
    }
    if (t.columns.positions.isEmpty())
        t.columns.positions << 0;
    // A cell of a label sheet has the size of the label; its text shrinks or wraps instead.
    if (t.columns.count > 1 && t.detail.stretches())
        root.fail(QStringLiteral("detail"), QStringLiteral("items cannot stretch in a detail band with several columns"));
    return t;
}

bool ReportBand::stretches() const
{
    return std::any_of(items.begin(), items.end(), [](const ReportItem &i) { return i.stretch; });
}

QSizeF ReportTemplate::paperSize() const
{
    return landscape ? pageSize.transposed() : pageSize;
}

QSizeF ReportTemplate::printableSize() const
{
    const QSizeF p = paperSize();
    return QSizeF(p.width() - margins.left() - margins.right(), p.height() - margins.top() - margins.bottom());
}

QStringList ReportTemplate::sourcesUsed() const
{
    QStringList names{dataSource};
    for (const ReportBand *b : {&pageHeader, &header, &detail, &footer, &pageFooter})
        for (const ReportItem &item : b->items)
            for (const auto &ref : item.expr.fieldRefs())
                if (!ref.source.isEmpty() && !names.contains(ref.source, Qt::CaseInsensitive))
                    names << ref.source;
    return names;
}

} // namespace kv
