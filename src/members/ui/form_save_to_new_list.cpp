#include "members/ui/form_save_to_new_list_p.h"

#include "data/conflict_question.h"
#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/prompts.h"
#include "lists/lists_window_state.h"
#include "shell/ui/fulfilment_defaults_panel.h"
#include "members/ui/flag_check_box.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/radio_group.h"
#include "shell/ui/run_action.h"
#include "shell/ui/translate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>

#include <optional>

TFormSaveToNewList *FormSaveToNewList = nullptr;

// English sources; shown through translated().
const QString TFormSaveToNewList::kCaption = QString::fromUtf8(QT_TRANSLATE_NOOP("TFormSaveToNewList", "Save to Another List"));
const QString TFormSaveToNewList::kSaveBeforeNavigating =
    QString::fromUtf8(QT_TRANSLATE_NOOP("TFormSaveToNewList", "Save your changes to the list before navigating?"));
const QString TFormSaveToNewList::kErrorLocatingList =
    QString::fromUtf8(QT_TRANSLATE_NOOP("TFormSaveToNewList", "Error locating the list by Record ID!"));
const QString TFormSaveToNewList::kSaveBeforeClosing =
    QString::fromUtf8(QT_TRANSLATE_NOOP("TFormSaveToNewList", "Save your changes to the List before closing?"));

namespace {

QString fieldText(const kv::Query &q, const QString &field)
{
    const QVariant v = q.fieldValue(field);
    return v.isValid() && !v.isNull() ? v.toString() : QString();
}

void selectByData(QComboBox *combo, const QVariant &value)
{
    const QSignalBlocker block(combo);
    if (!value.isValid() || value.isNull()) {
        combo->setCurrentIndex(-1);
        return;
    }
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemData(i).toLongLong() == value.toLongLong()) {
            combo->setCurrentIndex(i);
            return;
        }
    combo->setCurrentIndex(-1);
}

void selectByCode(kv::RadioGroup *group, const QStringList &codes, const QString &code)
{
    const QSignalBlocker block(group);
    const int i = codes.indexOf(code);
    if (i < 0)
        group->clearSelection();
    else
        group->setItemIndex(i);
}

void fillCombo(QComboBox *combo, kv::Query &q, const QString &textField, const QString &keyField)
{
    const QSignalBlocker block(combo);
    combo->clear();
    const int t = q.fieldIndex(textField);
    const int k = q.fieldIndex(keyField);
    for (int r = 0; r < q.recordCount(); ++r)
        combo->addItem(q.valueAt(r, t).toString(), q.valueAt(r, k));
    combo->setCurrentIndex(-1);
}
} // namespace


TFormSaveToNewList::~TFormSaveToNewList() = default;

bool TFormSaveToNewList::listsPending() const
{
    const kv::DataState s = m_queries->QueryLists->state();
    return s == kv::DataState::Edit || s == kv::DataState::Insert;
}

void TFormSaveToNewList::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous()) {
        FormShow();
        // Centred on the screen once its groups are shown, and inside it.
        layout()->activate();
        kv::centreOnScreen(this);
    }
}

bool TFormSaveToNewList::runAction(const QString &handler, const std::function<void()> &fn)
{
    return kv::runAction(m_prompts, QStringLiteral("TFormSaveToNewList.") + handler, fn);
}

void TFormSaveToNewList::FormShow()
{
    runAction(QStringLiteral("FormShow"), [this] {
        m_queries->open();
        fillPickLists();
        {
            const QSignalBlocker block(d->RzTabControl1);
            d->RzTabControl1->setCurrentIndex(m_startTab);
        }
        RzTabControl1Change();
    });
}

void TFormSaveToNewList::fillPickLists()
{
    fillCombo(d->wwDBLookupComboListName, *m_queries->QueryListLookUp, QStringLiteral("List_Name"),
              QStringLiteral("Record_ID"));
    fillCombo(d->defaults->serviceLookup(), *m_queries->QueryDeliveryServiceLookUp, QStringLiteral("Service_Desc"),
              QStringLiteral("Service_ID"));
    fillCombo(d->defaults->itemLookup(), *m_queries->QueryItemLookUp, QStringLiteral("Meal_Item"), QStringLiteral("Item_ID"));
}

void TFormSaveToNewList::showCurrentRow()
{
    kv::Query &q = *m_queries->QueryLists;
    m_showing = true;
    const auto done = qScopeGuard([this] { m_showing = false; });
    const bool hasRow = q.isOpen() && (q.recNo() >= 0 || q.state() == kv::DataState::Insert);
    auto text = [&](const QString &f) { return hasRow ? fieldText(q, f) : QString(); };
    auto value = [&](const QString &f) { return hasRow ? q.fieldValue(f) : QVariant(); };

    d->DBEditListName->setText(text(QStringLiteral("List_Name")));
    {
        const QSignalBlocker block(d->DBMemo1);
        d->DBMemo1->setPlainText(text(QStringLiteral("List_Desc")));
    }
    d->defaults->activeOnly()->setChecked(text(QStringLiteral("Active_Only")) == QLatin1String("Y"));
    selectByCode(d->defaults->confirmed(), kv::FulfilmentDefaultsPanel::confirmedCodes(), text(QStringLiteral("Checkbox_Setting")));
    selectByCode(d->defaults->service(), kv::FulfilmentDefaultsPanel::serviceCodes(), text(QStringLiteral("Service_Method")));
    selectByCode(d->defaults->items(), kv::FulfilmentDefaultsPanel::itemsCodes(), text(QStringLiteral("Item_Method")));
    selectByData(d->defaults->serviceLookup(), value(QStringLiteral("Service_Used")));
    selectByData(d->defaults->itemLookup(), value(QStringLiteral("Item_to_Deliver")));
    {
        const QSignalBlocker block(d->defaults->quantity());
        const QVariant qty = value(QStringLiteral("Quantity"));
        d->defaults->quantity()->setValue(qty.isValid() && !qty.isNull() ? qty.toInt() : kNoQuantity);
    }
    if (q.state() != kv::DataState::Insert)
        selectByData(d->wwDBLookupComboListName, value(QStringLiteral("Record_ID")));
    showDestinationKind();
}

void TFormSaveToNewList::showDestinationKind()
{
    // The tab says "New List" exactly while this dialog holds a row it
    // inserted: a tab change that failed half-way must not leave "New List"
    // over an existing list (OK would then copy without the membership test).
    const bool isNew = m_queries->QueryLists->state() == kv::DataState::Insert;
    {
        const QSignalBlocker block(d->RzTabControl1);
        d->RzTabControl1->setCurrentIndex(isNew ? kNewListTab : kExistingListTab);
    }
    d->RzGroupBoxNameDescription->setVisible(isNew);
    d->RzGroupBoxSelectlist->setVisible(!isNew);
}

void TFormSaveToNewList::writeField(const QString &field, const QVariant &v)
{
    if (m_showing)
        return;
    kv::Query &q = *m_queries->QueryLists;
    if (!q.isOpen())
        return;
    // With no list at all there is no row to edit on "Existing List".
    if (q.state() == kv::DataState::Browse && q.recNo() < 0)
        return;
    runAction(QStringLiteral("writeField"), [&] { q.setFieldValue(field, v); });
}

void TFormSaveToNewList::RzTabControl1Change()
{
    kv::Query &lists = *m_queries->QueryLists;
    kv::Query &lookup = *m_queries->QueryListLookUp;
    if (!lists.isOpen())
        return;
    // Leaving a changed list row posts it; a refused post (a lock, a taken
    // name) is shown and the row stays in edit, so nothing typed is lost.
    runAction(QStringLiteral("RzTabControl1Change"), [&] {
        if (lists.state() == kv::DataState::Edit && !postLists())
            return;
        if (d->RzTabControl1->currentIndex() == kExistingListTab) {
            if (lists.state() == kv::DataState::Insert)
                lists.cancel();
            if (lookup.isOpen() && lookup.recNo() >= 0)
                lists.locate({QStringLiteral("Record_ID")}, {lookup.fieldValue(QStringLiteral("Record_ID"))});
        } else {
            if (lists.state() != kv::DataState::Insert)
                lists.insert();
        }
    });
    showCurrentRow();
}

void TFormSaveToNewList::QueryListsAfterInsert()
{
    // The insert defaults are set by the record rules attached to the query.
    showCurrentRow();
}

void TFormSaveToNewList::wwDBLookupComboListNameChange()
{
    kv::Query &lists = *m_queries->QueryLists;
    if (!lists.isOpen())
        return;
    runAction(QStringLiteral("wwDBLookupComboListNameChange"), [&] {
        if (listsPending()) {
            if (m_prompts.confirm(translated(kSaveBeforeNavigating))) {
                if (!postLists())
                    return;
            } else {
                lists.cancel();
            }
        }
        const QVariant id = d->wwDBLookupComboListName->currentData();
        m_queries->QueryListLookUp->locate({QStringLiteral("Record_ID")}, {id});
        if (!lists.locate({QStringLiteral("Record_ID")}, {id}))
            throw kv::Error(translated(kErrorLocatingList));
    });
    showCurrentRow();
}

void TFormSaveToNewList::DBEditListNameChange()
{
    d->BitBtnOK->setEnabled(!d->DBEditListName->text().isEmpty());
}

void TFormSaveToNewList::wwDBLookupComboServiceChange()
{
    writeField(QStringLiteral("Service_Used"), d->defaults->serviceLookup()->currentData());
    d->defaults->service()->setItemIndex(1);
    writeField(QStringLiteral("Service_Method"), kv::FulfilmentDefaultsPanel::serviceCodes().at(1));
}

void TFormSaveToNewList::wwDBLookupComboItemChange()
{
    writeField(QStringLiteral("Item_to_Deliver"), d->defaults->itemLookup()->currentData());
    d->defaults->items()->setItemIndex(1);
    writeField(QStringLiteral("Item_Method"), kv::FulfilmentDefaultsPanel::itemsCodes().at(1));
}

void TFormSaveToNewList::wwDBSpinEdit1Change()
{
    if (m_showing)
        return;
    const int v = d->defaults->quantity()->value();
    writeField(QStringLiteral("Quantity"), v == kNoQuantity ? QVariant() : QVariant(v));
    d->defaults->items()->setItemIndex(1);
    writeField(QStringLiteral("Item_Method"), kv::FulfilmentDefaultsPanel::itemsCodes().at(1));
}

void TFormSaveToNewList::RzCheckBoxInvitedStateExistingClick()
{
    d->RzRadioGroupInvitedStateExisting->setItemIndex(1);
    d->RzCheckBoxInvitedStateExisting->setText(kv::flagCaption(d->RzCheckBoxInvitedStateExisting->checkState()));
}

void TFormSaveToNewList::RzCheckBoxConfirmedStateExistingClick()
{
    d->RzRadioGroupConfirrmedStateExisting->setItemIndex(1);
    d->RzCheckBoxConfirmedStateExisting->setText(kv::flagCaption(d->RzCheckBoxConfirmedStateExisting->checkState()));
}

kv::CopyFlagOptions TFormSaveToNewList::saveOptions() const
{
    kv::CopyFlagOptions o;
    o.leaveInvited = d->RzRadioGroupInvitedStateExisting->itemIndex() != 1;
    o.invited = d->RzCheckBoxInvitedStateExisting->isChecked();
    o.leaveConfirmed = d->RzRadioGroupConfirrmedStateExisting->itemIndex() != 1;
    o.confirmed = d->RzCheckBoxConfirmedStateExisting->checkState();
    return o;
}

std::optional<kv::CopyChoice> TFormSaveToNewList::choice() const
{
    if (cNewOrExistingList.isEmpty())
        return std::nullopt;
    kv::CopyChoice c;
    c.newList = cNewOrExistingList == QLatin1String("N");
    c.listId = nSelectedListID;
    c.listName = cSelectedListName;
    if (c.newList)
        c.list = m_newList;
    c.flags = saveOptions();
    return c;
}

kv::NewListValues TFormSaveToNewList::newListValues() const
{
    const kv::Query &q = *m_queries->QueryLists;
    auto number = [&q](const QString &field) -> std::optional<int> {
        const QVariant v = q.fieldValue(field);
        if (!v.isValid() || v.isNull())
            return std::nullopt;
        return v.toInt();
    };
    kv::NewListValues v;
    v.name = d->DBEditListName->text();
    v.description = fieldText(q, QStringLiteral("List_Desc"));
    v.activeOnly = fieldText(q, QStringLiteral("Active_Only"));
    v.checkboxSetting = fieldText(q, QStringLiteral("Checkbox_Setting"));
    v.serviceMethod = fieldText(q, QStringLiteral("Service_Method"));
    v.serviceUsed = number(QStringLiteral("Service_Used"));
    v.itemMethod = fieldText(q, QStringLiteral("Item_Method"));
    v.itemToDeliver = number(QStringLiteral("Item_to_Deliver"));
    v.quantity = number(QStringLiteral("Quantity"));
    return v;
}

void TFormSaveToNewList::BitBtnOKClick()
{
    kv::Query &lists = *m_queries->QueryLists;
    bool ok = false;
    // A post or lookup that fails is shown with its text; the dialog stays
    // open with what was typed, to be mended or cancelled.
    runAction(QStringLiteral("BitBtnOKClick"), [&] {
        // A new list is one this dialog inserted, whatever the tab says.
        if (lists.state() == kv::DataState::Insert) {
            // A list needs a name (OK is offered only with one).
            if (d->DBEditListName->text().isEmpty())
                return;
            // Nothing is written here: the copy creates the list in its own
            // unit of work, so a copy that fails leaves no list behind.
            m_newList = newListValues();
            lists.cancel();
            cNewOrExistingList = QStringLiteral("N");
            cSelectedListName = m_newList.name;
            nSelectedListID = 0;
            ok = true;
            return;
        }
        const QString name = fieldText(lists, QStringLiteral("List_Name"));
        if (name.isEmpty())
            return;
        // The chosen list's changed defaults are saved first, on their own;
        // after another user's change the user is asked and the dialog stays.
        if (!postLists())
            return;
        // The row the user picked, whatever other list shares its name.
        const int id = lists.recNo() >= 0 ? lists.fieldValue(QStringLiteral("Record_ID")).toInt() : 0;
        if (!lists.locate({QStringLiteral("List_Name")}, {name}))
            throw kv::Error(translated(kErrorLocatingList));
        cNewOrExistingList = QStringLiteral("E");
        cSelectedListName = name;
        nSelectedListID = id;
        ok = true;
    });
    if (ok) {
        accept();
        return;
    }
    cNewOrExistingList.clear();
    cSelectedListName.clear();
    nSelectedListID = 0;
    showCurrentRow();
}

bool TFormSaveToNewList::postLists()
{
    if (!listsPending())
        return true;
    const bool posted = kv::postAskingAfterConflict(m_db, *m_queries->QueryLists, m_prompts, reloadQuestion(),
                                                    [this] { readListsAgain(); });
    if (!posted)
        showCurrentRow();
    return posted;
}

QString TFormSaveToNewList::reloadQuestion()
{
    return kv::shown("ListsWindowState", kv::ListsWindowState::kReloadAfterConflict);
}

void TFormSaveToNewList::readListsAgain()
{
    m_queries->QueryListLookUp->refresh();
    fillPickLists();
}

void TFormSaveToNewList::BitBtnCancelClick()
{
    cNewOrExistingList.clear();
    cSelectedListName.clear();
    nSelectedListID = 0;
    reject();
}

void TFormSaveToNewList::done(int result)
{
    if (result != QDialog::Accepted) {
        cNewOrExistingList.clear();
        cSelectedListName.clear();
        nSelectedListID = 0;
    }
    FormClose();
    QDialog::done(result);
}

void TFormSaveToNewList::FormClose()
{
    if (m_closed)
        return;
    m_closed = true;
    runAction(QStringLiteral("FormClose"), [this] {
        const auto closeQueries = qScopeGuard([this] { m_queries->close(); });
        if (listsPending() && m_prompts.confirm(translated(kSaveBeforeClosing)))
            postLists();
    });
}

