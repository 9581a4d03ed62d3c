// libFuzzer target: any value drawn by the report renderer's text fitting
// (shrink, wrap, stretch across pages, shortening) in boxes of several sizes.
// Besides not crashing, a value the renderer does not report as cut must be
// drawn whole: every character that is not a blank, in order.

#include "data/engine/db_error.h"
#include "report/report_data_source.h"
#include "report/report_renderer.h"
#include "report/report_template.h"
#include "tests/support/letter_page.h"

#include <QGuiApplication>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <cstdint>
#include <cstdlib>

namespace {

// Draws nothing; the renderer's own record says what it drew.
class NullEngine : public QPaintEngine
{
public:
    NullEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override { }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override { }
    void drawTextItem(const QPointF &, const QTextItem &) override { }
    Type type() const override { return QPaintEngine::User; }
};

class NullDevice : public QPaintDevice
{
public:
    QPaintEngine *paintEngine() const override { return &m_engine; }

protected:
    int metric(PaintDeviceMetric m) const override { return letterPageMetric(m); }

private:
    mutable NullEngine m_engine;
};

class OneValue : public kv::ReportDataSource
{
public:
    QString text;
    QStringList fieldNames() const override { return {QStringLiteral("Value")}; }
    void first() override { m_done = false; }
    void next() override { m_done = true; }
    bool eof() const override { return m_done; }
    QVariant value(const QString &) const override { return m_done ? QVariant() : QVariant(text); }

private:
    bool m_done = true;
};

QString letters(QString s)
{
    s.removeIf([](QChar c) { return c.isSpace() || c == QChar(0x2026); });
    return s;
}

const char *const kItems[] = {
    R"J({"width": 57.7, "height": 20.4, "expr": "Value", "fit": "shrink", "minSize": 7, "valign": "middle"})J",
    R"J({"width": 49, "height": 6, "expr": "Value", "fit": "shrink", "minSize": 7, "stretch": true})J",
    R"J({"width": 30, "height": 8.8, "expr": "Value", "stretch": true, "align": "right"})J",
    R"J({"width": 12, "height": 4.4, "expr": "Value", "wordWrap": true, "align": "center"})J",
    R"J({"width": 25, "height": 5, "expr": "Value"})J",
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 20000)
        return 0;
    static std::vector<kv::ReportTemplate> templates = [] {
        std::vector<kv::ReportTemplate> out;
        for (const char *item : kItems)
            out.push_back(kv::ReportTemplate::parse(
                QByteArray(R"J({"format": "kestrovan-report", "dataSource": "V",
                    "page": {"paper": "Custom", "width": 100, "height": 60, "margins": {"top": 5, "bottom": 5, "left": 5, "right": 5}},
                    "pageHeader": {"height": 5, "items": [{"width": 50, "expr": "'Page ' + Page"}]},
                    "detail": {"height": 20, "items": [)J") + item + "]}}",
                QStringLiteral("fuzz.rtm")));
        return out;
    }();
    // The first byte picks the box; the rest is the value, read as UTF-8 or,
    // with the top bit set, as raw UTF-16 (lone surrogates included).
    const kv::ReportTemplate &t = templates[size_t(data[0] & 0x7f) % templates.size()];
    OneValue value;
    if (data[0] & 0x80)
        value.text = QString(reinterpret_cast<const QChar *>(data + 1), qsizetype((size - 1) / 2));
    else
        value.text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    kv::ReportSources sources;
    sources.add(QStringLiteral("V"), &value);

    QString drawn;
    bool cut = false;
    NullDevice device;
    QPainter painter(&device);
    kv::ReportRenderer renderer(t, sources);
    renderer.setRecorder([&](const kv::ReportDrawnText &d) {
        if (d.item.startsWith(QLatin1String("detail"))) {
            drawn += d.lines.join(QString());
            cut = cut || d.cut;
        }
    });
    try {
        renderer.render(painter, [] {});
    } catch (const kv::Error &) {
        return 0;
    }
    if (!cut && letters(drawn) != letters(value.text))
        std::abort(); // a value drawn incompletely without being reported as cut
    return 0;
}
