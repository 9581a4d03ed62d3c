#pragma once

#include "report/band_layout.h"
#include "report/report_run.h"

#include <QRectF>
#include <vector>

class QPainter;

namespace kv {

// Draws laid-out bands on a painter whose origin is the paper's top left
// corner, and tells the recorder (when there is one) what text went where.
class BandPainter
{
public:
    BandPainter(QPainter &painter, const ReportTemplate &tmpl, DeviceScale scale, const ReportRecorder &recorder);

    // Draws the part [from, to) of a laid-out band with its point `from` at
    // (x, top) of the printable area on page `page`. A text line belongs to
    // the part its top is in; boxes and lines crossing the part's edge are
    // clipped to it. Millimetres throughout.
    void drawSlice(const ReportBand &band, const std::vector<PreparedItem> &items, const BandLayout &bl, double x, double top,
                   double from, double to, int page);
    // Pages outside [from, to] (to 0: no end) are laid out but not drawn.
    void setPageRange(int from, int to);
    bool drawsPage(int page) const { return page >= m_fromPage && (m_toPage <= 0 || page <= m_toPage); }

private:
    QRectF deviceRect(double x, double y, double w, double h) const;

    QPainter &m_p;
    const ReportTemplate &m_t;
    DeviceScale m_scale;
    double m_printableWidth = 0; // millimetres
    const ReportRecorder &m_recorder;
    int m_fromPage = 1;
    int m_toPage = 0;
};

} // namespace kv
