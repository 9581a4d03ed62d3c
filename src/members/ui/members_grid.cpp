#include "members/ui/members_grid.h"

#include "members/ui/members_delegate.h"
#include "members/ui/members_footer.h"
#include "members/ui/members_header.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace kv {

using RS = MemberRowSet;

#define KV_TR(text) QStringLiteral(QT_TRANSLATE_NOOP("kv::MembersGrid", text))
const QString MembersGrid::kGroupName = KV_TR("Name");
const QString MembersGrid::kGroupDeliveryDays = KV_TR("Delivery Days");

const QList<GridColumn> &MembersGrid::designColumns()
{
    using C = GridColumn::Cell;
    static const QList<GridColumn> columns = {
        {RS::Client_ID, KV_TR("Client~ID"), 8, C::Text, QString()},
        {RS::First_Name, KV_TR("First"), 8, C::Text, kGroupName},
        {RS::Last_Name, KV_TR("Last"), 13, C::Text, kGroupName},
        {RS::Address1, KV_TR("Address"), 15, C::Text, QString()},
        {RS::City, KV_TR("City"), 11, C::Text, QString()},
        {RS::Invited, KV_TR("Inv~ite"), 3, C::Check, QString()},
        {RS::Confirmed, KV_TR("Conf~irm"), 3, C::CheckThreeState, QString()},
        {RS::Quantity, KV_TR("Qty"), 5, C::Number, QString()},
        {RS::Service_Desc, KV_TR("Service"), 15, C::Text, QString()},
        {RS::Status, KV_TR("Stat~us"), 3, C::Text, QString()},
        {RS::Start_Dte, KV_TR("Start"), 9, C::Date, QString()},
        {RS::Stop_Dte, KV_TR("Stop"), 9, C::Date, QString()},
        {RS::Dependent, KV_TR("Dep~end"), 3, C::Text, QString()},
        {RS::Household_Name, KV_TR("Household"), 16, C::Text, QString()},
        {RS::Delivery_Type, KV_TR("Deliv~Type"), 4, C::Text, QString()},
        {RS::Def_Rte, KV_TR("Def~Rte"), 7, C::Text, QString()},
        {RS::Monday, KV_TR("Mo"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Tuesday, KV_TR("Tu"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Wednesday, KV_TR("We"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Thursday, KV_TR("Th"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Friday, KV_TR("Fr"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Saturday, KV_TR("Sa"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Sunday, KV_TR("Su"), 3, C::ReadOnlyCheck, kGroupDeliveryDays},
        {RS::Add_Dte, KV_TR("Added"), 10, C::Date, QString()},
    };
    return columns;
}
#undef KV_TR

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
    // Tab and Shift+Tab leave the grid; the arrows move between cells and no
    // cell needs Tab (the quantity editor commits on Enter).
    setTabKeyNavigation(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('W')) + 8);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        const GridColumn *c = columnOfField(index.column());
        if (c && c->clickable())
            return; // a double click on a check box is two clicks on it
        Q_EMIT editClientRequested();
    });
    connect(m_header, &QHeaderView::sectionClicked, this,
            [this](int logical) { Q_EMIT titleButtonClick(MemberRowSet::fieldName(logical)); });
    // The corner button opens the client editor rather than selecting everything.
    if (auto *corner = findChild<QAbstractButton *>()) {
        corner->disconnect();
        connect(corner, &QAbstractButton::clicked, this, &MembersGrid::editClientRequested);
        corner->setToolTip(tr("Edit Client Info"));
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
        const QString text = gridCellText(model()->index(viewRow, c.field).data(Qt::EditRole));
        // One line fits whenever the text does; only longer values are laid out.
        const int width = columnWidth(c.field) - 2 * kGridCellMarginX;
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

namespace {

// What a column shows whole whatever its width in characters: each line of
// its title, a whole date (the year is what the order depends on) and a
// whole client id, whose digits are wider than the average letter.
int wholeContentWidth(const QFontMetrics &fm, const GridColumn &c)
{
    const int margins = 2 * kGridCellMarginX + 4;
    int width = 0;
    for (const QString &line : MembersGrid::tr(qUtf8Printable(c.title)).split(QLatin1Char('~')))
        width = std::max(width, fm.horizontalAdvance(line) + margins);
    if (c.cell == GridColumn::Cell::Date)
        width = std::max(width, fm.horizontalAdvance(QStringLiteral("12/28/2026")) + margins);
    if (c.field == MemberRowSet::Client_ID)
        width = std::max(width, fm.horizontalAdvance(QStringLiteral("C000000")) + margins);
    return width;
}

} // namespace

void MembersGrid::applyDesign()
{
    for (int f = 0; f < MemberRowSet::FieldCount; ++f) {
        const GridColumn *c = columnOfField(f);
        setColumnHidden(f, c == nullptr);
        if (c)
            setColumnWidth(f, std::max(designWidthPixels(c->widthChars), wholeContentWidth(fontMetrics(), *c)));
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
        if (c && c->clickable()) {
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

} // namespace kv
