#include "members/ui/members_header.h"

#include "members/ui/members_grid.h"

#include "members/member_row_set.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QToolTip>

namespace kv {

MembersHeader::MembersHeader(MembersGrid *grid)
    : QHeaderView(Qt::Horizontal, grid)
    , m_grid(grid)
{
    setObjectName(QStringLiteral("wwDBGridListMembersTitles"));
    setDefaultAlignment(Qt::AlignCenter);
}

QSize MembersHeader::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    s.setHeight(fontMetrics().height() * 3 + 12);
    return s;
}

QString MembersHeader::toolTipOf(int logicalIndex) const
{
    const GridColumn *c = m_grid->columnOfField(logicalIndex);
    if (!c)
        return QString();
    QString title = MembersGrid::tr(qUtf8Printable(c->title)).remove(QLatin1Char('~'));
    if (c->field == MemberRowSet::Invited)
        return tr("%1: Ctrl+I checks or clears the current member's mark").arg(title);
    if (c->field == MemberRowSet::Confirmed)
        return tr("%1: Ctrl+C moves the current member's mark from unknown to checked to not checked").arg(title);
    return title;
}

bool MembersHeader::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        const QString text = toolTipOf(logicalIndexAt(help->pos()));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QHeaderView::event(e);
}

void MembersHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logicalIndex;
    opt.text.clear();
    style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);

    const GridColumn *c = m_grid->columnOfField(logicalIndex);
    if (!c)
        return;
    const int lineH = fontMetrics().height();
    QRect titleRect = rect.adjusted(2, 2, -2, -2);
    painter->save();
    painter->setPen(palette().color(QPalette::ButtonText));
    if (!c->group.isEmpty()) {
        // The group's band spans its neighbouring columns; each section paints its part.
        int first = visualIndex(logicalIndex), last = first;
        auto sameGroup = [&](int v) {
            const int l = this->logicalIndex(v);
            if (l < 0 || isSectionHidden(l))
                return false;
            const GridColumn *o = m_grid->columnOfField(l);
            return o && o->group == c->group;
        };
        while (first > 0 && sameGroup(first - 1))
            --first;
        while (last < count() - 1 && sameGroup(last + 1))
            ++last;
        const int x0 = sectionViewportPosition(this->logicalIndex(first));
        const int x1 = sectionViewportPosition(this->logicalIndex(last)) + sectionSize(this->logicalIndex(last));
        const QRect band(x0, rect.top(), x1 - x0, lineH + 4);
        painter->setClipRect(rect);
        painter->drawText(band, Qt::AlignCenter, MembersGrid::tr(qUtf8Printable(c->group)));
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawLine(rect.left(), band.bottom(), rect.right(), band.bottom());
        painter->setPen(palette().color(QPalette::ButtonText));
        titleRect.setTop(band.bottom() + 1);
    }
    QString title = MembersGrid::tr(qUtf8Printable(c->title));
    title.replace(QLatin1Char('~'), QLatin1Char('\n'));
    painter->drawText(titleRect, Qt::AlignCenter | Qt::TextWordWrap, title);
    painter->restore();
}

} // namespace kv
