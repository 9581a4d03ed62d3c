#pragma once

#include "report/text_fitting.h"

#include <QFontMetricsF>

namespace kv {

// Text fitting's measurements from Qt's metrics of a font on the output device.
class QtFontMeasure : public FontMeasure
{
public:
    explicit QtFontMeasure(const QFontMetricsF &metrics)
        : m_metrics(metrics)
    {
    }

    double width(const QString &text) const override { return m_metrics.horizontalAdvance(text); }
    double width(QChar c) const override { return m_metrics.horizontalAdvance(c); }
    double lineSpacing() const override { return m_metrics.lineSpacing(); }
    QString elided(const QString &text, double width) const override
    {
        return m_metrics.elidedText(text, Qt::ElideRight, width);
    }

    const QFontMetricsF &metrics() const { return m_metrics; }

private:
    QFontMetricsF m_metrics;
};

} // namespace kv
