#pragma once

#include "report/qt_font_measure.h"
#include "report/report_expression.h"
#include "report/report_template.h"
#include "report/text_fitting.h"

#include <QFont>
#include <QRectF>
#include <QString>
#include <vector>

class QPaintDevice;

namespace kv {

// Device units per millimetre.
struct DeviceScale
{
    double sx = 1;
    double sy = 1;
};

// One size of an item's font, resolved for the device.
struct SizedFont
{
    QFont font;
    QtFontMeasure measure;
    double pointSize = 0;
};

// One item made ready for a device: its fonts and metrics resolved once, the
// template's size first, then the smaller ones "shrink" may use.
struct PreparedItem
{
    const ReportItem *item = nullptr;
    std::vector<SizedFont> sizes;
    std::vector<const FontMeasure *> measures; // sizes as text fitting sees them

    PreparedItem() = default;
    PreparedItem(PreparedItem &&) = default;
    PreparedItem &operator=(PreparedItem &&) = default;
    PreparedItem(const PreparedItem &) = delete; // measures point into sizes
    PreparedItem &operator=(const PreparedItem &) = delete;
};

// The items of a band made ready for the device.
std::vector<PreparedItem> prepareItems(const ReportBand &band, const QPaintDevice &device);

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

// Lays out one instance of a band over the current rows: each text item's
// value fitted into its box, stretched items grown and what lies below them
// moved down, a tinted row filled across width (millimetres).
BandLayout layoutBand(const ReportBand &band, const std::vector<PreparedItem> &items, const ReportSourceLookup &sources,
                      const QString &defaultSource, const ReportVariables &vars, DeviceScale scale, double width, bool tinted);

} // namespace kv
