#include "members/ui/members_delegate.h"

#include "members/member_row_set.h"
#include "members/ui/members_grid.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyleOptionButton>
#include <QToolTip>

namespace kv {

namespace {
const QRegularExpression kQuantityPattern(QStringLiteral("[0-9]{0,3}"));
} // namespace

MembersDelegate::MembersDelegate(MembersGrid *grid)
    : QStyledItemDelegate(grid)
    , m_grid(grid)
{
}

QVariant MembersDelegate::clickedValue(int field, const QVariant &current)
{
    const QString s = current.toString();
    if (field == MemberRowSet::Confirmed) {
        if (s.isEmpty())
            return QStringLiteral("Y");
        if (s == QLatin1String("Y"))
            return QStringLiteral("N");
        return QString();
    }
    return s == QLatin1String("Y") ? QStringLiteral("N") : QStringLiteral("Y");
}

QString MembersDelegate::displayText(const QVariant &value, const QLocale &) const
{
    return gridCellText(value);
}

void MembersDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette &pal = opt.palette;
    QColor bg = pal.color(QPalette::Base);
    if (selected)
        bg = pal.color(QPalette::Highlight);
    else if (m_grid->rowTinted(index.row()))
        bg = pal.color(QPalette::ToolTipBase);
    painter->fillRect(opt.rect, bg);

    const GridColumn *c = m_grid->columnOfField(index.column());
    const QVariant v = index.data(Qt::EditRole);
    if (c && (c->cell == GridColumn::Cell::Check || c->cell == GridColumn::Cell::CheckThreeState
              || c->cell == GridColumn::Cell::ReadOnlyCheck)) {
        const auto state = Qt::CheckState(index.data(Qt::CheckStateRole).toInt());
        QStyleOptionButton box;
        const QStyle *style = m_grid->style();
        const int w = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, m_grid);
        const int h = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, m_grid);
        box.rect = QRect(opt.rect.center().x() - w / 2, opt.rect.center().y() - h / 2, w, h);
        box.state = QStyle::State_Enabled;
        box.state |= state == Qt::Checked ? QStyle::State_On
            : state == Qt::PartiallyChecked ? QStyle::State_NoChange
                                            : QStyle::State_Off;
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, m_grid);
        return;
    }
    painter->save();
    painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const int align = (c && c->cell == GridColumn::Cell::Number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    const QRect r = opt.rect.adjusted(kGridCellMarginX, 0, -kGridCellMarginX, 0);
    const QString text = gridCellText(v);
    if (c && c->cell == GridColumn::Cell::Text && m_grid->wordWrap() && opt.fontMetrics.horizontalAdvance(text) > r.width())
        painter->drawText(QRectF(r), text, MembersGrid::cellTextOption());
    else
        painter->drawText(r, align, opt.fontMetrics.elidedText(text, Qt::ElideRight, r.width()));
    painter->restore();
}

bool MembersDelegate::editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                                  const QModelIndex &index)
{
    const GridColumn *c = m_grid->columnOfField(index.column());
    if (!c || !c->clickable())
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() != Qt::LeftButton || !option.rect.contains(me->position().toPoint()))
            return false;
        if (me->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier))
            return false; // selecting rows, not ticking
        model->setData(index, clickedValue(c->field, model->data(index, Qt::EditRole)), Qt::EditRole);
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick)
        return true;
    return false;
}

QWidget *MembersDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() != MemberRowSet::Quantity)
        return nullptr;
    auto *e = new QLineEdit(parent);
    m_grid->setOpenEditor(e);
    e->setObjectName(QStringLiteral("QuantityEditor"));
    // The quantity dialog's range, 0 to 999; empty is no quantity, and is
    // accepted (an integer validator would hold an emptied cell open).
    e->setValidator(new QRegularExpressionValidator(kQuantityPattern, e));
    e->setMaxLength(3);
    e->setAlignment(Qt::AlignRight);
    Q_UNUSED(option)
    return e;
}

void MembersDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *e = qobject_cast<QLineEdit *>(editor)) {
        const QVariant v = index.data(Qt::EditRole);
        e->setText(v.isValid() ? v.toString() : QString());
    }
}

void MembersDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *e = qobject_cast<QLineEdit *>(editor)) {
        const QString t = e->text().trimmed();
        // A cleared quantity is no quantity at all.
        const QVariant typed = t.isEmpty() ? QVariant() : QVariant(t.toInt());
        // An editor left as it was changes nothing: the row must not go into
        // edit (and closing the window then has nothing to ask about).
        const QVariant current = index.data(Qt::EditRole);
        const bool currentEmpty = !current.isValid() || current.isNull();
        if (typed.isValid() ? !currentEmpty && current.toInt() == typed.toInt() : currentEmpty)
            return;
        model->setData(index, typed, Qt::EditRole);
    }
}

bool MembersDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                const QModelIndex &index)
{
    if (event->type() == QEvent::ToolTip && index.isValid()) {
        const GridColumn *c = m_grid->columnOfField(index.column());
        if (c && c->cell != GridColumn::Cell::Check && c->cell != GridColumn::Cell::CheckThreeState
            && c->cell != GridColumn::Cell::ReadOnlyCheck) {
            const QString text = gridCellText(index.data(Qt::EditRole));
            if (!text.isEmpty()) {
                QToolTip::showText(event->globalPos(), text, view);
                return true;
            }
        }
        QToolTip::hideText();
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

} // namespace kv
