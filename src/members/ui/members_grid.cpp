#include "members/ui/members_grid.h"

#include <QApplication>
#include <QHelpEvent>
#include <QRegularExpressionValidator>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>
#include <QToolButton>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>
#include <QHBoxLayout>
#include <algorithm>
#include <cmath>

namespace kv {

using RS = MemberRowSet;

const QString MembersGrid::kGroupName = QStringLiteral("Name");
const QString MembersGrid::kGroupDeliveryDays = QStringLiteral("Delivery Days");

const QList<GridColumn> &MembersGrid::designColumns()
{
    using C = GridColumn::Cell;
    static const QList<GridColumn> columns = {
        {RS::Client_ID, QStringLiteral("Client~ID"), 8, C::Text, QString()},
        {RS::First_Name, QStringLiteral("First"), 8, C::Text, kGroupName},
        {RS::Last_Name, QStringLiteral("Last"), 13, C::Text, kGroupName},
        {RS::Address1, QStringLiteral("Address"), 15, C::Text, QString()},
        {RS::City, QStringLiteral("City"), 11, C::Text, QString()},
        {RS::Invited, QStringLiteral("Inv~ite"), 3, C::Check, QString()},
        {RS::Confirmed, QStringLiteral("Conf~irm"), 3, C::CheckThreeState, QString()},
        {RS::Quantity, QStringLiteral("Qty"), 5, C::Number, QString()},
        {RS::Service_Desc, QStringLiteral("Service"), 15, C::Text, QString()},
        {RS::Status, QStringLiteral("Stat~us"), 3, C::Text, QString()},
        {RS::Start_Dte, QStringLiteral("Start"), 9, C::Date, QString()},
        {RS::Stop_Dte, QStringLiteral("Stop"), 9, C::Date, QString()},
        {RS::Dependent, QStringLiteral("Dep~end"), 3, C::Text, QString()},
        {RS::Household_Name, QStringLiteral("Household"), 16, C::Text, QString()},
        {RS::Delivery_Type, QStringLiteral("Deliv~Type"), 4, C::Text, QString()},
        {RS::Def_Rte, QStringLiteral("Def~Rte"), 7, C::Text, QString()},
        {RS::Monday, QStringLiteral("Mo"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Tuesday, QStringLiteral("Tu"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Wednesday, QStringLiteral("We"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Thursday, QStringLiteral("Th"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Friday, QStringLiteral("Fr"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Saturday, QStringLiteral("Sa"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Sunday, QStringLiteral("Su"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Add_Dte, QStringLiteral("Added"), 10, C::Date, QString()},
    };
    return columns;
}

namespace {

const QRegularExpression kQuantityPattern(QStringLiteral("[0-9]{0,3}"));
// The room left and right of a cell's text.
constexpr int kCellMarginX = 3;

QString cellText(const QVariant &v)
{
    if (!v.isValid())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QDate: return v.toDate().toString(QStringLiteral("M/d/yyyy"));
    case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("M/d/yyyy h:mm"));
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: return v.toString();
    }
}
} // namespace

// ---------------------------------------------------------------------------

MembersGrid::MembersGrid(QWidget *parent)
    : QTableView(parent)
{
    setObjectName(QStringLiteral("wwDBGridListMembers"));
    m_header = new MembersHeader(this);
    setHorizontalHeader(m_header);
    m_footer = new MembersFooter(this);
    setItemDelegate(new MembersDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
                    | QAbstractItemView::SelectedClicked);
    setWordWrap(true);
    setShowGrid(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('W')) + 8);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        const GridColumn *c = columnOfField(index.column());
        if (c && (c->cell == GridColumn::Cell::Check || c->cell == GridColumn::Cell::CheckThreeState))
            return; // a double click on a check box is two clicks on it
        Q_EMIT editClientRequested();
    });
    connect(m_header, &QHeaderView::sectionClicked, this,
            [this](int logical) { Q_EMIT titleButtonClick(MemberRowSet::fieldName(logical)); });
    // The corner button opens the client editor rather than selecting everything.
    if (auto *corner = findChild<QAbstractButton *>()) {
        corner->disconnect();
        connect(corner, &QAbstractButton::clicked, this, &MembersGrid::editClientRequested);
        corner->setToolTip(QStringLiteral("Edit Client Info"));
    }
    auto repaintFooter = [this] { m_footer->update(); };
    connect(m_header, &QHeaderView::sectionResized, this, repaintFooter);
    connect(m_header, &QHeaderView::sectionMoved, this, repaintFooter);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, repaintFooter);
    // Rows coming into view, and columns changing width, may need other heights.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &MembersGrid::scheduleRowFit);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &MembersGrid::scheduleRowFit);
    connect(m_header, &QHeaderView::sectionResized, this, &MembersGrid::scheduleRowFit);
}

MembersGrid::~MembersGrid()
{
    if (!m_footer->parent())
        delete m_footer;
}

int MembersGrid::designWidthPixels(int chars) const
{
    return fontMetrics().averageCharWidth() * chars + 8;
}

void MembersGrid::setRowSet(MemberRowSet *rows)
{
    m_rows = rows;
    setModel(rows);
    applyDesign();
    connect(rows, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (!m_inReset)
            m_pendingSelection = selectedBookmarks();
        m_inReset = true;
        invalidateBands();
    });
    connect(rows, &QAbstractItemModel::modelReset, this, [this] {
        m_inReset = false;
        const auto marks = m_pendingSelection;
        m_pendingSelection.clear();
        selectBookmarks(marks);
        followRowSetCurrent(m_rows->recNo());
        invalidateBands();
        m_footer->update();
    });
    connect(rows, &QAbstractItemModel::layoutChanged, this, [this] {
        invalidateBands();
        followRowSetCurrent(m_rows->recNo());
    });
    connect(rows, &QAbstractItemModel::rowsInserted, this, [this] { invalidateBands(); });
    connect(rows, &QAbstractItemModel::rowsRemoved, this, [this] { invalidateBands(); });
    connect(rows, &QAbstractItemModel::dataChanged, this, [this] { invalidateBands(); });
    connect(rows, &MemberRowSet::currentRowChanged, this, &MembersGrid::followRowSetCurrent);
    connect(rows, &QAbstractItemModel::modelReset, this, &MembersGrid::scheduleRowFit);
    connect(rows, &QAbstractItemModel::layoutChanged, this, &MembersGrid::scheduleRowFit);
    connect(rows, &QAbstractItemModel::dataChanged, this, &MembersGrid::scheduleRowFit);
    connect(rows, &QAbstractItemModel::rowsInserted, this, &MembersGrid::scheduleRowFit);
}

QTextOption MembersGrid::cellTextOption()
{
    QTextOption option(Qt::AlignLeft | Qt::AlignVCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

void MembersGrid::scheduleRowFit()
{
    if (m_fitPending)
        return;
    m_fitPending = true;
    QTimer::singleShot(0, this, [this] {
        m_fitPending = false;
        fitRowHeights();
    });
}

int MembersGrid::fittedRowHeight(int viewRow) const
{
    const int base = verticalHeader()->defaultSectionSize();
    if (!wordWrap())
        return base;
    int height = base;
    const int padding = base - fontMetrics().height();
    for (const GridColumn &c : designColumns()) {
        if (c.cell != GridColumn::Cell::Text || isColumnHidden(c.field))
            continue;
        const QString text = cellText(model()->index(viewRow, c.field).data(Qt::EditRole));
        // One line fits whenever the text does; only longer values are laid out.
        const int width = columnWidth(c.field) - 2 * kCellMarginX;
        if (text.isEmpty() || width <= 0 || fontMetrics().horizontalAdvance(text) <= width)
            continue;
        QTextLayout layout(text, font());
        layout.setTextOption(cellTextOption());
        layout.beginLayout();
        qreal lines = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines += line.height();
        }
        layout.endLayout();
        height = std::max(height, int(std::ceil(lines)) + padding);
    }
    return height;
}

void MembersGrid::fitRowHeights()
{
    // Rows that grow push a row just scrolled to out of view again (a search,
    // a move): scroll back to it until the heights above it are settled.
    for (int round = 0; round < 8; ++round) {
        const bool changed = fitRowsInView();
        const QModelIndex current = currentIndex();
        if (!m_keepCurrentInView || !current.isValid())
            break;
        const QRect r = visualRect(current);
        if (r.top() >= 0 && (r.bottom() < viewport()->height() || r.top() == 0) && !changed)
            break;
        updateGeometries();
        scrollTo(current);
    }
    m_keepCurrentInView = false;
}

bool MembersGrid::fitRowsInView()
{
    // Only the rows in view are measured: a list of any length costs the same.
    if (!model() || model()->rowCount() == 0)
        return false;
    bool changed = false;
    const int first = std::max(0, rowAt(0));
    for (int r = first; r < model()->rowCount(); ++r) {
        const int h = fittedRowHeight(r);
        if (rowHeight(r) != h) {
            setRowHeight(r, h);
            changed = true;
        }
        if (rowViewportPosition(r) + h >= viewport()->height())
            break;
    }
    return changed;
}

void MembersGrid::applyDesign()
{
    for (int f = 0; f < MemberRowSet::FieldCount; ++f) {
        const GridColumn *c = columnOfField(f);
        setColumnHidden(f, c == nullptr);
        if (c)
            setColumnWidth(f, designWidthPixels(c->widthChars));
    }
    m_header->setSectionsMovable(true);
    m_header->setSectionsClickable(true);
    m_header->setHighlightSections(false);
    m_header->setFixedHeight(m_header->sizeHint().height());
}

const GridColumn *MembersGrid::columnOfField(int field) const
{
    for (const GridColumn &c : designColumns())
        if (c.field == field)
            return &c;
    return nullptr;
}

QList<MemberRowSet::Bookmark> MembersGrid::selectedBookmarks() const
{
    if (m_inReset)
        return m_pendingSelection;
    QList<MemberRowSet::Bookmark> marks;
    if (!m_rows || !selectionModel())
        return marks;
    QModelIndexList rows = selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    for (const QModelIndex &i : rows) {
        const auto b = m_rows->bookmarkAt(i.row());
        if (b != MemberRowSet::kNoBookmark)
            marks << b;
    }
    return marks;
}

void MembersGrid::clearGridSelection()
{
    m_pendingSelection.clear();
    if (selectionModel() && !m_inReset)
        selectionModel()->clearSelection();
}

void MembersGrid::selectBookmarks(const QList<MemberRowSet::Bookmark> &marks)
{
    if (!m_rows || !selectionModel())
        return;
    QItemSelection sel;
    for (auto b : marks) {
        const int r = m_rows->viewRowOf(b);
        if (r >= 0)
            sel.select(model()->index(r, 0), model()->index(r, model()->columnCount() - 1));
    }
    selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
}

void MembersGrid::setFooterText(int field, const QString &text)
{
    m_footerTexts[field] = text;
    m_footer->update();
}

QString MembersGrid::footerText(int field) const
{
    return m_footerTexts.value(field);
}

void MembersGrid::setGroupField(int field)
{
    m_groupField = field;
    invalidateBands();
    viewport()->update();
}

void MembersGrid::invalidateBands()
{
    m_bandsValid = false;
}

bool MembersGrid::rowTinted(int viewRow) const
{
    if (m_groupField < 0 || !m_rows)
        return viewRow % 2 == 1;
    if (!m_bandsValid) {
        const int n = m_rows->recordCount();
        m_bands.assign(n, 0);
        quint8 band = 0;
        QVariant prev;
        for (int r = 0; r < n; ++r) {
            const QVariant v = m_rows->valueAt(r, m_groupField);
            if (r > 0 && !(v == prev && v.isValid() == prev.isValid()))
                band ^= 1;
            m_bands[r] = band;
            prev = v;
        }
        m_bandsValid = true;
    }
    return viewRow >= 0 && viewRow < int(m_bands.size()) && m_bands[viewRow] == 1;
}

void MembersGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_syncing || m_inReset || !m_rows || !current.isValid() || !m_rows->isOpen())
        return;
    if (current.row() != m_rows->recNo()) {
        const auto target = m_rows->bookmarkAt(current.row());
        m_rows->setRecNo(current.row());
        // A posted edit may have moved rows; keep the view on the row chosen.
        if (m_rows->getBookmark() != target)
            m_rows->gotoBookmark(target);
    }
}

void MembersGrid::followRowSetCurrent(int viewRow)
{
    if (m_inReset || !m_rows || !selectionModel() || viewRow < 0 || viewRow >= model()->rowCount())
        return;
    const int column = currentIndex().isValid() ? currentIndex().column() : MemberRowSet::Client_ID;
    const QModelIndex idx = model()->index(viewRow, column);
    if (currentIndex() == idx)
        return;
    m_syncing = true;
    selectionModel()->setCurrentIndex(idx, QItemSelectionModel::NoUpdate);
    scrollTo(idx);
    m_keepCurrentInView = true;
    scheduleRowFit();
    m_syncing = false;
}

void MembersGrid::updateGeometries()
{
    QTableView::updateGeometries();
    m_footer->update();
    scheduleRowFit();
}

void MembersGrid::keyPressEvent(QKeyEvent *event)
{
    // The space bar ticks a check box as a click does.
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
        const GridColumn *c = columnOfField(currentIndex().column());
        if (c && (c->cell == GridColumn::Cell::Check || c->cell == GridColumn::Cell::CheckThreeState)) {
            model()->setData(currentIndex(),
                             MembersDelegate::clickedValue(c->field, model()->data(currentIndex(), Qt::EditRole)),
                             Qt::EditRole);
            return;
        }
    }
    // Rows are never inserted or deleted from the grid.
    if (event->key() == Qt::Key_Insert || event->key() == Qt::Key_Delete) {
        event->ignore();
        return;
    }
    QTableView::keyPressEvent(event);
}

void MembersGrid::commitPendingEditor()
{
    if (!m_editor)
        return;
    QWidget *e = m_editor;
    m_editor = nullptr;
    commitData(e);
    closeEditor(e, QAbstractItemDelegate::NoHint);
}

void MembersGrid::discardPendingEditor()
{
    if (!m_editor)
        return;
    QWidget *e = m_editor;
    m_editor = nullptr;
    closeEditor(e, QAbstractItemDelegate::RevertModelCache);
}

QStringList MembersGrid::visualFieldOrder() const
{
    QStringList order;
    for (int v = 0; v < m_header->count(); ++v) {
        const int l = m_header->logicalIndex(v);
        if (!m_header->isSectionHidden(l))
            order << MemberRowSet::fieldName(l);
    }
    return order;
}

void MembersGrid::saveLayout(QSettings &settings, const QString &group) const
{
    QStringList entries;
    for (int v = 0; v < m_header->count(); ++v) {
        const int l = m_header->logicalIndex(v);
        if (m_header->isSectionHidden(l))
            continue;
        entries << QStringLiteral("%1;%2").arg(MemberRowSet::fieldName(l)).arg(m_header->sectionSize(l));
    }
    settings.beginGroup(group);
    settings.setValue(QStringLiteral("Columns"), entries);
    settings.endGroup();
}

void MembersGrid::restoreLayout(QSettings &settings, const QString &group)
{
    settings.beginGroup(group);
    const QStringList entries = settings.value(QStringLiteral("Columns")).toStringList();
    settings.endGroup();
    if (entries.isEmpty())
        return;
    QList<int> order;
    QHash<int, int> widths;
    for (const QString &e : entries) {
        const QStringList parts = e.split(QLatin1Char(';'));
        const int f = MemberRowSet::fieldIndex(parts.value(0));
        if (f < 0 || !columnOfField(f) || order.contains(f))
            continue; // a column this grid no longer has
        order << f;
        bool ok = false;
        const int w = parts.value(1).toInt(&ok);
        if (ok && w > 0)
            widths.insert(f, w);
    }
    // Columns the stored layout does not know keep their design place at the end.
    for (const GridColumn &c : designColumns())
        if (!order.contains(c.field))
            order << c.field;
    for (int l = 0; l < m_header->count(); ++l)
        if (m_header->isSectionHidden(l))
            m_header->moveSection(m_header->visualIndex(l), m_header->count() - 1);
    for (int k = 0; k < order.size(); ++k)
        m_header->moveSection(m_header->visualIndex(order[k]), k);
    for (auto it = widths.cbegin(); it != widths.cend(); ++it)
        m_header->resizeSection(it.key(), it.value());
}

// ---------------------------------------------------------------------------

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
        painter->drawText(band, Qt::AlignCenter, c->group);
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawLine(rect.left(), band.bottom(), rect.right(), band.bottom());
        painter->setPen(palette().color(QPalette::ButtonText));
        titleRect.setTop(band.bottom() + 1);
    }
    QString title = c->title;
    title.replace(QLatin1Char('~'), QLatin1Char('\n'));
    painter->drawText(titleRect, Qt::AlignCenter | Qt::TextWordWrap, title);
    painter->restore();
}

// ---------------------------------------------------------------------------

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

// ---------------------------------------------------------------------------

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
    return cellText(value);
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
    const QRect r = opt.rect.adjusted(kCellMarginX, 0, -kCellMarginX, 0);
    const QString text = cellText(v);
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
    if (!c || (c->cell != GridColumn::Cell::Check && c->cell != GridColumn::Cell::CheckThreeState))
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
            const QString text = cellText(index.data(Qt::EditRole));
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

// ---------------------------------------------------------------------------

const QString MembersNavigator::kHintFirst = QStringLiteral("Move to first record");
const QString MembersNavigator::kHintPriorPage = QStringLiteral("Move backward 10 records");
const QString MembersNavigator::kHintPrior = QStringLiteral("Move to prior record");
const QString MembersNavigator::kHintNext = QStringLiteral("Move to next record");
const QString MembersNavigator::kHintNextPage = QStringLiteral("Move forward 10 records");
const QString MembersNavigator::kHintLast = QStringLiteral("Move to last record");
const QString MembersNavigator::kHintPost = QStringLiteral("Post edit");
const QString MembersNavigator::kHintCancel = QStringLiteral("Cancel edit");

MembersNavigator::MembersNavigator(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("wwDBNavigator1"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    struct B
    {
        const char *name;
        const char *glyph;
        const QString *hint;
        void (MembersNavigator::*signal)();
    };
    const B defs[] = {
        {"First", "|\u25C0", &kHintFirst, &MembersNavigator::firstClicked},
        {"PriorPage", "\u25C0\u25C0", &kHintPriorPage, &MembersNavigator::priorPageClicked},
        {"Prior", "\u25C0", &kHintPrior, &MembersNavigator::priorClicked},
        {"Next", "\u25B6", &kHintNext, &MembersNavigator::nextClicked},
        {"NextPage", "\u25B6\u25B6", &kHintNextPage, &MembersNavigator::nextPageClicked},
        {"Last", "\u25B6|", &kHintLast, &MembersNavigator::lastClicked},
        {"Post", "\u2714", &kHintPost, &MembersNavigator::postClicked},
        {"Cancel", "\u2716", &kHintCancel, &MembersNavigator::cancelClicked},
    };
    for (const B &d : defs) {
        auto *b = new QToolButton(this);
        b->setObjectName(QStringLiteral("wwDBNavigator1") + QLatin1String(d.name));
        b->setText(QString::fromUtf8(d.glyph));
        b->setToolTip(*d.hint);
        b->setAutoRaise(false);
        b->setFixedWidth(26);
        b->setFocusPolicy(Qt::NoFocus);
        const auto sig = d.signal;
        connect(b, &QToolButton::clicked, this, [this, sig] { (this->*sig)(); });
        row->addWidget(b);
        m_buttons << b;
    }
    updateEnabled();
}

QToolButton *MembersNavigator::button(const QString &objectName) const
{
    for (QToolButton *b : m_buttons)
        if (b->objectName() == objectName)
            return b;
    return nullptr;
}

void MembersNavigator::setRowSet(MemberRowSet *rows)
{
    m_rows = rows;
    connect(rows, &MemberRowSet::stateChanged, this, [this] { updateEnabled(); });
    connect(rows, &MemberRowSet::currentRowChanged, this, [this] { updateEnabled(); });
    connect(rows, &QAbstractItemModel::modelReset, this, [this] { updateEnabled(); });
    updateEnabled();
}

void MembersNavigator::updateEnabled()
{
    const bool editing = m_rows && m_rows->state() == DataState::Edit;
    const bool rows = m_rows && m_rows->isOpen() && !m_rows->isEmpty();
    for (QToolButton *b : m_buttons) {
        const bool editButton = b->objectName().endsWith(QLatin1String("Post")) || b->objectName().endsWith(QLatin1String("Cancel"));
        b->setEnabled(editButton ? editing : rows);
    }
}

// ---------------------------------------------------------------------------

IncrementalSearch::IncrementalSearch(QWidget *parent)
    : QLineEdit(parent)
{
    setObjectName(QStringLiteral("wwIncrementalSearch1"));
    connect(this, &QLineEdit::textEdited, this, &IncrementalSearch::search);
}

int IncrementalSearch::findClosest(MemberRowSet &rows, const QString &text, QString *matchedText)
{
    const int field = MemberRowSet::orderField(rows.indexName());
    if (field < 0 || text.isEmpty() || !rows.isOpen())
        return -1;
    const bool isText = MemberRowSet::fieldType(field) == FieldType::Text;
    const int n = rows.recordCount();
    int lowerBound = -1;
    for (int r = 0; r < n; ++r) {
        const QString value = cellText(rows.valueAt(r, field));
        if (value.startsWith(text, Qt::CaseInsensitive)) {
            if (matchedText)
                *matchedText = value;
            return r;
        }
        if (isText && lowerBound < 0 && value.compare(text, Qt::CaseInsensitive) > 0)
            lowerBound = r;
    }
    // No value begins with the text: the closest is the first that sorts after it.
    if (lowerBound >= 0 && matchedText)
        *matchedText = cellText(rows.valueAt(lowerBound, field));
    return lowerBound;
}

void IncrementalSearch::keyPressEvent(QKeyEvent *event)
{
    m_noComplete = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    QLineEdit::keyPressEvent(event);
}

bool IncrementalSearch::event(QEvent *event)
{
    // Ctrl+C belongs to the window's Confirmed cycle, as in the grid.
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Copy)) {
        event->ignore();
        return false;
    }
    return QLineEdit::event(event);
}

void IncrementalSearch::search(const QString &typed)
{
    const bool complete = !m_noComplete;
    m_noComplete = false;
    if (!m_rows || typed.isEmpty())
        return;
    QString matched;
    const int pos = findClosest(*m_rows, typed, &matched);
    if (pos < 0)
        return;
    m_rows->setRecNo(pos);
    if (complete && matched.size() > typed.size() && matched.startsWith(typed, Qt::CaseInsensitive)) {
        setText(typed + matched.mid(typed.size()));
        setSelection(typed.size(), matched.size() - typed.size());
    }
}

} // namespace kv
