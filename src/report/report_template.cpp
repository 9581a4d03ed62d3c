#include "report/report_template.h"

#include <algorithm>

namespace kv {

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
