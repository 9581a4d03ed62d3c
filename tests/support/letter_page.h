#pragma once

// The page the report tests and the fitting fuzz target draw on: US Letter at
// 254 dpi, so ten device units are one millimetre.

#include <QPaintDevice>
#include <climits>

inline int letterPageMetric(QPaintDevice::PaintDeviceMetric m)
{
    switch (m) {
    case QPaintDevice::PdmWidth: return 2159;
    case QPaintDevice::PdmHeight: return 2794;
    case QPaintDevice::PdmWidthMM: return 216;
    case QPaintDevice::PdmHeightMM: return 279;
    case QPaintDevice::PdmDpiX:
    case QPaintDevice::PdmDpiY:
    case QPaintDevice::PdmPhysicalDpiX:
    case QPaintDevice::PdmPhysicalDpiY: return 254;
    case QPaintDevice::PdmDepth: return 32;
    case QPaintDevice::PdmNumColors: return INT_MAX;
    case QPaintDevice::PdmDevicePixelRatio: return 1;
    case QPaintDevice::PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
    default: return 0;
    }
}
