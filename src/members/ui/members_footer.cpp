#include "members/ui/members_footer.h"

#include "members/member_row_set.h"
#include "members/ui/members_grid.h"

#include <QHeaderView>
#include <QPainter>

namespace kv {

MembersFooter::MembersFooter(MembersGrid *grid)
    : QWidget(nullptr)
    , m_grid(grid)
{
    setObjectName(QStringLiteral("wwDBGridListMembersFooter"));
    setFixedHeight(sizeHint().height());
}

QSize MembersFooter::sizeHint() const
{
    return QSize(100, fontMetrics().height() + 8);
}

void MembersFooter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    QHeaderView *h = m_grid->horizontalHeader();
    // Sections are measured from the grid's viewport, which starts after the row indicator.
    const int offset = m_grid->viewport()->mapTo(m_grid, QPoint(0, 0)).x() + m_grid->mapTo(window(), QPoint(0, 0)).x()
        - mapTo(window(), QPoint(0, 0)).x();
    p.setPen(palette().color(QPalette::Mid));
    for (int v = 0; v < h->count(); ++v) {
        const int l = h->logicalIndex(v);
        if (h->isSectionHidden(l))
            continue;
        const QRect cell(offset + h->sectionViewportPosition(l), 0, h->sectionSize(l), height() - 1);
        if (cell.right() < 0 || cell.left() > width())
            continue;
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(cell);
        const QString text = m_grid->footerText(l);
        if (!text.isEmpty()) {
            // A total wider than its column shows whole, spilling over its neighbour.
            const bool right = l == MemberRowSet::Quantity;
            QRect area = cell.adjusted(3, 0, -3, 0);
            const int need = fontMetrics().horizontalAdvance(text);
            if (need > area.width()) {
                if (right)
                    area.setLeft(area.right() - need);
                else
                    area.setWidth(need);
                p.fillRect(area.adjusted(-2, 1, 2, 0), palette().color(QPalette::Button));
            }
            p.setPen(palette().color(QPalette::ButtonText));
            p.drawText(area, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter | Qt::TextDontClip, text);
        }
    }
}

} // namespace kv
