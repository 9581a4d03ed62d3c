#include "members/ui/form_save_to_new_list.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/prompts.h"
#include "lists/ui/form_list_fulfillment_options.h"
#include "members/ui/flag_check_box.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/lookup_combo.h"
#include "shell/ui/radio_group.h"
#include "shell/ui/record_navigator.h"
#include "shell/ui/run_action.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

TFormSaveToNewList *FormSaveToNewList = nullptr;

const QString TFormSaveToNewList::kCaption = QStringLiteral("Save to Another List");
const QString TFormSaveToNewList::kSaveBeforeNavigating =
    QStringLiteral("Save your changes to the list before navigating?");
const QString TFormSaveToNewList::kErrorLocatingList = QStringLiteral("Error locating the list by Record ID!");
const QString TFormSaveToNewList::kSaveBeforeClosing = QStringLiteral("Save your changes to the List before closing?");

namespace {
const QStringList kConfirmedCodes = {QStringLiteral("C"), QStringLiteral("U"), QStringLiteral("N"), QStringLiteral("I")};
const QStringList kServiceCodes = {QStringLiteral("C"), QStringLiteral("S")};
const QStringList kItemCodes = {QStringLiteral("D"), QStringLiteral("S")};

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

TFormSaveToNewList::TFormSaveToNewList(kv::Database &db, kv::Prompts &prompts, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_prompts(prompts)
    , m_queries(std::make_unique<kv::CopyDestinationQueries>(db))
{
    setObjectName(QStringLiteral("TFormSaveToNewList"));
    setWindowTitle(kCaption);

    RzTabControl1 = new QTabBar(this);
    RzTabControl1->setObjectName(QStringLiteral("RzTabControl1"));
    RzTabControl1->addTab(QStringLiteral("New List"));
    RzTabControl1->addTab(QStringLiteral("Existing List"));

    // Name and description (new list)
    RzGroupBoxNameDescription =
        new QGroupBox(QStringLiteral("Enter a Name and Description for the list"), this);
    RzGroupBoxNameDescription->setObjectName(QStringLiteral("RzGroupBoxNameDescription"));
    DBEditListName = new QLineEdit(RzGroupBoxNameDescription);
    DBEditListName->setObjectName(QStringLiteral("DBEditListName"));
    DBEditListName->setMaxLength(50);
    DBMemo1 = new QPlainTextEdit(RzGroupBoxNameDescription);
    DBMemo1->setObjectName(QStringLiteral("DBMemo1"));
    DBMemo1->setMaximumHeight(70);
    {
        auto *g = new QGridLayout(RzGroupBoxNameDescription);
        g->addWidget(new QLabel(QStringLiteral("List Name:")), 0, 0);
        g->addWidget(DBEditListName, 0, 1);
        g->addWidget(new QLabel(QStringLiteral("Description/Use:")), 1, 0, Qt::AlignTop);
        g->addWidget(DBMemo1, 1, 1);
    }

    // Pick an existing list
    RzGroupBoxSelectlist = new QGroupBox(QStringLiteral("Select a List"), this);
    RzGroupBoxSelectlist->setObjectName(QStringLiteral("RzGroupBoxSelectlist"));
    wwDBLookupComboListName = new QComboBox(RzGroupBoxSelectlist);
    wwDBLookupComboListName->setObjectName(QStringLiteral("wwDBLookupComboListName"));
    wwDBLookupComboListName->setMinimumContentsLength(50);
    wwDBLookupComboListName->setToolTip(QStringLiteral("List"));
    {
        auto *cursor = new kv::QueryRowCursor(m_queries->QueryLists, this);
        auto *navigator = new kv::RecordNavigator(cursor, {kv::RecordNavigator::Post, kv::RecordNavigator::Cancel},
                                                  QStringLiteral("Navigator"), RzGroupBoxSelectlist);
        navigator->setObjectName(QStringLiteral("wwDBNavigator1"));
        // Both buttons stay live whatever the row: pressing one with nothing pending does nothing.
        navigator->setFollowsCursor(false);
        navigator->setRunner([this](kv::RecordNavigator::Button which, const std::function<void()> &step) {
            runAction(which == kv::RecordNavigator::Post ? QStringLiteral("NavigatorPostClick")
                                                         : QStringLiteral("NavigatorCancelClick"),
                      [&] {
                          step();
                          showCurrentRow();
                      });
        });
        wwDBNavigator1 = navigator;
        NavigatorPost = navigator->button(kv::RecordNavigator::Post);
        NavigatorCancel = navigator->button(kv::RecordNavigator::Cancel);
        NavigatorPost->setText(QStringLiteral("\u2714"));
        NavigatorCancel->setText(QStringLiteral("\u2716"));
        auto *h = new QHBoxLayout(RzGroupBoxSelectlist);
        h->addWidget(wwDBLookupComboListName, 1);
        h->addWidget(wwDBNavigator1);
    }

    // The destination list's fulfilment defaults
    RzGroupBoxDefaultFulfillmentOptions = new QGroupBox(QStringLiteral("Default Fulfillment Options"), this);
    RzGroupBoxDefaultFulfillmentOptions->setObjectName(QStringLiteral("RzGroupBoxDefaultFulfillmentOptions"));
    wwCheckBoxActiveOnly = new QCheckBox(QStringLiteral("Fulfill only to clients active at time of fulfillment"),
                                         RzGroupBoxDefaultFulfillmentOptions);
    wwCheckBoxActiveOnly->setObjectName(QStringLiteral("wwCheckBoxActiveOnly"));
    RzDBRadioGroupConfirmed = new kv::RadioGroup(
        QStringLiteral("Confirmed Checkbox should be"),
        {QStringLiteral("Checked"), QStringLiteral("Unchecked"), QStringLiteral("Unknown"), QStringLiteral("Irrelevant")},
        RzGroupBoxDefaultFulfillmentOptions);
    RzDBRadioGroupConfirmed->setObjectName(QStringLiteral("RzDBRadioGroupConfirmed"));
    RzDBRadioGroupService = new kv::RadioGroup(QStringLiteral("Service to Use"),
                                               {QStringLiteral("Client's Own Service"), QStringLiteral("Selected Service:")},
                                               RzGroupBoxDefaultFulfillmentOptions);
    RzDBRadioGroupService->setObjectName(QStringLiteral("RzDBRadioGroupService"));
    // Titled and as wide as the fulfilment options dialog's lookups.
    wwDBLookupComboService =
        kv::makeTitledLookup(RzDBRadioGroupService, QStringLiteral("wwDBLookupComboService"),
                             TFormListFulfillmentOptions::kServiceColumnTitle, TFormListFulfillmentOptions::kLookupWidthChars);
    RzDBRadioGroupService->setItemWidget(1, wwDBLookupComboService);
    RzDBRadioGroupItems = new kv::RadioGroup(
        QStringLiteral("Items to Deliver"),
        {QStringLiteral("Defaults for the service to be used"), QStringLiteral("Specified Quantity and Item:")},
        RzGroupBoxDefaultFulfillmentOptions);
    RzDBRadioGroupItems->setObjectName(QStringLiteral("RzDBRadioGroupItems"));
    wwDBSpinEdit1 = new QSpinBox(RzDBRadioGroupItems);
    wwDBSpinEdit1->setObjectName(QStringLiteral("wwDBSpinEdit1"));
    // The values a user picks run 1 to 999; the position below them, shown
    // empty, is "no quantity" (stored as null), so that a stored 1 shows as 1.
    wwDBSpinEdit1->setRange(kNoQuantity, kMaxQuantity);
    wwDBSpinEdit1->setSingleStep(1);
    wwDBSpinEdit1->setSpecialValueText(QStringLiteral(" "));
    wwDBLookupComboItem =
        kv::makeTitledLookup(RzDBRadioGroupItems, QStringLiteral("wwDBLookupComboItem"),
                             TFormListFulfillmentOptions::kItemColumnTitle, TFormListFulfillmentOptions::kLookupWidthChars);
    {
        auto *w = new QWidget(RzDBRadioGroupItems);
        auto *h = new QHBoxLayout(w);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(wwDBSpinEdit1);
        h->addWidget(wwDBLookupComboItem, 1);
        RzDBRadioGroupItems->setItemWidget(1, w);
        auto *v = new QGridLayout(RzGroupBoxDefaultFulfillmentOptions);
        v->addWidget(wwCheckBoxActiveOnly, 0, 0, 1, 2);
        v->addWidget(RzDBRadioGroupConfirmed, 1, 0, 2, 1);
        v->addWidget(RzDBRadioGroupService, 1, 1);
        v->addWidget(RzDBRadioGroupItems, 2, 1);
    }

    // How the copies' flags are set
    RzGroupBoxCurrentSaveOptionsExistingList = new QGroupBox(QStringLiteral("Current Save Options"), this);
    RzGroupBoxCurrentSaveOptionsExistingList->setObjectName(QStringLiteral("RzGroupBoxCurrentSaveOptionsExistingList"));
    RzRadioGroupInvitedStateExisting = new kv::RadioGroup(
        QStringLiteral("Invited Checkbox status"),
        {QStringLiteral("Leave checkbox status as is"), QStringLiteral("Checkbox should be populated as")},
        RzGroupBoxCurrentSaveOptionsExistingList);
    RzRadioGroupInvitedStateExisting->setObjectName(QStringLiteral("RzRadioGroupInvitedStateExisting"));
    RzRadioGroupInvitedStateExisting->setItemIndex(0);
    RzCheckBoxInvitedStateExisting = new QCheckBox(kv::flagCaption(Qt::Unchecked), RzRadioGroupInvitedStateExisting);
    RzCheckBoxInvitedStateExisting->setObjectName(QStringLiteral("RzCheckBoxInvitedStateExisting"));
    RzRadioGroupInvitedStateExisting->setItemWidget(1, RzCheckBoxInvitedStateExisting);
    RzRadioGroupConfirrmedStateExisting = new kv::RadioGroup(
        QStringLiteral("Confirmed checkbox status"),
        {QStringLiteral("Leave checkbox as is"), QStringLiteral("Checkbox should be populated as")},
        RzGroupBoxCurrentSaveOptionsExistingList);
    RzRadioGroupConfirrmedStateExisting->setObjectName(QStringLiteral("RzRadioGroupConfirrmedStateExisting"));
    RzRadioGroupConfirrmedStateExisting->setItemIndex(0);
    RzCheckBoxConfirmedStateExisting =
        new kv::ConfirmedCheckBox(kv::flagCaption(Qt::PartiallyChecked), RzRadioGroupConfirrmedStateExisting);
    RzCheckBoxConfirmedStateExisting->setObjectName(QStringLiteral("RzCheckBoxConfirmedStateExisting"));
    RzRadioGroupConfirrmedStateExisting->setItemWidget(1, RzCheckBoxConfirmedStateExisting);
    {
        auto *h = new QHBoxLayout(RzGroupBoxCurrentSaveOptionsExistingList);
        h->addWidget(RzRadioGroupInvitedStateExisting);
        h->addWidget(RzRadioGroupConfirrmedStateExisting);
    }

    BitBtnOK = new QPushButton(QStringLiteral("OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setEnabled(false);
    BitBtnOK->setDefault(true);
    BitBtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(RzTabControl1);
    layout->addWidget(RzGroupBoxNameDescription);
    layout->addWidget(RzGroupBoxSelectlist);
    layout->addWidget(RzGroupBoxDefaultFulfillmentOptions);
    layout->addWidget(RzGroupBoxCurrentSaveOptionsExistingList);
    layout->addStretch();
    RzGroupBoxSelectlist->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    RzGroupBoxNameDescription->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);
    layout->addLayout(buttons);

    kv::Query &lists = *m_queries->QueryLists;
    connect(&lists, &kv::Query::afterInsert, this, &TFormSaveToNewList::QueryListsAfterInsert);
    connect(RzTabControl1, &QTabBar::currentChanged, this, [this] { RzTabControl1Change(); });
    connect(wwDBLookupComboListName, &QComboBox::activated, this, [this] { wwDBLookupComboListNameChange(); });
    connect(DBEditListName, &QLineEdit::textChanged, this, [this] { DBEditListNameChange(); });
    connect(DBEditListName, &QLineEdit::textEdited, this,
            [this](const QString &t) { writeField(QStringLiteral("List_Name"), t); });
    connect(DBMemo1, &QPlainTextEdit::textChanged, this, [this] {
        QString text = DBMemo1->toPlainText();
        if (text.size() > kDescriptionLength) {
            // The column's limit, kept as the lists window keeps it.
            text.truncate(kDescriptionLength);
            const QSignalBlocker block(DBMemo1);
            DBMemo1->setPlainText(text);
            DBMemo1->moveCursor(QTextCursor::End);
        }
        writeField(QStringLiteral("List_Desc"), text);
    });
    connect(wwCheckBoxActiveOnly, &QCheckBox::clicked, this, [this](bool on) {
        writeField(QStringLiteral("Active_Only"), on ? QStringLiteral("Y") : QStringLiteral("N"));
    });
    connect(RzDBRadioGroupConfirmed, &kv::RadioGroup::clicked, this,
            [this](int i) { writeField(QStringLiteral("Checkbox_Setting"), kConfirmedCodes.value(i)); });
    connect(RzDBRadioGroupService, &kv::RadioGroup::clicked, this,
            [this](int i) { writeField(QStringLiteral("Service_Method"), kServiceCodes.value(i)); });
    connect(RzDBRadioGroupItems, &kv::RadioGroup::clicked, this,
            [this](int i) { writeField(QStringLiteral("Item_Method"), kItemCodes.value(i)); });
    connect(wwDBLookupComboService, &QComboBox::activated, this, [this] { wwDBLookupComboServiceChange(); });
    connect(wwDBLookupComboItem, &QComboBox::activated, this, [this] { wwDBLookupComboItemChange(); });
    connect(wwDBSpinEdit1, &QSpinBox::valueChanged, this, [this] { wwDBSpinEdit1Change(); });
    connect(RzCheckBoxInvitedStateExisting, &QCheckBox::clicked, this,
            &TFormSaveToNewList::RzCheckBoxInvitedStateExistingClick);
    connect(RzCheckBoxConfirmedStateExisting, &QCheckBox::clicked, this,
            &TFormSaveToNewList::RzCheckBoxConfirmedStateExistingClick);
    connect(BitBtnOK, &QPushButton::clicked, this, &TFormSaveToNewList::BitBtnOKClick);
    connect(BitBtnCancel, &QPushButton::clicked, this, &TFormSaveToNewList::BitBtnCancelClick);
}

TFormSaveToNewList::~TFormSaveToNewList() = default;

std::unique_ptr<kv::UnitOfWork> TFormSaveToNewList::takeUnitOfWork()
{
    return std::move(m_unit);
}

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
            const QSignalBlocker block(RzTabControl1);
            RzTabControl1->setCurrentIndex(m_startTab);
        }
        RzTabControl1Change();
    });
}

void TFormSaveToNewList::fillPickLists()
{
    fillCombo(wwDBLookupComboListName, *m_queries->QueryListLookUp, QStringLiteral("List_Name"),
              QStringLiteral("Record_ID"));
    fillCombo(wwDBLookupComboService, *m_queries->QueryDeliveryServiceLookUp, QStringLiteral("Service_Desc"),
              QStringLiteral("Service_ID"));
    fillCombo(wwDBLookupComboItem, *m_queries->QueryItemLookUp, QStringLiteral("Meal_Item"), QStringLiteral("Item_ID"));
}

void TFormSaveToNewList::showCurrentRow()
{
    kv::Query &q = *m_queries->QueryLists;
    m_showing = true;
    const auto done = qScopeGuard([this] { m_showing = false; });
    const bool hasRow = q.isOpen() && (q.recNo() >= 0 || q.state() == kv::DataState::Insert);
    auto text = [&](const QString &f) { return hasRow ? fieldText(q, f) : QString(); };
    auto value = [&](const QString &f) { return hasRow ? q.fieldValue(f) : QVariant(); };

    DBEditListName->setText(text(QStringLiteral("List_Name")));
    {
        const QSignalBlocker block(DBMemo1);
        DBMemo1->setPlainText(text(QStringLiteral("List_Desc")));
    }
    wwCheckBoxActiveOnly->setChecked(text(QStringLiteral("Active_Only")) == QLatin1String("Y"));
    selectByCode(RzDBRadioGroupConfirmed, kConfirmedCodes, text(QStringLiteral("Checkbox_Setting")));
    selectByCode(RzDBRadioGroupService, kServiceCodes, text(QStringLiteral("Service_Method")));
    selectByCode(RzDBRadioGroupItems, kItemCodes, text(QStringLiteral("Item_Method")));
    selectByData(wwDBLookupComboService, value(QStringLiteral("Service_Used")));
    selectByData(wwDBLookupComboItem, value(QStringLiteral("Item_to_Deliver")));
    {
        const QSignalBlocker block(wwDBSpinEdit1);
        const QVariant qty = value(QStringLiteral("Quantity"));
        wwDBSpinEdit1->setValue(qty.isValid() && !qty.isNull() ? qty.toInt() : kNoQuantity);
    }
    if (q.state() != kv::DataState::Insert)
        selectByData(wwDBLookupComboListName, value(QStringLiteral("Record_ID")));
    showDestinationKind();
}

void TFormSaveToNewList::showDestinationKind()
{
    // The tab says "New List" exactly while this dialog holds a row it
    // inserted: a tab change that failed half-way must not leave "New List"
    // over an existing list (OK would then copy without the membership test).
    const bool isNew = m_queries->QueryLists->state() == kv::DataState::Insert;
    {
        const QSignalBlocker block(RzTabControl1);
        RzTabControl1->setCurrentIndex(isNew ? kNewListTab : kExistingListTab);
    }
    RzGroupBoxNameDescription->setVisible(isNew);
    RzGroupBoxSelectlist->setVisible(!isNew);
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
        if (RzTabControl1->currentIndex() == kExistingListTab) {
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
            if (m_prompts.confirm(kSaveBeforeNavigating))
                lists.post();
            else
                lists.cancel();
        }
        const QVariant id = wwDBLookupComboListName->currentData();
        m_queries->QueryListLookUp->locate({QStringLiteral("Record_ID")}, {id});
        if (!lists.locate({QStringLiteral("Record_ID")}, {id}))
            throw kv::Error(kErrorLocatingList);
    });
    showCurrentRow();
}

void TFormSaveToNewList::DBEditListNameChange()
{
    BitBtnOK->setEnabled(!DBEditListName->text().isEmpty());
}

void TFormSaveToNewList::wwDBLookupComboServiceChange()
{
    writeField(QStringLiteral("Service_Used"), wwDBLookupComboService->currentData());
    RzDBRadioGroupService->setItemIndex(1);
    writeField(QStringLiteral("Service_Method"), kServiceCodes.at(1));
}

void TFormSaveToNewList::wwDBLookupComboItemChange()
{
    writeField(QStringLiteral("Item_to_Deliver"), wwDBLookupComboItem->currentData());
    RzDBRadioGroupItems->setItemIndex(1);
    writeField(QStringLiteral("Item_Method"), kItemCodes.at(1));
}

void TFormSaveToNewList::wwDBSpinEdit1Change()
{
    if (m_showing)
        return;
    const int v = wwDBSpinEdit1->value();
    writeField(QStringLiteral("Quantity"), v == kNoQuantity ? QVariant() : QVariant(v));
    RzDBRadioGroupItems->setItemIndex(1);
    writeField(QStringLiteral("Item_Method"), kItemCodes.at(1));
}

void TFormSaveToNewList::RzCheckBoxInvitedStateExistingClick()
{
    RzRadioGroupInvitedStateExisting->setItemIndex(1);
    RzCheckBoxInvitedStateExisting->setText(kv::flagCaption(RzCheckBoxInvitedStateExisting->checkState()));
}

void TFormSaveToNewList::RzCheckBoxConfirmedStateExistingClick()
{
    RzRadioGroupConfirrmedStateExisting->setItemIndex(1);
    RzCheckBoxConfirmedStateExisting->setText(kv::flagCaption(RzCheckBoxConfirmedStateExisting->checkState()));
}

kv::CopyFlagOptions TFormSaveToNewList::saveOptions() const
{
    kv::CopyFlagOptions o;
    o.leaveInvited = RzRadioGroupInvitedStateExisting->itemIndex() != 1;
    o.invited = RzCheckBoxInvitedStateExisting->isChecked();
    o.leaveConfirmed = RzRadioGroupConfirrmedStateExisting->itemIndex() != 1;
    o.confirmed = RzCheckBoxConfirmedStateExisting->checkState();
    return o;
}

void TFormSaveToNewList::BitBtnOKClick()
{
    kv::Query &lists = *m_queries->QueryLists;
    // What the user typed into a list row that OK posts, to be put back if
    // the post is rolled back.
    QVector<QPair<QString, QVariant>> typed;
    bool wasInsert = false;
    QVariant editedKey;
    // A post or lookup that fails is shown with its text; the dialog stays
    // open with what was typed, to be mended or cancelled.
    const bool chosen = runAction(QStringLiteral("BitBtnOKClick"), [&] {
        // A new list is one this dialog inserted, whatever the tab says.
        const bool isNew = lists.state() == kv::DataState::Insert;
        const QString kind = isNew ? QStringLiteral("N") : QStringLiteral("E");
        const QString name = isNew ? DBEditListName->text() : fieldText(lists, QStringLiteral("List_Name"));
        if (listsPending()) {
            wasInsert = isNew;
            const QString key = lists.keyField();
            editedKey = wasInsert ? QVariant() : lists.fieldValue(key);
            for (const kv::Field &f : lists.fields())
                if (f.name.compare(key, Qt::CaseInsensitive) != 0)
                    typed.append({f.name, lists.fieldValue(f.name)});
            // Committed together with the copy, or not at all.
            m_unit = std::make_unique<kv::UnitOfWork>(m_db);
            lists.post();
        }
        // The row the user created or picked, whatever other list shares its name.
        const int id = lists.recNo() >= 0 ? lists.fieldValue(QStringLiteral("Record_ID")).toInt() : 0;
        if (!lists.locate({QStringLiteral("List_Name")}, {name}))
            throw kv::Error(kErrorLocatingList);
        cNewOrExistingList = kind;
        cSelectedListName = name;
        nSelectedListID = id;
    });
    if (chosen) {
        accept();
        return;
    }
    // Nothing of a failed OK stays written.
    const bool rolledBack = m_unit != nullptr;
    m_unit.reset();
    cNewOrExistingList.clear();
    cSelectedListName.clear();
    nSelectedListID = 0;
    if (rolledBack)
        showAfterRollback(typed, wasInsert, editedKey);
}

void TFormSaveToNewList::showAfterRollback(const QVector<QPair<QString, QVariant>> &typed, bool wasInsert,
                                           const QVariant &editedKey)
{
    // The rows held here still show the rolled-back post: read them again, so
    // the dialog shows the lists as they are, and give the typed values back
    // as a row not yet saved.
    runAction(QStringLiteral("showAfterRollback"), [&] {
        kv::Query &lists = *m_queries->QueryLists;
        lists.refresh();
        m_queries->QueryListLookUp->refresh();
        fillPickLists();
        if (wasInsert)
            lists.insert();
        else if (!editedKey.isValid() || !lists.locate({lists.keyField()}, {editedKey}))
            return;
        else
            lists.edit();
        for (const auto &[field, value] : typed)
            if (lists.fieldValue(field) != value)
                lists.setFieldValue(field, value);
    });
    showCurrentRow();
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
        m_unit.reset();
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
        if (listsPending() && m_prompts.confirm(kSaveBeforeClosing))
            m_queries->QueryLists->post();
    });
}
