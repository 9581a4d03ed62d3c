#include "lists/ui/form_list_fulfillment_options.h"

#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/trace.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/lookup_combo.h"
#include "shell/ui/run_action.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

TFormListFulfillmentOptions *FormListFulfillmentOptions = nullptr;

namespace {

// A combo box reports "-1 to -1" as a change; only real changes may run handlers.
void setComboIndex(QComboBox *combo, int index)
{
    if (combo->currentIndex() != index)
        combo->setCurrentIndex(index);
}

// Delete or Backspace on a lookup empties it: a drop-down list offers no
// empty row, and "no service" or "no item" is a choice a user can make.
class EmptyOnDelete : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
                setComboIndex(static_cast<QComboBox *>(watched), -1);
                return true;
            }
        }
        return false;
    }
};

QComboBox *makeLookup(QWidget *parent, const QString &objectName, const QString &title, int widthChars)
{
    QComboBox *combo = kv::makeTitledLookup(parent, objectName, title, widthChars);
    combo->installEventFilter(new EmptyOnDelete(combo));
    return combo;
}

} // namespace

// ---------------------------------------------------------------- TDeliveryDateEdit

const QString TDeliveryDateEdit::kDisplayFormat = QStringLiteral("dddd MMM d, yyyy");

TDeliveryDateEdit::TDeliveryDateEdit(QWidget *parent)
    : kv::DateField(kDisplayFormat, parent)
{
    // A new user learns here what may be typed.
    showTypingHint();
}

// ---------------------------------------------------------------- TFormListFulfillmentOptions

const QString TFormListFulfillmentOptions::kCaption = QStringLiteral("List Fulfillment");
const QString TFormListFulfillmentOptions::kListGroupCaption = QStringLiteral("Select a list to which to deliver:");
const QString TFormListFulfillmentOptions::kDateLabel = QStringLiteral("Delivery Date:");
const QString TFormListFulfillmentOptions::kActiveCaption = QStringLiteral("Include only currently Active clients");
const QString TFormListFulfillmentOptions::kConfirmedCaption = QStringLiteral("Confirmed Checkbox should be");
const QStringList TFormListFulfillmentOptions::kConfirmedItems = {QStringLiteral("Checked"), QStringLiteral("Unchecked"),
                                                                 QStringLiteral("Unknown"), QStringLiteral("Irrelevant")};
const QString TFormListFulfillmentOptions::kServiceCaption = QStringLiteral("Service to Use");
const QStringList TFormListFulfillmentOptions::kServiceItems = {QStringLiteral("Client's Own Service"),
                                                               QStringLiteral("Selected Service:")};
const QString TFormListFulfillmentOptions::kItemsCaption = QStringLiteral("Items to Deliver");
const QStringList TFormListFulfillmentOptions::kItemsItems = {QStringLiteral("Defaults for the service to be used"),
                                                             QStringLiteral("Selected Item:")};
const QString TFormListFulfillmentOptions::kServiceColumnTitle = QStringLiteral("Service");
const QString TFormListFulfillmentOptions::kItemColumnTitle = QStringLiteral("Item");
const QDate TFormListFulfillmentOptions::kEarliestDate = QDate(1900, 1, 1);
const int TFormListFulfillmentOptions::kQuantityMaximum = 99;

TFormListFulfillmentOptions::TFormListFulfillmentOptions(TDataModuleLists &dm, kv::Prompts &prompts, QWidget *owner)
    : QDialog(owner)
    , m_dm(dm)
    , m_prompts(prompts)
    , m_names(std::make_unique<kv::FulfilmentNameLookups>(dm))
{
    setObjectName(QStringLiteral("FormListFulfillmentOptions"));
    setWindowTitle(kCaption);
    buildControls();
    fillLookups();
    // The design size, or larger where a bigger font needs it: a caption is never cut.
    setFixedSize(sizeHint().expandedTo(QSize(kDesignWidth, kDesignHeight)));

    // By index, not by text: picking the second of two lists with one name is a change.
    connect(wwDBLookupComboList, &QComboBox::currentIndexChanged, this, [this] { wwDBLookupComboListChange(); });
    connect(wwDBDateTimePickerDelivDt, &TDeliveryDateEdit::dateChanged, this, [this] { wwDBDateTimePickerDelivDtChange(); });
    connect(RzRadioGroupService, &kv::RadioGroup::changed, this, [this] { RzRadioGroupServiceClick(); });
    connect(RzRadioGroupItems, &kv::RadioGroup::changed, this, [this] { RzRadioGroupItemsClick(); });
    connect(RzRadioGroupConfirmedStatus, &kv::RadioGroup::changed, this, [this] { EnableOKButton(); });
    attachServiceLookup();
    attachItemHandlers();
    connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    EnableOKButton();

    kv::centreOnScreen(this);
}

TFormListFulfillmentOptions::~TFormListFulfillmentOptions()
{
    if (FormListFulfillmentOptions == this)
        FormListFulfillmentOptions = nullptr;
}

void TFormListFulfillmentOptions::buildControls()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(10, 10, 10, 10);
    root->setSpacing(4);

    auto *listGroup = new QGroupBox(kListGroupCaption, this);
    auto *listLayout = new QVBoxLayout(listGroup);
    wwDBLookupComboList = new QComboBox(listGroup);
    wwDBLookupComboList->setObjectName(QStringLiteral("wwDBLookupComboList"));
    // A drop-down list: only lists can be chosen, never a typed name.
    wwDBLookupComboList->setEditable(false);
    wwDBLookupComboList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    wwDBLookupComboList->setMinimumContentsLength(20);
    listLayout->addWidget(wwDBLookupComboList);
    root->addWidget(listGroup);

    auto *dateRow = new QHBoxLayout;
    auto *dateLabel = new QLabel(kDateLabel, this);
    wwDBDateTimePickerDelivDt = new TDeliveryDateEdit(this);
    wwDBDateTimePickerDelivDt->setObjectName(QStringLiteral("wwDBDateTimePickerDelivDt"));
    dateLabel->setBuddy(wwDBDateTimePickerDelivDt);
    dateRow->addWidget(dateLabel);
    dateRow->addWidget(wwDBDateTimePickerDelivDt, 1);
    root->addLayout(dateRow);

    wwCheckBoxCurrentlyActive = new QCheckBox(kActiveCaption, this);
    wwCheckBoxCurrentlyActive->setObjectName(QStringLiteral("wwCheckBoxCurrentlyActive"));
    root->addWidget(wwCheckBoxCurrentlyActive);

    RzRadioGroupConfirmedStatus = new kv::RadioGroup(kConfirmedCaption, kConfirmedItems, this);
    RzRadioGroupConfirmedStatus->setObjectName(QStringLiteral("RzRadioGroupConfirmedStatus"));
    root->addWidget(RzRadioGroupConfirmedStatus);

    RzRadioGroupService = new kv::RadioGroup(kServiceCaption, kServiceItems, this);
    RzRadioGroupService->setObjectName(QStringLiteral("RzRadioGroupService"));
    wwDBLookupComboService = makeLookup(RzRadioGroupService, QStringLiteral("wwDBLookupComboService"), kServiceColumnTitle, kLookupWidthChars);
    RzRadioGroupService->setItemWidget(kv::FulfilmentOptions::SelectedService, wwDBLookupComboService);
    root->addWidget(RzRadioGroupService);

    // The quantity and the item go on a line of their own under their
    // caption, so that no caption of the group is cut by them.
    RzRadioGroupItems = new kv::RadioGroup(kItemsCaption, kItemsItems, this);
    RzRadioGroupItems->setObjectName(QStringLiteral("RzRadioGroupItems"));
    auto *itemRow = new QWidget(RzRadioGroupItems);
    auto *itemLayout = new QHBoxLayout(itemRow);
    const int indent = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth)
        + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
    itemLayout->setContentsMargins(indent, 0, 0, 0);
    wwDBSpinEditQuantity = new QSpinBox(itemRow);
    wwDBSpinEditQuantity->setObjectName(QStringLiteral("wwDBSpinEditQuantity"));
    // 0 is what the fill shows for "no quantity"; the user picks 1 to 99.
    wwDBSpinEditQuantity->setRange(0, kQuantityMaximum);
    wwDBSpinEditQuantity->setSingleStep(1);
    wwDBLookupComboItem = makeLookup(itemRow, QStringLiteral("wwDBLookupComboItem"), kItemColumnTitle, kLookupWidthChars);
    itemLayout->addWidget(wwDBSpinEditQuantity);
    itemLayout->addWidget(wwDBLookupComboItem, 1);
    RzRadioGroupItems->addWidgetBelow(itemRow);
    root->addWidget(RzRadioGroupItems);

    root->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    BitBtnOK = new QPushButton(tr("OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);
    BitBtnCancel = new QPushButton(tr("Cancel"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);
    root->addLayout(buttons);
}

void TFormListFulfillmentOptions::fillLookups()
{
    // The choices are the rows of the data module's lookups, in their order;
    // the list lookup's index is the row of QueryListLookup.
    const QSignalBlocker blockList(wwDBLookupComboList);
    kv::Query &lists = *m_dm.QueryListLookup;
    if (!lists.isOpen())
        lists.open();
    const int nameField = lists.fieldIndex(QStringLiteral("List_Name"));
    for (int r = 0; r < lists.recordCount(); ++r)
        wwDBLookupComboList->addItem(lists.valueAt(r, nameField).toString());
    wwDBLookupComboList->setCurrentIndex(-1);

    kv::Query &services = *m_dm.QueryServices;
    if (!services.isOpen())
        services.open();
    const int sDesc = services.fieldIndex(QStringLiteral("Service_Desc"));
    const int sId = services.fieldIndex(QStringLiteral("Service_ID"));
    for (int r = 0; r < services.recordCount(); ++r)
        wwDBLookupComboService->addItem(services.valueAt(r, sDesc).toString(), services.valueAt(r, sId));
    wwDBLookupComboService->setCurrentIndex(-1);

    kv::Query &items = *m_dm.QueryItems;
    if (!items.isOpen())
        items.open();
    const int iName = items.fieldIndex(QStringLiteral("Meal_Item"));
    const int iId = items.fieldIndex(QStringLiteral("Item_ID"));
    for (int r = 0; r < items.recordCount(); ++r)
        wwDBLookupComboItem->addItem(items.valueAt(r, iName).toString(), items.valueAt(r, iId));
    wwDBLookupComboItem->setCurrentIndex(-1);
}

void TFormListFulfillmentOptions::setListText(const QString &listName)
{
    // The row the list lookup stands on wins over another list of the same name.
    const kv::Query &lists = *m_dm.QueryListLookup;
    // An empty name is a list's name too: it is chosen like any other.
    int row = -1;
    if (lists.isOpen() && lists.recNo() >= 0 && wwDBLookupComboList->itemText(lists.recNo()) == listName)
        row = lists.recNo();
    else if (!listName.isEmpty())
        row = wwDBLookupComboList->findText(listName, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    {
        const QSignalBlocker block(wwDBLookupComboList);
        wwDBLookupComboList->setCurrentIndex(row);
    }
    wwDBLookupComboListChange();
}

QString TFormListFulfillmentOptions::listText() const
{
    return wwDBLookupComboList->currentText();
}

int TFormListFulfillmentOptions::chosenListId() const
{
    if (!m_listChosen || !m_dm.QueryListLookup->isOpen() || m_dm.QueryListLookup->isEmpty())
        return 0;
    return m_dm.QueryListLookup->fieldValue(QStringLiteral("Record_ID")).toInt();
}

void TFormListFulfillmentOptions::wwDBLookupComboListChange()
{
    // The fill reads the list's names from the database: a failure is shown, not thrown into Qt.
    kv::runAction(m_prompts, QStringLiteral("TFormListFulfillmentOptions.wwDBLookupComboListChange"),
                  [this] { fillFromChosenList(); }, kv::ActionCursor::Unchanged);
}

void TFormListFulfillmentOptions::fillFromChosenList()
{
    const int row = wwDBLookupComboList->currentIndex();
    m_listChosen = row >= 0;
    if (row >= 0) {
        // The fill sets every control from the list; a lookup it empties or a
        // quantity it sets to 0 leaves the choice the list's letters made.
        const QScopedValueRollback<bool> filling(m_filling, true);
        kv::Query &lists = *m_dm.QueryListLookup;
        if (lists.recNo() != row)
            lists.setRecNo(row);
        const kv::ListDefaults d = kv::ListDefaults::fromCurrentRow(lists);

        wwCheckBoxCurrentlyActive->setChecked(d.activeOnly);
        selectIndex(RzRadioGroupConfirmedStatus, kv::ListDefaults::indexOfCode(kv::ListDefaults::kConfirmedKeys, d.checkboxSetting));
        selectIndex(RzRadioGroupService, kv::ListDefaults::indexOfCode(kv::ListDefaults::kServiceKeys, d.serviceMethod));
        const int serviceId = d.serviceUsed.value_or(0);
        selectService(serviceId, m_names->serviceName(serviceId));
        selectIndex(RzRadioGroupItems, kv::ListDefaults::indexOfCode(kv::ListDefaults::kItemsKeys, d.itemMethod));
        // A list saved from the copy dialog may hold up to 999: the box shows
        // (and the run uses) that figure instead of clipping it to 99.
        wwDBSpinEditQuantity->setMaximum(qMax(kQuantityMaximum, d.quantity.value_or(0)));
        wwDBSpinEditQuantity->setValue(d.quantity.value_or(0));
        const int itemId = d.itemToDeliver.value_or(0);
        selectItem(itemId, m_names->itemName(itemId));
        kv::Trace::value(QStringLiteral("FormListFulfillmentOptions.RzRadioGroupService.ItemIndex"),
                         qint64(RzRadioGroupService->itemIndex()));
    }
    EnableOKButton();
}

void TFormListFulfillmentOptions::selectIndex(kv::RadioGroup *group, int index)
{
    if (index < 0)
        group->clearSelection();
    else
        group->setItemIndex(index);
}

void TFormListFulfillmentOptions::selectService(int serviceId, const QString &name)
{
    int index = -1;
    if (!name.isEmpty()) {
        index = wwDBLookupComboService->findData(serviceId);
        if (index < 0)
            index = wwDBLookupComboService->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    }
    setComboIndex(wwDBLookupComboService, index);
}

void TFormListFulfillmentOptions::selectItem(int itemId, const QString &name)
{
    int index = -1;
    if (!name.isEmpty()) {
        index = wwDBLookupComboItem->findData(itemId);
        if (index < 0)
            index = wwDBLookupComboItem->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    }
    setComboIndex(wwDBLookupComboItem, index);
}

void TFormListFulfillmentOptions::attachServiceLookup()
{
    m_serviceLookupChange =
        connect(wwDBLookupComboService, &QComboBox::currentIndexChanged, this, [this] { wwDBLookupComboServiceClick(); });
}

void TFormListFulfillmentOptions::detachServiceLookup()
{
    disconnect(m_serviceLookupChange);
}

void TFormListFulfillmentOptions::attachItemHandlers()
{
    m_itemLookupChange = connect(wwDBLookupComboItem, &QComboBox::currentIndexChanged, this, [this] { wwDBLookupComboItemChange(); });
    m_quantityChange = connect(wwDBSpinEditQuantity, &QSpinBox::valueChanged, this, [this] { wwDBSpinEditQuantityChange(); });
}

void TFormListFulfillmentOptions::detachItemHandlers()
{
    disconnect(m_itemLookupChange);
    disconnect(m_quantityChange);
}

void TFormListFulfillmentOptions::RzRadioGroupServiceClick()
{
    if (RzRadioGroupService->itemIndex() == kv::FulfilmentOptions::ClientsOwnService) {
        detachServiceLookup();
        setComboIndex(wwDBLookupComboService, -1);
        attachServiceLookup();
    }
    EnableOKButton();
}

void TFormListFulfillmentOptions::RzRadioGroupItemsClick()
{
    if (RzRadioGroupItems->itemIndex() == kv::FulfilmentOptions::ServiceDefaults) {
        detachItemHandlers();
        setComboIndex(wwDBLookupComboItem, -1);
        wwDBSpinEditQuantity->setValue(0);
        attachItemHandlers();
    }
    EnableOKButton();
}

// Choosing or emptying a service, an item or a quantity selects "Selected …",
// whoever changes it; only the fill from a list's stored defaults keeps the
// list's own choice when it empties a lookup (a list may have no service).
void TFormListFulfillmentOptions::wwDBLookupComboServiceClick()
{
    kv::TraceScope trace(QStringLiteral("TFormListFulfillmentOptions.wwDBLookupComboServiceClick"));
    if (!m_filling || wwDBLookupComboService->currentIndex() >= 0)
        RzRadioGroupService->setItemIndex(kv::FulfilmentOptions::SelectedService);
    EnableOKButton();
}

void TFormListFulfillmentOptions::wwDBSpinEditQuantityChange()
{
    kv::TraceScope trace(QStringLiteral("TFormListFulfillmentOptions.wwDBSpinEditQuantityChange"));
    if (!m_filling || wwDBSpinEditQuantity->value() > 0)
        RzRadioGroupItems->setItemIndex(kv::FulfilmentOptions::SelectedItem);
    EnableOKButton();
}

void TFormListFulfillmentOptions::wwDBLookupComboItemChange()
{
    kv::TraceScope trace(QStringLiteral("TFormListFulfillmentOptions.wwDBLookupComboItemChange"));
    const bool itemChosen = wwDBLookupComboItem->currentIndex() >= 0;
    if (!m_filling || itemChosen)
        RzRadioGroupItems->setItemIndex(kv::FulfilmentOptions::SelectedItem);
    // An item is delivered at least once; emptying the item leaves the quantity alone.
    if (itemChosen && wwDBSpinEditQuantity->value() == 0)
        wwDBSpinEditQuantity->setValue(1);
    EnableOKButton();
}

void TFormListFulfillmentOptions::wwDBDateTimePickerDelivDtChange()
{
    EnableOKButton();
}

void TFormListFulfillmentOptions::EnableOKButton()
{
    const QDate date = wwDBDateTimePickerDelivDt->date();
    const bool listAndDate = m_listChosen && date.isValid() && date > kEarliestDate;
    // A "Selected …" choice with an empty lookup would otherwise write no
    // service or item at all, so it has to be filled in first.
    BitBtnOK->setEnabled(listAndDate && kv::ListFulfilment::check(options()).isEmpty());
}

kv::FulfilmentOptions TFormListFulfillmentOptions::options() const
{
    kv::FulfilmentOptions o;
    o.deliveryDate = wwDBDateTimePickerDelivDt->date();
    o.activeOnly = wwCheckBoxCurrentlyActive->isChecked();
    o.confirmedIndex = RzRadioGroupConfirmedStatus->itemIndex();
    o.serviceIndex = RzRadioGroupService->itemIndex();
    if (o.serviceIndex == kv::FulfilmentOptions::SelectedService && wwDBLookupComboService->currentIndex() >= 0)
        o.serviceId = wwDBLookupComboService->currentData().toInt();
    o.itemsIndex = RzRadioGroupItems->itemIndex();
    if (o.itemsIndex == kv::FulfilmentOptions::SelectedItem && wwDBLookupComboItem->currentIndex() >= 0)
        o.itemId = wwDBLookupComboItem->currentData().toInt();
    // The quantity shown: the list's stored one unless the user changed it here.
    o.quantity = wwDBSpinEditQuantity->value();
    if (m_listChosen && m_dm.QueryListLookup->isOpen() && !m_dm.QueryListLookup->isEmpty())
        o.listName = m_dm.QueryListLookup->fieldValue(QStringLiteral("List_Name")).toString();
    return o;
}
