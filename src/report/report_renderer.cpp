#include "report/report_renderer.h"

#include "data/engine/db_error.h"

#include <QFontMetricsF>
#include <algorithm>
#include <climits>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <vector>

#include <cerrno>
#include <cstring>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kv {

void ReportSources::add(const QString &name, ReportDataSource *source, const QString &master)
{
    if (!m_sources.contains(name.toLower()))
        m_names << name;
    m_sources.insert(name.toLower(), {source, master});
}

const ReportDataSource *ReportSources::source(const QString &name) const
{
    return mutableSource(name);
}

ReportDataSource *ReportSources::mutableSource(const QString &name) const
{
    const auto it = m_sources.constFind(name.toLower());
    return it == m_sources.constEnd() ? nullptr : it->source;
}

QString ReportSources::masterOf(const QString &name) const
{
    return m_sources.value(name.toLower()).master;
}

ReportRenderer::ReportRenderer(const ReportTemplate &tmpl, const ReportSources &sources, ReportRun run)
    : m_t(tmpl)
    , m_sources(sources)
    , m_run(std::move(run))
{
}

void ReportRenderer::check() const
{
    if (!m_sources.source(m_t.dataSource))
        throw Error(QStringLiteral("%1: dataSource: there is no data source \"%2\"").arg(m_t.fileName, m_t.dataSource));
    QHash<QString, QStringList> fieldsOf;
    for (const ReportBand *b : {&m_t.pageHeader, &m_t.header, &m_t.detail, &m_t.footer, &m_t.pageFooter}) {
        for (const ReportItem &item : b->items) {
            for (const auto &ref : item.expr.fieldRefs()) {
                const QString sourceName = ref.source.isEmpty() ? m_t.dataSource : ref.source;
                const ReportDataSource *src = m_sources.source(sourceName);
                if (!src)
                    throw Error(QStringLiteral("%1: %2.expr: there is no data source \"%3\"").arg(m_t.fileName, item.path, sourceName));
                auto it = fieldsOf.find(sourceName.toLower());
                if (it == fieldsOf.end())
                    it = fieldsOf.insert(sourceName.toLower(), src->fieldNames());
                if (!it->contains(ref.field, Qt::CaseInsensitive))
                    throw Error(QStringLiteral("%1: %2.expr: data source \"%3\" has no field \"%4\"")
                                    .arg(m_t.fileName, item.path, sourceName, ref.field));
            }
        }
    }
}

namespace {

constexpr double kEpsilon = 0.001; // millimetres
constexpr double kSizeStep = 0.5; // points between the sizes "shrink" tries
constexpr double kUnbounded = 1e12;
constexpr int kMaxMeasured = 4000; // characters measured at once

QString ellipsis()
{
    return QString(QChar(0x2026));
}

// One size of an item's font, resolved for the device.
struct SizedFont
{
    QFont font;
    QFontMetricsF metrics;
    double pointSize = 0;
};

// One item made ready for a device: its fonts and metrics resolved once, the
// template's size first, then the smaller ones "shrink" may use.
struct PreparedItem
{
    const ReportItem *item = nullptr;
    std::vector<SizedFont> sizes;
};

// The lines of one text value as they will be drawn.
struct FittedText
{
    int size = 0; // into PreparedItem::sizes
    QStringList lines;
    bool cut = false;
};

// A value far wider than any box is not measured whole: its first part
// already decides, and a value of a megabyte must not be shaped at once.
double advance(const QFontMetricsF &m, QStringView s)
{
    if (s.size() > kMaxMeasured)
        return m.horizontalAdvance(s.left(kMaxMeasured).toString()) * double(s.size()) / kMaxMeasured;
    return m.horizontalAdvance(s.toString());
}

// Puts a word too wide for a whole line on as many lines as it needs: after
// its hyphens where that is enough, between characters only where a piece
// is still too wide. Answers the piece that stays open on the last line.
QString breakWord(const QFontMetricsF &m, QStringView word, double width, int maxLines, QStringList &lines)
{
    QString line;
    qsizetype start = 0;
    while (start < word.size() && lines.size() <= maxLines) {
        qsizetype end = word.indexOf(u'-', start);
        end = end < 0 ? word.size() : end + 1;
        const QStringView part = word.mid(start, end - start);
        start = end;
        QString joined = line;
        joined += part;
        if (advance(m, joined) <= width) {
            line = std::move(joined);
            continue;
        }
        if (!line.isEmpty())
            lines << line;
        line.clear();
        if (advance(m, part) <= width) {
            line = part.toString();
            continue;
        }
        double w = 0;
        for (qsizetype i = 0; i < part.size(); ++i) {
            // A surrogate pair is one character and never split.
            const qsizetype len = part.at(i).isHighSurrogate() && i + 1 < part.size() ? 2 : 1;
            const double cw = len == 1 ? m.horizontalAdvance(part.at(i)) : m.horizontalAdvance(part.mid(i, len).toString());
            if (!line.isEmpty() && w + cw > width) {
                lines << line;
                if (lines.size() > maxLines)
                    return QString();
                line.clear();
                w = 0;
            }
            line += part.mid(i, len);
            w += cw;
            i += len - 1;
        }
    }
    return line;
}

// Breaks paragraphs into lines no wider than width (device units): at blanks
// where it can, inside a word only when the word alone is wider than the box.
// Stops once there are more than maxLines lines; the caller then knows enough.
QStringList wrapText(const QFontMetricsF &m, const QStringList &paragraphs, double width, int maxLines)
{
    QStringList lines;
    for (const QString &para : paragraphs) {
        const QList<QStringView> words = QStringView(para).split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty())
            lines << QString();
        QString line;
        for (QStringView word : words) {
            if (lines.size() > maxLines)
                return lines;
            if (!line.isEmpty()) {
                QString candidate = line;
                candidate += u' ';
                candidate += word;
                if (advance(m, candidate) <= width) {
                    line = candidate;
                    continue;
                }
                lines << line;
                line.clear();
            }
            line = advance(m, word) <= width ? word.toString() : breakWord(m, word, width, maxLines, lines);
        }
        if (!line.isEmpty())
            lines << line;
        if (lines.size() > maxLines)
            return lines;
    }
    return lines;
}

// The longest start of text that fits width with "…" after it, ending at a
// word boundary where one fits: a name part is then left out whole, never
// shown half. Only a first word that is too wide on its own is cut inside.
QString elideAtWord(const QFontMetricsF &m, const QString &text, double width)
{
    const double ell = m.horizontalAdvance(ellipsis());
    QString best;
    qsizetype end = text.indexOf(u' ');
    while (end > 0) {
        QString prefix = text.left(end);
        while (!prefix.isEmpty() && QStringLiteral(" ,;:-/").contains(prefix.back()))
            prefix.chop(1);
        if (!prefix.isEmpty()) {
            if (advance(m, prefix) + ell > width)
                break;
            best = prefix;
        }
        end = text.indexOf(u' ', end + 1);
    }
    if (!best.isEmpty())
        return best + ellipsis();
    const QString cut = m.elidedText(text.left(kMaxMeasured) + ellipsis(), Qt::ElideRight, width);
    return cut.isEmpty() ? ellipsis() : cut;
}

// A text item of one band instance after fitting and stretching.
struct TextGroup
{
    int item = 0;
    QString value;
    FittedText fit;
    QRectF box; // millimetres, band-relative, after moving and growing
};

// One thing to draw, band-relative in millimetres.
struct BandOp
{
    enum class Kind { Fill, Box, Line, Text };
    Kind kind = Kind::Text;
    int item = -1; // into the band's prepared items (boxes, lines, text)
    int group = -1; // text: into BandLayout::groups
    QRectF rect; // text: the line's own box
    QString text; // text: one line
    double indent = 0; // text: from the box's left edge to the line's start (alignment), device units
};

// A band instance laid out: its height after stretching and what it draws.
struct BandLayout
{
    double height = 0;
    std::vector<BandOp> ops;
    std::vector<TextGroup> groups;
};

} // namespace

const QString ReportRenderer::kCutValues
    = QStringLiteral("%1 value(s) did not fit their space even in a smaller size and were shortened; the first on %2.");

QString ReportRenderer::cutValuesText(const ReportOutcome &outcome)
{
    if (outcome.cutValues == 0)
        return QString();
    return kCutValues.arg(outcome.cutValues).arg(outcome.firstCut);
}

struct ReportRenderer::Layout
{
    QPainter &p;
    const ReportTemplate &t;
    const ReportSources &sources;
    const PageBreak &pageBreak;
    const std::function<void(const ReportDrawnText &)> &recorder;
    ReportOutcome &outcome;
    ReportVariables vars;
    double sx = 1, sy = 1; // device units per millimetre
    QSizeF printable;
    std::vector<PreparedItem> prepared[5];
    const ReportBand *bands[5];

    int page = 0;
    double y = 0; // millimetres from the top of the printable area
    bool bodyOnPage = false; // a band other than the page header is on this page
    int column = 0;
    double gridTop = 0; // down-first columns start here on each page
    double gridBottom = 0;

    Layout(QPainter &painter, const ReportTemplate &tmpl, const ReportSources &s, const PageBreak &pb,
           const std::function<void(const ReportDrawnText &)> &rec, ReportOutcome &out)
        : p(painter)
        , t(tmpl)
        , sources(s)
        , pageBreak(pb)
        , recorder(rec)
        , outcome(out)
        , bands{&t.pageHeader, &t.header, &t.detail, &t.footer, &t.pageFooter}
    {
        QPaintDevice *dev = p.device();
        sx = dev->logicalDpiX() / 25.4;
        sy = dev->logicalDpiY() / 25.4;
        printable = t.printableSize();
        for (int i = 0; i < 5; ++i) {
            for (const ReportItem &item : bands[i]->items) {
                PreparedItem pi;
                pi.item = &item;
                if (item.kind == ReportItem::Kind::Text) {
                    std::vector<double> points{item.font.size};
                    if (item.fit == ReportItem::Fit::Shrink) {
                        for (double s = item.font.size - kSizeStep; s > item.minSize + kEpsilon; s -= kSizeStep)
                            points.push_back(s);
                        if (item.minSize < item.font.size - kEpsilon)
                            points.push_back(item.minSize);
                    }
                    for (double pt : points) {
                        QFont f(item.font.family);
                        f.setPointSizeF(pt);
                        f.setBold(item.font.bold);
                        f.setItalic(item.font.italic);
                        f.setUnderline(item.font.underline);
                        pi.sizes.push_back({f, QFontMetricsF(f, dev), pt});
                    }
                }
                prepared[i].push_back(std::move(pi));
            }
        }
    }

    QRectF deviceRect(double x, double yy, double w, double h) const
    {
        return QRectF((t.margins.left() + x) * sx, (t.margins.top() + yy) * sy, w * sx, h * sy);
    }

    double bottomLimit() const { return printable.height() - (t.pageFooter.present ? t.pageFooter.height : 0); }
    double bodyTop() const { return t.pageHeader.present ? t.pageHeader.height : 0; }

    // ---- fitting

    int maxLines(const ReportItem &item, const SizedFont &f) const
    {
        return std::max(1, int((item.height * sy + kEpsilon) / f.metrics.lineSpacing()));
    }

    FittedText fitText(const PreparedItem &pi, const QString &text) const
    {
        const ReportItem &item = *pi.item;
        const double width = item.width * sx + kEpsilon;
        const QStringList paragraphs = text.split(u'\n');
        const int n = int(pi.sizes.size());
        // Whole lines first, as large as they fit...
        for (int s = 0; s < n; ++s) {
            const SizedFont &f = pi.sizes[size_t(s)];
            if (paragraphs.size() > maxLines(item, f))
                continue;
            if (std::all_of(paragraphs.begin(), paragraphs.end(), [&](const QString &l) { return advance(f.metrics, l) <= width; }))
                return {s, paragraphs, false};
        }
        // ...then wrapped inside the box...
        const bool mayWrap = item.wordWrap || item.stretch || item.fit == ReportItem::Fit::Shrink;
        if (mayWrap) {
            for (int s = 0; s < n; ++s) {
                const SizedFont &f = pi.sizes[size_t(s)];
                const int most = maxLines(item, f);
                QStringList lines = wrapText(f.metrics, paragraphs, width, most);
                if (lines.size() <= most)
                    return {s, lines, false};
            }
            // ...or in a box that grows...
            if (item.stretch)
                return {n - 1, wrapText(pi.sizes.back().metrics, paragraphs, width, INT_MAX), false};
        }
        // ...and only what none of that holds is shortened, visibly.
        const SizedFont &f = pi.sizes.back();
        const int most = maxLines(item, f);
        const QStringList all = mayWrap ? wrapText(f.metrics, paragraphs, width, most) : paragraphs;
        FittedText out{n - 1, {}, true};
        for (int i = 0; i < all.size() && i < most; ++i) {
            if (i == most - 1 && all.size() > most)
                out.lines << elideAtWord(f.metrics, all[i] + u' ' + all[i + 1], width);
            else if (advance(f.metrics, all[i]) > width)
                out.lines << elideAtWord(f.metrics, all[i], width);
            else
                out.lines << all[i];
        }
        return out;
    }

    // ---- laying out a band instance

    BandLayout layoutBand(int which, double width, bool tinted)
    {
        const ReportBand &band = *bands[which];
        const std::vector<PreparedItem> &items = prepared[which];
        BandLayout bl;
        bl.height = band.height;
        const size_t n = items.size();
        std::vector<int> groupOf(n, -1);
        std::vector<double> growth(n, 0.0);
        for (size_t i = 0; i < n; ++i) {
            const PreparedItem &pi = items[i];
            if (pi.item->kind != ReportItem::Kind::Text)
                continue;
            QString value = pi.item->expr.evaluate(sources, t.dataSource, vars);
            if (value.isEmpty())
                continue;
            TextGroup g;
            g.item = int(i);
            g.fit = fitText(pi, value);
            g.value = std::move(value);
            if (g.fit.cut) {
                if (outcome.cutValues++ == 0)
                    outcome.firstCut = QStringLiteral("page %1, %2").arg(page).arg(pi.item->path);
            }
            if (pi.item->stretch) {
                const double lineMm = pi.sizes[size_t(g.fit.size)].metrics.lineSpacing() / sy;
                growth[i] = std::max(0.0, g.fit.lines.size() * lineMm - pi.item->height);
            }
            groupOf[i] = int(bl.groups.size());
            bl.groups.push_back(std::move(g));
        }

        // Items below a grown item move down by its growth (and by what moved it).
        std::vector<double> shift(n, 0.0);
        if (band.stretches()) {
            std::vector<size_t> order(n);
            for (size_t i = 0; i < n; ++i)
                order[i] = i;
            auto top = [&](size_t i) { return items[i].item->y; };
            auto bottom = [&](size_t i) { return items[i].item->y + items[i].item->height; };
            std::stable_sort(order.begin(), order.end(),
                             [&](size_t a, size_t b) { return top(a) != top(b) ? top(a) < top(b) : bottom(a) < bottom(b); });
            double deepest = 0;
            for (size_t oi = 0; oi < n; ++oi) {
                const size_t i = order[oi];
                for (size_t oj = 0; oj < oi; ++oj) {
                    const size_t j = order[oj];
                    if (growth[j] > 0 && bottom(j) <= top(i) + kEpsilon)
                        shift[i] = std::max(shift[i], shift[j] + growth[j]);
                }
                deepest = std::max(deepest, shift[i] + growth[i]);
            }
            bl.height += deepest;
        }

        if (tinted && band.alternateFill.isValid()) {
            BandOp fill;
            fill.kind = BandOp::Kind::Fill;
            fill.rect = QRectF(0, 0, width, bl.height);
            bl.ops.push_back(fill);
        }
        for (size_t i = 0; i < n; ++i) {
            const ReportItem &item = *items[i].item;
            const QRectF box(item.x, item.y + shift[i], item.width, item.height + growth[i]);
            if (item.kind != ReportItem::Kind::Text) {
                BandOp op;
                op.kind = item.kind == ReportItem::Kind::Line ? BandOp::Kind::Line : BandOp::Kind::Box;
                op.item = int(i);
                op.rect = box;
                bl.ops.push_back(op);
                continue;
            }
            if (groupOf[i] < 0)
                continue;
            TextGroup &g = bl.groups[size_t(groupOf[i])];
            g.box = box;
            const SizedFont &f = items[i].sizes[size_t(g.fit.size)];
            const double lineMm = f.metrics.lineSpacing() / sy;
            const double block = g.fit.lines.size() * lineMm;
            double top = box.top();
            if (block < box.height()) {
                if (item.align & Qt::AlignVCenter)
                    top += (box.height() - block) / 2;
                else if (item.align & Qt::AlignBottom)
                    top += box.height() - block;
            }
            for (int k = 0; k < g.fit.lines.size(); ++k) {
                BandOp op;
                op.kind = BandOp::Kind::Text;
                op.item = int(i);
                op.group = groupOf[i];
                op.rect = QRectF(box.left(), top + k * lineMm, box.width(), lineMm);
                op.text = g.fit.lines[k];
                if (item.align & (Qt::AlignHCenter | Qt::AlignRight)) {
                    const double free = box.width() * sx - advance(f.metrics, op.text);
                    op.indent = std::max(0.0, item.align & Qt::AlignRight ? free : free / 2);
                }
                bl.ops.push_back(std::move(op));
            }
        }
        return bl;
    }

    // ---- drawing

    // Draws the part [from, to) of a laid-out band with its point `from` at
    // (x, top) of the page. A text line belongs to the part its top is in;
    // boxes and lines crossing the part's edge are clipped to it.
    void drawSlice(int which, const BandLayout &bl, double x, double top, double from, double to)
    {
        const std::vector<PreparedItem> &items = prepared[which];
        const double dy = top - from;
        const bool whole = from <= kEpsilon && to >= kUnbounded;
        std::vector<ReportDrawnText> records;
        if (recorder)
            records.resize(bl.groups.size());
        for (const BandOp &op : bl.ops) {
            if (op.kind == BandOp::Kind::Text) {
                if (op.rect.top() < from - kEpsilon || op.rect.top() >= to - kEpsilon)
                    continue;
                const PreparedItem &pi = items[size_t(op.item)];
                const TextGroup &g = bl.groups[size_t(op.group)];
                const SizedFont &f = pi.sizes[size_t(g.fit.size)];
                const QRectF r = deviceRect(x + op.rect.left(), op.rect.top() + dy, op.rect.width(), op.rect.height());
                p.setFont(f.font);
                p.setPen(pi.item->color);
                p.drawText(QPointF(r.left() + op.indent, r.top() + f.metrics.ascent()), op.text);
                if (recorder) {
                    ReportDrawnText &rec = records[size_t(op.group)];
                    const QRectF drawn(t.margins.left() + x + op.rect.left() + op.indent / sx, t.margins.top() + op.rect.top() + dy,
                                       advance(f.metrics, op.text) / sx, op.rect.height());
                    rec.text = rec.lines.isEmpty() ? drawn : rec.text.united(drawn);
                    rec.lines << op.text;
                }
                continue;
            }
            if (op.rect.bottom() < from - kEpsilon || op.rect.top() > to + kEpsilon)
                continue;
            const bool clip = !whole && (op.rect.top() < from - kEpsilon || op.rect.bottom() > to + kEpsilon);
            if (clip) {
                p.save();
                p.setClipRect(deviceRect(x, from + dy, printable.width(), std::min(to, bl.height) - from));
            }
            const QRectF r = deviceRect(x + op.rect.left(), op.rect.top() + dy, op.rect.width(), op.rect.height());
            if (op.kind == BandOp::Kind::Fill) {
                p.fillRect(r, bands[which]->alternateFill);
            } else if (op.kind == BandOp::Kind::Line) {
                const ReportItem &item = *items[size_t(op.item)].item;
                p.setPen(QPen(item.color, std::max(item.thickness * sx, 1.0)));
                p.drawLine(r.topLeft(), r.bottomRight());
            } else {
                const ReportItem &item = *items[size_t(op.item)].item;
                p.setPen(item.thickness > 0 ? QPen(item.color, item.thickness * sx) : QPen(Qt::NoPen));
                p.setBrush(item.fill.isValid() ? QBrush(item.fill) : QBrush(Qt::NoBrush));
                p.drawRect(r);
                p.setBrush(Qt::NoBrush);
            }
            if (clip)
                p.restore();
        }
        if (!recorder)
            return;
        for (size_t gi = 0; gi < records.size(); ++gi) {
            ReportDrawnText &rec = records[gi];
            if (rec.lines.isEmpty())
                continue;
            const TextGroup &g = bl.groups[gi];
            const PreparedItem &pi = items[size_t(g.item)];
            rec.page = page;
            rec.item = pi.item->path;
            rec.value = g.value;
            rec.pointSize = pi.sizes[size_t(g.fit.size)].pointSize;
            rec.cut = g.fit.cut;
            const double boxTop = std::max(g.box.top(), from);
            const double boxBottom = std::min(g.box.bottom(), to);
            rec.box = QRectF(t.margins.left() + x + g.box.left(), t.margins.top() + boxTop + dy, g.box.width(),
                             std::max(0.0, boxBottom - boxTop));
            recorder(rec);
        }
    }

    // A band at a fixed place: page headers and footers, label cells.
    void drawFixed(int which, double x, double top, double width, bool tinted)
    {
        const BandLayout bl = layoutBand(which, width, tinted);
        drawSlice(which, bl, x, top, 0, kUnbounded);
    }

    // A band in the flow of the page: it moves to the next page when it does
    // not fit what is left and would fit an empty page; a taller one is split
    // between lines and continues on the next pages. No line is cut or lost.
    void placeBand(int which, double x, double width, bool tinted)
    {
        const BandLayout bl = layoutBand(which, width, tinted);
        double from = 0;
        for (;;) {
            const double room = bottomLimit() - y;
            const double rest = bl.height - from;
            if (rest <= room + kEpsilon) {
                drawSlice(which, bl, x, y, from, kUnbounded);
                y += rest;
                bodyOnPage = true;
                return;
            }
            if (from <= kEpsilon && bodyOnPage && bl.height <= bottomLimit() - bodyTop() + kEpsilon) {
                newPage();
                continue;
            }
            double cut = from + room;
            for (bool moved = true; moved;) {
                moved = false;
                for (const BandOp &op : bl.ops) {
                    if (op.kind == BandOp::Kind::Text && op.rect.top() < cut - kEpsilon && op.rect.bottom() > cut + kEpsilon
                        && op.rect.top() >= from - kEpsilon) {
                        cut = op.rect.top();
                        moved = true;
                    }
                }
            }
            if (cut <= from + kEpsilon) {
                if (bodyOnPage) {
                    newPage();
                    continue;
                }
                // Not even one line fits an empty page: drawn here, cut at the paper's edge, rather than never.
                drawSlice(which, bl, x, y, from, kUnbounded);
                y += rest;
                bodyOnPage = true;
                return;
            }
            drawSlice(which, bl, x, y, from, cut);
            bodyOnPage = true;
            from = cut;
            newPage();
        }
    }

    void startPage()
    {
        if (page > 0)
            pageBreak();
        ++page;
        vars.pageNumber = page;
        y = 0;
        bodyOnPage = false;
        column = 0;
        if (t.pageHeader.present) {
            drawFixed(0, 0, 0, printable.width(), false);
            y = t.pageHeader.height;
        }
        gridTop = gridBottom = y;
    }

    void finishPage()
    {
        if (t.pageFooter.present)
            drawFixed(4, 0, printable.height() - t.pageFooter.height, printable.width(), false);
    }

    void newPage()
    {
        finishPage();
        startPage();
    }

    // Moves to a new page when a cell of this height does not fit.
    void ensureRoom(double h)
    {
        if (bodyOnPage && y + h > bottomLimit() + kEpsilon)
            newPage();
    }

    void wholeBand(int which)
    {
        if (!bands[which]->present)
            return;
        closeColumns();
        placeBand(which, 0, printable.width(), false);
    }

    double rowPitch() const { return t.columns.rowPitch > 0 ? t.columns.rowPitch : t.detail.height; }
    double columnWidth() const
    {
        return t.columns.width > 0 ? t.columns.width : printable.width() / t.columns.count;
    }

    // Finishes a partly filled row (across) or column set (down) so that
    // what follows starts below the grid.
    void closeColumns()
    {
        if (t.columns.count <= 1)
            return;
        if (t.columns.acrossFirst) {
            if (column > 0) {
                y += rowPitch();
                column = 0;
            }
        } else if (column > 0 || y > gridTop) {
            y = std::max(y, gridBottom);
            column = 0;
            gridTop = gridBottom = y;
        }
    }

    void detailRow(int index)
    {
        const ReportBand &band = t.detail;
        const bool tinted = index % 2 == 1;
        if (band.newPage && index > 0 && bodyOnPage) {
            closeColumns();
            newPage();
        }
        if (t.columns.count <= 1) {
            placeBand(2, t.columns.positions.value(0), columnWidth(), tinted);
            return;
        }
        const double pitch = rowPitch();
        if (t.columns.acrossFirst) {
            if (column == 0)
                ensureRoom(band.height);
            drawFixed(2, t.columns.positions[column], y, columnWidth(), tinted);
            bodyOnPage = true;
            if (++column == t.columns.count) {
                column = 0;
                y += pitch;
            }
            return;
        }
        if (y + band.height > bottomLimit() + kEpsilon && (bodyOnPage || y > gridTop)) {
            if (column + 1 < t.columns.count) {
                ++column;
                y = gridTop;
            } else {
                newPage();
            }
        }
        if (!bodyOnPage)
            gridTop = y;
        drawFixed(2, t.columns.positions[column], y, columnWidth(), tinted);
        bodyOnPage = true;
        y += pitch;
        gridBottom = std::max(gridBottom, y);
    }
};

int ReportRenderer::render(QPainter &painter, const PageBreak &newPage)
{
    check();
    m_outcome = ReportOutcome();
    ReportDataSource *main = m_sources.mutableSource(m_t.dataSource);
    // Only the details the template reads are moved along; the others would
    // cost a query per row for nothing.
    std::vector<ReportDataSource *> details;
    for (const QString &name : m_t.sourcesUsed())
        if (m_sources.masterOf(name).compare(m_t.dataSource, Qt::CaseInsensitive) == 0)
            details.push_back(m_sources.mutableSource(name));

    const PageBreak checkedNewPage = [&] {
        if (m_run.checkpoint)
            m_run.checkpoint();
        newPage();
    };
    Layout l(painter, m_t, m_sources, checkedNewPage, m_recorder, m_outcome);
    l.vars.listName = m_run.listName;
    l.vars.printTime = m_run.printTime;
    l.vars.title = m_t.title;

    auto follow = [&] {
        for (ReportDataSource *d : details)
            d->masterMoved(*main);
    };

    main->first();
    follow();
    l.startPage();
    l.wholeBand(1);
    int index = 0;
    while (!main->eof()) {
        if (m_run.checkpoint)
            m_run.checkpoint();
        l.vars.rowNumber = index + 1;
        l.detailRow(index);
        ++index;
        main->next();
        if (!main->eof())
            follow();
    }
    // Footers speak of the last row: the count and the run's figures.
    l.wholeBand(3);
    l.finishPage();
    m_outcome.pages = l.page;
    return l.page;
}

QPageLayout ReportRenderer::pageLayout(const ReportTemplate &tmpl)
{
    QPageLayout layout(QPageSize(tmpl.pageSize, QPageSize::Millimeter),
                       tmpl.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

int ReportRenderer::render(QPagedPaintDevice &device)
{
    check();
    device.setPageLayout(pageLayout(m_t));
    QPainter painter;
    if (!painter.begin(&device))
        throw Error(QStringLiteral("The report \"%1\" could not be started on its output device.").arg(m_t.fileName));
    int pages = 0;
    try {
        pages = render(painter, [&device] { device.newPage(); });
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
    return pages;
}

const QString ReportRenderer::kNotWritten = QStringLiteral("The report could not be written to %1: %2");

namespace {

// A disk that fills up part-way through a write makes a short write, for
// which Qt has no reason but "Unknown error"; one more byte (into the
// temporary file that is dropped anyway) asks the system for its own words.
QString writeFailure(QFileDevice &out)
{
#ifdef Q_OS_UNIX
    const char byte = 0;
    if (out.handle() >= 0 && ::write(out.handle(), &byte, 1) < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
#endif
    return out.errorString();
}

// Draws the report as a PDF onto an open device; the caller checks the
// device for refused writes (a full disk, a file-size limit).
void writePdf(ReportRenderer &r, const ReportTemplate &tmpl, QIODevice &device)
{
    QPdfWriter pdf(&device);
    pdf.setTitle(tmpl.title);
    pdf.setCreator(QStringLiteral("Kestrovan"));
    pdf.setResolution(600);
    r.render(pdf);
}

} // namespace

ReportOutcome ReportRenderer::renderToPdf(const ReportTemplate &tmpl, const ReportSources &sources, const ReportRun &run,
                                          const QString &pdfFileName)
{
    ReportRenderer r(tmpl, sources, run);
    r.check(); // before the file is created
    const QFileInfo target(pdfFileName);
    if (target.exists() && !target.isFile()) {
        // A device or a pipe (/dev/stdout, /dev/full) cannot be replaced; it is
        // written in place, and every write is checked.
        QFile out(pdfFileName);
        if (!out.open(QIODevice::WriteOnly))
            throw Error(kNotWritten.arg(pdfFileName, out.errorString()));
        writePdf(r, tmpl, out);
        if (!out.flush() || out.error() != QFileDevice::NoError)
            throw Error(kNotWritten.arg(pdfFileName, out.errorString()));
        out.close();
        return r.outcome();
    }
    // Written beside the target and put in its place only once every page
    // and the file's end are on disk: a full disk, a failed page or a killed
    // process leaves the previous file as it was.
    QSaveFile out(pdfFileName);
    if (!out.open(QIODevice::WriteOnly))
        throw Error(kNotWritten.arg(pdfFileName, out.errorString()));
    writePdf(r, tmpl, out); // an exception discards the temporary file
    // The last bytes are written out here, so that a full disk is reported
    // before commit() closes the file and forgets why.
    if (out.error() == QFileDevice::NoError)
        out.flush();
    if (out.error() != QFileDevice::NoError)
        throw Error(kNotWritten.arg(pdfFileName, writeFailure(out)));
    if (!out.commit())
        throw Error(kNotWritten.arg(pdfFileName, out.errorString()));
    return r.outcome();
}

} // namespace kv
