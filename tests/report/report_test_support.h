#pragma once

// Helpers shared by the report tests: a paint device that records the text
// drawn on each page, demo-like members with their client records, and the
// shipped templates' folder.

#include "members/member_reports.h"
#include "members/member_row_set.h"
#include "report/table_report_source.h"
#include "report/report_renderer.h"
#include "support/letter_page.h"

#include <QDir>
#include <QFileInfo>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>
#include <map>
#include <memory>
#include <vector>

namespace reporttest {

struct DrawnText
{
    QPointF pos; // device units (the device has 254 dpi: 10 units per millimetre)
    QString text;
    double xMm() const { return pos.x() / 10.0; }
    double yMm() const { return pos.y() / 10.0; }
};

// Records every text item per page; everything else is dropped.
class RecordingEngine : public QPaintEngine
{
public:
    RecordingEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {
    }
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override { }
    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override { }
    void drawRects(const QRectF *, int) override { }
    void drawLines(const QLineF *, int) override { }
    void drawPath(const QPainterPath &) override { }
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override { }
    void drawTextItem(const QPointF &p, const QTextItem &ti) override { pages->back().push_back({p, ti.text()}); }
    Type type() const override { return QPaintEngine::User; }

    std::vector<std::vector<DrawnText>> *pages = nullptr;
};

class RecordingDevice : public QPaintDevice
{
public:
    RecordingDevice()
    {
        m_engine.pages = &pages;
        pages.emplace_back();
    }
    ~RecordingDevice() override { }
    QPaintEngine *paintEngine() const override { return const_cast<RecordingEngine *>(&m_engine); }

    // Draws a report and answers its page count.
    int render(const kv::ReportTemplate &t, const kv::ReportSources &s, const kv::ReportRun &run = {})
    {
        QPainter p(this);
        return kv::ReportRenderer(t, s, run).render(p, [this] { pages.emplace_back(); });
    }

    // The texts of one page, top to bottom then left to right, lines joined.
    QStringList texts(int page) const
    {
        QStringList out;
        for (const DrawnText &d : pages.at(size_t(page)))
            out << d.text;
        return out;
    }
    QStringList allTexts() const
    {
        QStringList out;
        for (size_t i = 0; i < pages.size(); ++i)
            out << texts(int(i));
        return out;
    }
    int count(int page, const QString &prefix) const
    {
        int n = 0;
        for (const DrawnText &d : pages.at(size_t(page)))
            n += d.text.startsWith(prefix) ? 1 : 0;
        return n;
    }

    std::vector<std::vector<DrawnText>> pages;

protected:
    int metric(PaintDeviceMetric m) const override { return letterPageMetric(m); }

private:
    RecordingEngine m_engine;
};

// A detail source over client rows keyed by Person_ID, as the client record
// query would answer them.
class ClientTableSource : public kv::ReportDataSource
{
public:
    explicit ClientTableSource(QStringList fields)
        : m_fields(std::move(fields))
    {
    }
    void add(int personId, const QVariantMap &row) { m_rows[personId] = row; }
    QStringList fieldNames() const override { return m_fields; }
    void first() override { m_atEnd = m_current == m_rows.end(); }
    void next() override { m_atEnd = true; }
    bool eof() const override { return m_atEnd; }
    QVariant value(const QString &field) const override
    {
        if (m_atEnd)
            return {};
        for (auto it = m_current->second.begin(); it != m_current->second.end(); ++it)
            if (it.key().compare(field, Qt::CaseInsensitive) == 0)
                return it.value();
        return {};
    }
    void masterMoved(const kv::ReportDataSource &master) override
    {
        ++moves;
        m_current = master.eof() ? m_rows.end() : m_rows.find(master.value(QStringLiteral("Person_ID")).toInt());
        m_atEnd = m_current == m_rows.end();
    }
    int moves = 0;

private:
    QStringList m_fields;
    std::map<int, QVariantMap> m_rows;
    std::map<int, QVariantMap>::const_iterator m_current = m_rows.end();
    bool m_atEnd = true;
};

inline QStringList memberFields()
{
    QStringList f;
    for (int i = 0; i < kv::MemberRowSet::FieldCount; ++i)
        f << kv::MemberRowSet::fieldName(i);
    return f;
}

QStringList clientFields(); // every column of the Clients table

// Members with names, addresses, cities and phones drawn from small tables,
// numbered so that a test can tell them apart ("Last0007").
struct DemoMembers
{
    explicit DemoMembers(int n, const QString &listName = QStringLiteral("Holiday Dinner 2026"));
    kv::TableReportSource members;
    ClientTableSource clients;
    kv::ReportSources sources;
};

// A report drawn with the renderer's own record of every text item it drew.
struct Recorded
{
    std::vector<kv::ReportDrawnText> items;
    kv::ReportOutcome outcome;
    RecordingDevice device;

    std::vector<kv::ReportDrawnText> of(const QString &itemPath) const
    {
        std::vector<kv::ReportDrawnText> out;
        for (const auto &d : items)
            if (d.item == itemPath)
                out.push_back(d);
        return out;
    }
};

inline std::unique_ptr<Recorded> renderRecorded(const kv::ReportTemplate &t, const kv::ReportSources &s,
                                                const kv::ReportRun &run = {})
{
    auto r = std::make_unique<Recorded>();
    QPainter p(&r->device);
    kv::ReportRenderer renderer(t, s, run);
    renderer.setRecorder([&](const kv::ReportDrawnText &d) { r->items.push_back(d); });
    RecordingDevice &dev = r->device;
    renderer.render(p, [&dev] { dev.pages.emplace_back(); });
    r->outcome = renderer.outcome();
    return r;
}

inline QString templatesDir()
{
    return QStringLiteral(KESTROVAN_SOURCE_DIR "/templates");
}

// One of the report templates the plug-in ships.
inline kv::ReportTemplate shipped(kv::MemberReports::Report r)
{
    return kv::ReportTemplate::load(kv::MemberReports::fullTemplateName(templatesDir(), r));
}

} // namespace reporttest
