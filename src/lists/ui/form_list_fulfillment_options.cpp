#include "lists/ui/form_list_fulfillment_options.h"

#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/trace.h"
#include "shell/ui/fulfilment_defaults_panel.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/run_action.h"
#include "shell/ui/screen_reader_names.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
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

const QDate TFormListFulfillmentOptions::kEarliestDate = QDate(1900, 1, 1);
const int TFormListFulfillmentOptions::kQuantityMaximum = 99;

struct TFormListFulfillmentOptions::Private
{
    QComboBox *wwDBLookupComboList = nullptr;
    TDeliveryDateEdit *wwDBDateTimePickerDelivDt = nullptr;
    kv::FulfilmentDefaultsPanel *defaults = nullptr;
    QPushButton *BitBtnOK = nullptr;
    QPushButton *BitBtnCancel = nullptr;
};

TFormListFulfillmentOptions::TFormListFulfillmentOptions(TDataModuleLists &dm, kv::Prompts &prompts, QWidget *owner)
    : QDialog(owner)
    , d(std::make_unique<Private>())
    , m_dm(dm)
    , m_prompts(prompts)
    , m_names(std::make_unique<kv::FulfilmentNameLookups>(dm))
{
    setObjectName(QStringLiteral("FormListFulfillmentOptions"));
    setWindowTitle(tr("List Fulfillment"));
    buildControls();
    fillLookups();
    // The design size, or larger where a bigger font needs it: a caption is never cut.
    setFixedSize(sizeHint().expandedTo(QSize(kDesignWidth, kDesignHeight)));

    // By index, not by text: picking the second of two lists with one name is a change.
    connect(d->wwDBLookupComboList, &QComboBox::currentIndexChanged, this, [this] { wwDBLookupComboListChange(); });
    connect(d->wwDBDateTimePickerDelivDt, &TDeliveryDateEdit::dateChanged, this, [this] { wwDBDateTimePickerDelivDtChange(); });
    connect(d->defaults->service(), &kv::RadioGroup::changed, this, [this] { RzRadioGroupServiceClick(); });
    connect(d->defaults->items(), &kv::RadioGroup::changed, this, [this] { RzRadioGroupItemsClick(); });
    connect(d->defaults->confirmed(), &kv::RadioGroup::changed, this, [this] { EnableOKButton(); });
    attachServiceLookup();
    attachItemHandlers();
    connect(d->BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(d->BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
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

    auto *listGroup = new QGroupBox(tr("Select a list to which to deliver:"), this);
    auto *listLayout = new QVBoxLayout(listGroup);
    d->wwDBLookupComboList = new QComboBox(listGroup);
    d->wwDBLookupComboList->setObjectName(QStringLiteral("wwDBLookupComboList"));
    // A drop-down list: only lists can be chosen, never a typed name.
    d->wwDBLookupComboList->setEditable(false);
    d->wwDBLookupComboList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    d->wwDBLookupComboList->setMinimumContentsLength(20);
    listLayout->addWidget(d->wwDBLookupComboList);
    root->addWidget(listGroup);

    auto *dateRow = new QHBoxLayout;
    auto *dateLabel = new QLabel(tr("Delivery Date:"), this);
    d->wwDBDateTimePickerDelivDt = new TDeliveryDateEdit(this);
    d->wwDBDateTimePickerDelivDt->setObjectName(QStringLiteral("wwDBDateTimePickerDelivDt"));
    dateLabel->setBuddy(d->wwDBDateTimePickerDelivDt);
    // The typing box inside the field is what takes the keys: it speaks the caption too.
    d->wwDBDateTimePickerDelivDt->lineEdit()->setAccessibleName(dateLabel->text());
    dateRow->addWidget(dateLabel);
    dateRow->addWidget(d->wwDBDateTimePickerDelivDt, 1);
    root->addLayout(dateRow);

    kv::FulfilmentDefaultsPanel::Options panelOptions;
    panelOptions.shape = kv::FulfilmentDefaultsPanel::Shape::Column;
    panelOptions.names = {QStringLiteral("wwCheckBoxCurrentlyActive"), QStringLiteral("RzRadioGroupConfirmedStatus"),
                          QStringLiteral("RzRadioGroupService"),       QStringLiteral("wwDBLookupComboService"),
                          QStringLiteral("RzRadioGroupItems"),         QStringLiteral("wwDBSpinEditQuantity"),
                          QStringLiteral("wwDBLookupComboItem")};
    panelOptions.activeOnlyCaption = tr("Include only currently Active clients");
    panelOptions.selectedItemCaption = tr("Selected Item:");
    // 0 is what the fill shows for "no quantity"; the user picks 1 to 99.
    panelOptions.quantityMaximum = kQuantityMaximum;
    panelOptions.emptyNoQuantity = false;
    panelOptions.lookupWidthChars = kv::FulfilmentDefaultsPanel::Options::kDialogLookupWidthChars;
    auto *panel = new kv::FulfilmentDefaultsPanel(panelOptions, this);
    d->defaults = panel;
    panel->setObjectName(QStringLiteral("PanelDefaults"));
    for (QComboBox *lookup : {d->defaults->serviceLookup(), d->defaults->itemLookup()})
        lookup->installEventFilter(new EmptyOnDelete(lookup));
    root->addWidget(panel);

    root->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    d->BitBtnOK = new QPushButton(tr("OK"), this);
    d->BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    d->BitBtnOK->setDefault(true);
    d->BitBtnCancel = new QPushButton(tr("Cancel"), this);
    d->BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    buttons->addWidget(d->BitBtnOK);
    buttons->addWidget(d->BitBtnCancel);
    root->addLayout(buttons);
    // The list lookup is spoken by its group's caption.
    kv::nameControlsForScreenReaders(this);
}

void TFormListFulfillmentOptions::fillLookups()
{
    // The choices are the rows of the data module's lookups, in their order;
    // the list lookup's index is the row of QueryListLookup.
    const QSignalBlocker blockList(d->wwDBLookupComboList);
    kv::Query &lists = *m_dm.QueryListLookup;
    if (!lists.isOpen())
        lists.open();
    const int nameField = lists.fieldIndex(QStringLiteral("List_Name"));
    for (int r = 0; r < lists.recordCount(); ++r)
        d->wwDBLookupComboList->addItem(lists.valueAt(r, nameField).toString());
    d->wwDBLookupComboList->setCurrentIndex(-1);

    kv::Query &services = *m_dm.QueryServices;
    if (!services.isOpen())
        services.open();
    const int sDesc = services.fieldIndex(QStringLiteral("Service_Desc"));
    const int sId = services.fieldIndex(QStringLiteral("Service_ID"));
    for (int r = 0; r < services.recordCount(); ++r)
        d->defaults->serviceLookup()->addItem(services.valueAt(r, sDesc).toString(), services.valueAt(r, sId));
    d->defaults->serviceLookup()->setCurrentIndex(-1);

    kv::Query &items = *m_dm.QueryItems;
    if (!items.isOpen())
        items.open();
    const int iName = items.fieldIndex(QStringLiteral("Meal_Item"));
    const int iId = items.fieldIndex(QStringLiteral("Item_ID"));
    for (int r = 0; r < items.recordCount(); ++r)
        d->defaults->itemLookup()->addItem(items.valueAt(r, iName).toString(), items.valueAt(r, iId));
    d->defaults->itemLookup()->setCurrentIndex(-1);
}

void TFormListFulfillmentOptions::setListText(const QString &listName)
{
    // The row the list lookup stands on wins over another list of the same name.
    const kv::Query &lists = *m_dm.QueryListLookup;
    // An empty name is a list's name too: it is chosen like any other.
    int row = -1;
    if (lists.isOpen() && lists.recNo() >= 0 && d->wwDBLookupComboList->itemText(lists.recNo()) == listName)
        row = lists.recNo();
    else if (!listName.isEmpty())
        row = d->wwDBLookupComboList->findText(listName, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    {
        const QSignalBlocker block(d->wwDBLookupComboList);
        d->wwDBLookupComboList->setCurrentIndex(row);
    }
    wwDBLookupComboListChange();
}

QString TFormListFulfillmentOptions::listText() const
{
    return d->wwDBLookupComboList->currentText();
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
    const int row = d->wwDBLookupComboList->currentIndex();
    m_listChosen = row >= 0;
    if (row >= 0) {
        // The fill sets every control from the list; a lookup it empties or a
        // quantity it sets to 0 leaves the choice the list's letters made.
        const QScopedValueRollback<bool> filling(m_filling, true);
        kv::Query &lists = *m_dm.QueryListLookup;
        if (lists.recNo() != row)
            lists.setRecNo(row);
        const kv::ListDefaults stored = kv::ListDefaults::fromCurrentRow(lists);

        d->defaults->activeOnly()->setChecked(stored.activeOnly);
        selectIndex(d->defaults->confirmed(), kv::ListDefaults::indexOfCode(kv::ListDefaults::kConfirmedKeys, stored.checkboxSetting));
        selectIndex(d->defaults->service(), kv::ListDefaults::indexOfCode(kv::ListDefaults::kServiceKeys, stored.serviceMethod));
        const int serviceId = stored.serviceUsed.value_or(0);
        selectService(serviceId, m_names->serviceName(serviceId));
        selectIndex(d->defaults->items(), kv::ListDefaults::indexOfCode(kv::ListDefaults::kItemsKeys, stored.itemMethod));
        // A list saved from the copy dialog may hold up to 999: the box shows
        // (and the run uses) that figure instead of clipping it to 99.
        d->defaults->quantity()->setMaximum(qMax(kQuantityMaximum, stored.quantity.value_or(0)));
        d->defaults->quantity()->setValue(stored.quantity.value_or(0));
        const int itemId = stored.itemToDeliver.value_or(0);
        selectItem(itemId, m_names->itemName(itemId));
        kv::Trace::value(QStringLiteral("FormListFulfillmentOptions.RzRadioGroupService.ItemIndex"),
                         qint64(d->defaults->service()->itemIndex()));
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
        index = d->defaults->serviceLookup()->findData(serviceId);
        if (index < 0)
            index = d->defaults->serviceLookup()->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    }
    setComboIndex(d->defaults->serviceLookup(), index);
}

void TFormListFulfillmentOptions::selectItem(int itemId, const QString &name)
{
    int index = -1;
    if (!name.isEmpty()) {
        index = d->defaults->itemLookup()->findData(itemId);
        if (index < 0)
            index = d->defaults->itemLookup()->findText(name, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    }
    setComboIndex(d->defaults->itemLookup(), index);
}

void TFormListFulfillmentOptions::attachServiceLookup()
{
    m_serviceLookupChange =
        connect(d->defaults->serviceLookup(), &QComboBox::currentIndexChanged, this, [this] { wwDBLookupComboServiceClick(); });
}

void TFormListFulfillmentOptions::detachServiceLookup()
{
    disconnect(m_serviceLookupChange);
}

void TFormListFulfillmentOptions::attachItemHandlers()
{
    m_itemLookupChange = connect(d->defaults->itemLookup(), &QComboBox::currentIndexChanged, this, [this] { wwDBLookupComboItemChange(); });
    m_quantityChange = connect(d->defaults->quantity(), &QSpinBox::valueChanged, this, [this] { wwDBSpinEditQuantityChange(); });
}

void TFormListFulfillmentOptions::detachItemHandlers()
{
    disconnect(m_itemLookupChange);
    disconnect(m_quantityChange);
}

void TFormListFulfillmentOptions::RzRadioGroupServiceClick()
{
    if (d->defaults->service()->itemIndex() == kv::FulfilmentOptions::ClientsOwnService) {
        detachServiceLookup();
        setComboIndex(d->defaults->serviceLookup(), -1);
        attachServiceLookup();
    }
    EnableOKButton();
}

void TFormListFulfillmentOptions::RzRadioGroupItemsClick()
{
    if (d->defaults->items()->itemIndex() == kv::FulfilmentOptions::ServiceDefaults) {
        detachItemHandlers();
        setComboIndex(d->defaults->itemLookup(), -1);
        d->defaults->quantity()->setValue(0);
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
    if (!m_filling || d->defaults->serviceLookup()->currentIndex() >= 0)
        d->defaults->service()->setItemIndex(kv::FulfilmentOptions::SelectedService);
    EnableOKButton();
}

void TFormListFulfillmentOptions::wwDBSpinEditQuantityChange()
{
    kv::TraceScope trace(QStringLiteral("TFormListFulfillmentOptions.wwDBSpinEditQuantityChange"));
    if (!m_filling || d->defaults->quantity()->value() > 0)
        d->defaults->items()->setItemIndex(kv::FulfilmentOptions::SelectedItem);
    EnableOKButton();
}

void TFormListFulfillmentOptions::wwDBLookupComboItemChange()
{
    kv::TraceScope trace(QStringLiteral("TFormListFulfillmentOptions.wwDBLookupComboItemChange"));
    const bool itemChosen = d->defaults->itemLookup()->currentIndex() >= 0;
    if (!m_filling || itemChosen)
        d->defaults->items()->setItemIndex(kv::FulfilmentOptions::SelectedItem);
    // An item is delivered at least once; emptying the item leaves the quantity alone.
    if (itemChosen && d->defaults->quantity()->value() == 0)
        d->defaults->quantity()->setValue(1);
    EnableOKButton();
}

void TFormListFulfillmentOptions::wwDBDateTimePickerDelivDtChange()
{
    EnableOKButton();
}

void TFormListFulfillmentOptions::EnableOKButton()
{
    const QDate date = d->wwDBDateTimePickerDelivDt->date();
    const bool listAndDate = m_listChosen && date.isValid() && date > kEarliestDate;
    // A "Selected …" choice with an empty lookup would otherwise write no
    // service or item at all, so it has to be filled in first.
    d->BitBtnOK->setEnabled(listAndDate && kv::ListFulfilment::check(options()).isEmpty());
}

kv::FulfilmentOptions TFormListFulfillmentOptions::options() const
{
    kv::FulfilmentOptions o;
    o.deliveryDate = d->wwDBDateTimePickerDelivDt->date();
    o.activeOnly = d->defaults->activeOnly()->isChecked();
    o.confirmedIndex = d->defaults->confirmed()->itemIndex();
    o.serviceIndex = d->defaults->service()->itemIndex();
    if (o.serviceIndex == kv::FulfilmentOptions::SelectedService && d->defaults->serviceLookup()->currentIndex() >= 0)
        o.serviceId = d->defaults->serviceLookup()->currentData().toInt();
    o.itemsIndex = d->defaults->items()->itemIndex();
    if (o.itemsIndex == kv::FulfilmentOptions::SelectedItem && d->defaults->itemLookup()->currentIndex() >= 0)
        o.itemId = d->defaults->itemLookup()->currentData().toInt();
    // The quantity shown: the list's stored one unless the user changed it here.
    o.quantity = d->defaults->quantity()->value();
    if (m_listChosen && m_dm.QueryListLookup->isOpen() && !m_dm.QueryListLookup->isEmpty())
        o.listName = m_dm.QueryListLookup->fieldValue(QStringLiteral("List_Name")).toString();
    return o;
}
