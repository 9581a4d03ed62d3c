#include "lists/ui/form_lists_p.h"

#include "data/data_module.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/text_cut.h"
#include "shell/ui/fulfilment_defaults_panel.h"
#include "lists/ui/list_option_rules.h"
#include "lists/ui/query_table_model.h"
#include "shell/ui/data_binding.h"
#include "shell/ui/radio_group.h"
#include "shell/ui/record_navigator.h"

#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTableView>

using kv::DataState;
using namespace form_lists_text;

namespace {

// Gives a lookup the set it picks from, showing one column in a drop-down table.
void showLookupSet(QComboBox *combo, QueryTableModel *model, int displayColumn)
{
    combo->setModel(model);
    combo->setModelColumn(displayColumn);
    auto *view = new QTableView(combo);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setShowGrid(false);
    combo->setView(view);
    for (int c = 0; c < model->columnCount(); ++c)
        view->setColumnHidden(c, c != displayColumn);
    combo->setMinimumContentsLength(18);
}

} // namespace

kv::Query *TFormLists::lists() const
{
    return m_dm ? m_dm->QueryLists : nullptr;
}

void TFormLists::attachDataModule(TDataModuleLists *dm)
{
    if (m_dm == dm)
        return;
    m_dm = dm;
    d->state = std::make_unique<kv::ListsWindowState>(*dm, *m_prompts);
    kv::Query *q = dm->QueryLists;
    d->listsCursor->setQuery(q);

    d->servicesModel = new QueryTableModel(dm->QueryServices, this);
    d->servicesModel->setColumns({{QStringLiteral("Service_Desc"), tr(kServiceColumnTitle), 30, {}},
                                  {QStringLiteral("Service_ID"), tr("ID"), 6, {}}});
    d->itemsModel = new QueryTableModel(dm->QueryItems, this);
    d->itemsModel->setColumns({{QStringLiteral("Meal_Item"), tr(kItemColumnTitle), 30, {}},
                               {QStringLiteral("Item_ID"), tr("ID"), 6, {}}});
    showLookupSet(d->defaults->serviceLookup(), d->servicesModel, 0);
    showLookupSet(d->defaults->itemLookup(), d->itemsModel, 0);

    d->listsModel = new QueryTableModel(q, this);
    kv::Query *services = dm->QueryServices;
    d->listsModel->setColumns({
        {QStringLiteral("List_Name"), tr("List"), 25, {}},
        {QStringLiteral("List_Desc"), tr(kDescriptionColumnTitle), 40, {}},
        {QStringLiteral("Service_Used_Named"), tr("Assigned~Service"), 17,
         [this, services](int row) {
             // The computed column: the list's service by name, as the
             // services lookup names it (up to 50 characters).
             const QVariant text = QueryTableModel::lookupText(*services, QStringLiteral("Service_ID"),
                                                               QStringLiteral("Service_Desc"),
                                                               d->listsModel->valueAt(row, QStringLiteral("Service_Used")));
             return text.isValid() ? QVariant(kv::cutToWidth(text.toString(), 50)) : QVariant();
         }},
        {QStringLiteral("Updated_By"), tr("Updated~By"), 15, {}},
        {QStringLiteral("Create_Date"), tr("Created"), 12, {}},
        {QStringLiteral("Last_Update"), tr("Updated"), 12, {}},
    });
    connect(services, &kv::Query::afterOpen, d->listsModel, &QueryTableModel::reset);
    // Another user's change is reported in the words of this window, not in column names.
    q->setColumnCaptions({{QStringLiteral("List_Name"), tr(kListNameCaption)},
                          {QStringLiteral("List_Desc"), tr(kDescriptionColumnTitle)},
                          {QStringLiteral("Add_Mode"), tr(kAddModeCaption)},
                          {QStringLiteral("Active_Only"), tr(kActiveOnlyCaption)},
                          {QStringLiteral("Checkbox_Setting"), d->defaults->confirmed()->title()},
                          {QStringLiteral("Service_Method"), d->defaults->service()->title()},
                          {QStringLiteral("Service_Used"), tr(kServiceColumnTitle)},
                          {QStringLiteral("Item_Method"), d->defaults->items()->title()},
                          {QStringLiteral("Item_to_Deliver"), tr(kItemColumnTitle)},
                          {QStringLiteral("Updated_By"), tr(kUpdatedByCaption)}});
    d->wwDBGridLists->setModel(d->listsModel);
    const int charWidth = d->wwDBGridLists->fontMetrics().averageCharWidth();
    for (int c = 0; c < d->listsModel->columnCount(); ++c)
        d->wwDBGridLists->setColumnWidth(c, d->listsModel->columns()[c].widthChars * charWidth + 8);
    connect(d->wwDBGridLists->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (d->syncingGrid || !current.isValid() || !lists() || !lists()->isOpen() || current.row() == lists()->recNo())
            return;
        const int row = current.row();
        runAction(QStringLiteral("wwDBGridListsRowChange"), [&] { d->state->move([&] { lists()->setRecNo(row); }); },
                  kv::ActionCursor::Unchanged);
        // A move refused or failed puts the grid back on the row on display.
        syncGridToQuery();
    });

    d->binding = new kv::DataBinding(q, this);
    d->binding->bindLineEdit(d->DBEditListName, QStringLiteral("List_Name"), 50);
    d->binding->bindMemo(d->DBMemo1, QStringLiteral("List_Desc"), 250);
    d->binding->bindCodeCombo(d->wwDBComboBox1, QStringLiteral("Add_Mode"), {{tr("Add to existing members"), QStringLiteral("A")}, {tr("Replace existing members"), QStringLiteral("R")}});
    d->binding->bindCheckBox(d->defaults->activeOnly(), QStringLiteral("Active_Only"), QStringLiteral("Y"), QStringLiteral("N"));
    d->binding->bindRadioGroup(d->defaults->confirmed(), QStringLiteral("Checkbox_Setting"), kv::FulfilmentDefaultsPanel::confirmedCodes());
    d->binding->bindRadioGroup(d->defaults->service(), QStringLiteral("Service_Method"), kv::FulfilmentDefaultsPanel::serviceCodes());
    d->binding->bindLookup(d->defaults->serviceLookup(), QStringLiteral("Service_Used"), 1);
    d->binding->bindRadioGroup(d->defaults->items(), QStringLiteral("Item_Method"), kv::FulfilmentDefaultsPanel::itemsCodes());
    d->binding->bindSpin(d->defaults->quantity(), QStringLiteral("Quantity"));
    d->binding->bindLookup(d->defaults->itemLookup(), QStringLiteral("Item_to_Deliver"), 1);
    d->binding->bindLineEdit(d->DBEdituser, QStringLiteral("Updated_By"), 25);
    connect(d->binding, &kv::DataBinding::writeFailed, this, [this](const QString &text) { m_prompts->error(text); });
    // A lookup set that is reopened shows the row's value again.
    for (kv::Query *lookup : {dm->QueryServices, dm->QueryItems})
        connect(lookup, &kv::Query::afterOpen, d->binding, &kv::DataBinding::showRow);

    connectRuleHandlers();

    for (auto signal : {&kv::Query::afterScroll, &kv::Query::afterOpen, &kv::Query::afterClose, &kv::Query::afterPost,
                        &kv::Query::afterCancel, &kv::Query::afterInsert}) {
        connect(q, signal, this, [this] {
            syncGridToQuery();
            showRowState();
            updateNavigator();
        });
    }
    connect(q, &kv::Query::stateChanged, this, [this] {
        showRowState();
        updateNavigator();
    });
    connect(q, &kv::Query::fieldChanged, this, [this](const QString &field) {
        if (field.compare(QStringLiteral("List_Name"), Qt::CaseInsensitive) == 0)
            showRowState();
    });
    d->binding->showRow();
    syncGridToQuery();
    showRowState();
    updateNavigator();
}

void TFormLists::connectRuleHandlers()
{
    connect(d->defaults->service(), &kv::RadioGroup::changed, this, &TFormLists::RzDBRadioGroupServiceChange);
    connect(d->defaults->items(), &kv::RadioGroup::changed, this, &TFormLists::RzDBRadioGroupItemsChange);
    // Rules 3 and 4 follow the user's own choice in a lookup (activated),
    // never a lookup set that is reopened or reset under the row.
    d->serviceLookupHandler = connect(d->defaults->serviceLookup(), &QComboBox::activated, this,
                                     &TFormLists::wwDBLookupComboServiceChange);
    d->itemLookupHandler = connect(d->defaults->itemLookup(), &QComboBox::activated, this,
                                  &TFormLists::wwDBLookupComboItemChange);
    d->quantityHandler = connect(d->defaults->quantity(), &QSpinBox::valueChanged, this, &TFormLists::wwDBSpinEditQuantityChange);
}

void TFormLists::syncGridToQuery()
{
    if (!d->listsModel || !lists())
        return;
    d->syncingGrid = true;
    const int row = lists()->isOpen() ? lists()->recNo() : -1;
    if (row >= 0 && row < d->listsModel->rowCount()) {
        const QModelIndex idx = d->listsModel->index(row, 0);
        d->wwDBGridLists->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        d->wwDBGridLists->scrollTo(idx);
    } else {
        d->wwDBGridLists->selectionModel()->clear();
    }
    d->syncingGrid = false;
}

QString TFormLists::stateText(int state)
{
    switch (DataState(state)) {
    case DataState::Browse: return tr("Browsing");
    case DataState::Edit: return tr("Editing");
    case DataState::Insert: return tr("Inserting");
    default: return tr("Closed");
    }
}

void TFormLists::showRowState()
{
    kv::Query *q = lists();
    const bool hasRow = q && q->isOpen() && !q->isEmpty();
    d->StatusListName->setText(hasRow ? q->asString(QStringLiteral("List_Name")) : QString());
    d->StatusRowState->setText(stateText(int(q ? q->state() : DataState::Inactive)));
}

void TFormLists::updateNavigator()
{
    kv::Query *q = lists();
    const bool hasList = q && q->isOpen() && !q->isEmpty();
    d->ActionDeleteList->setEnabled(hasList);
    d->ActionEditListMembers->setEnabled(hasList);
    d->ActionFulfill->setEnabled(hasList);
    d->ActionCancelPending->setEnabled(hasList);
}

void TFormLists::navigate(int button, const std::function<void()> &step)
{
    if (!lists() || !lists()->isOpen())
        return;
    runAction(
        QStringLiteral("wwDBNavigatorClick"),
        [&] {
            // Post and every move write in a unit of work of their own, never
            // inside the query's own moves.
            if (button == kv::RecordNavigator::Post)
                d->state->post();
            else if (button == kv::RecordNavigator::Cancel)
                step();
            else
                d->state->move(step);
        },
        kv::ActionCursor::Unchanged);
    syncGridToQuery();
    updateNavigator();
}

bool TFormLists::resolvePendingEdits(const QString &question)
{
    return !d->state || d->state->resolve(question);
}

void TFormLists::RzDBRadioGroupServiceChange()
{
    runAction(
        QStringLiteral("RzDBRadioGroupServiceChange"),
        [this] {
            disconnect(d->serviceLookupHandler);
            const auto reattach = qScopeGuard([this] {
                d->serviceLookupHandler = connect(d->defaults->serviceLookup(), &QComboBox::activated, this,
                                                 &TFormLists::wwDBLookupComboServiceChange);
            });
            if (d->defaults->service()->itemIndex() != 0 || !lists())
                return;
            if (ListOptionRules::clearServiceForOwnMethod(*lists()))
                d->defaults->serviceLookup()->setCurrentIndex(-1);
        },
        kv::ActionCursor::Unchanged);
}

void TFormLists::RzDBRadioGroupItemsChange()
{
    runAction(
        QStringLiteral("RzDBRadioGroupItemsChange"),
        [this] {
            disconnect(d->itemLookupHandler);
            disconnect(d->quantityHandler);
            const auto reattach = qScopeGuard([this] {
                d->itemLookupHandler = connect(d->defaults->itemLookup(), &QComboBox::activated, this,
                                              &TFormLists::wwDBLookupComboItemChange);
                d->quantityHandler =
                    connect(d->defaults->quantity(), &QSpinBox::valueChanged, this, &TFormLists::wwDBSpinEditQuantityChange);
            });
            if (d->defaults->items()->itemIndex() != 0 || !lists())
                return;
            if (ListOptionRules::clearItemForDefaultMethod(*lists())) {
                d->defaults->itemLookup()->setCurrentIndex(-1);
                d->defaults->quantity()->setValue(d->defaults->quantity()->minimum());
            }
        },
        kv::ActionCursor::Unchanged);
}

namespace {
// Selects the second item of a method group, and stores its code when the
// row is being edited (as a data-aware group does when its item changes).
void selectSecond(kv::RadioGroup *group, kv::Query *lists, const QString &field, const QString &code)
{
    group->setItemIndex(1);
    if (lists && (lists->state() == DataState::Edit || lists->state() == DataState::Insert))
        lists->setFieldValue(field, code);
}
} // namespace

void TFormLists::wwDBLookupComboServiceChange()
{
    if (d->binding && d->binding->isShowing())
        return;
    runAction(
        QStringLiteral("wwDBLookupComboServiceChange"),
        [this] { selectSecond(d->defaults->service(), lists(), QStringLiteral("Service_Method"), kv::FulfilmentDefaultsPanel::serviceCodes().at(1)); },
        kv::ActionCursor::Unchanged);
}

void TFormLists::wwDBLookupComboItemChange()
{
    if (d->binding && d->binding->isShowing())
        return;
    runAction(
        QStringLiteral("wwDBLookupComboItemChange"),
        [this] { selectSecond(d->defaults->items(), lists(), QStringLiteral("Item_Method"), kv::FulfilmentDefaultsPanel::itemsCodes().at(1)); },
        kv::ActionCursor::Unchanged);
}

void TFormLists::wwDBSpinEditQuantityChange()
{
    if (d->binding && d->binding->isShowing())
        return;
    runAction(
        QStringLiteral("wwDBSpinEditQuantityChange"),
        [this] { selectSecond(d->defaults->items(), lists(), QStringLiteral("Item_Method"), kv::FulfilmentDefaultsPanel::itemsCodes().at(1)); },
        kv::ActionCursor::Unchanged);
}

