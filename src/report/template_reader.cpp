// Reading ".rtm" files: JSON checked setting by setting, every error naming
// the file and the place.

#include "report/report_template.h"

#include "data/engine/db_error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSet>
#include <algorithm>

namespace kv {

const QString ReportTemplate::kFormatName = QStringLiteral("kestrovan-report");

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
} // namespace kv
