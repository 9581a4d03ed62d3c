#include "lists/ui/form_list_fulfillment_options.h"

#include "data/data_module.h"
#include "data/engine/query.h"
#include "data/trace.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

TFormListFulfillmentOptions *FormListFulfillmentOptions = nullptr;

namespace {

// A combo box reports "-1 to -1" as a change; only real changes may run handlers.
void setComboIndex(QComboBox *combo, int index)
{
    if (combo->currentIndex() != index)
        combo->setCurrentIndex(index);
}

} // namespace

// ---------------------------------------------------------------- TDeliveryDateEdit

const QString TDeliveryDateEdit::kDisplayFormat = QStringLiteral("dddd MMM d, yyyy");

TDeliveryDateEdit::TDeliveryDateEdit(QWidget *parent)
    : QWidget(parent)
    , m_edit(new QLineEdit(this))
    , m_calendarButton(new QToolButton(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    row->addWidget(m_edit, 1);
    row->addWidget(m_calendarButton);
    m_edit->setObjectName(QStringLiteral("DelivDtText"));
    m_calendarButton->setObjectName(QStringLiteral("DelivDtCalendar"));
    m_calendarButton->setText(QStringLiteral("..."));
    m_calendarButton->setToolTip(tr("Choose the date from a calendar"));
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString &t) { textEdited(t); });
    connect(m_edit, &QLineEdit::editingFinished, this, [this] { editingFinished(); });
    connect(m_calendarButton, &QToolButton::clicked, this, [this] { showCalendar(); });
}

void TDeliveryDateEdit::setDate(const QDate &date)
{
    m_edit->setText(date.isValid() ? QLocale().toString(date, kDisplayFormat) : QString());
    changeDate(date);
}

void TDeliveryDateEdit::changeDate(const QDate &date)
{
    const QDate d = date.isValid() ? date : QDate();
    if (d == m_date)
        return;
    m_date = d;
    Q_EMIT dateChanged(m_date);
}

void TDeliveryDateEdit::textEdited(const QString &text)
{
    changeDate(readTypedDate(text));
}

void TDeliveryDateEdit::editingFinished()
{
    // Show what was understood in the one display form.
    if (m_date.isValid())
        m_edit->setText(QLocale().toString(m_date, kDisplayFormat));
}

void TDeliveryDateEdit::showCalendar()
{
    auto *popup = new QCalendarWidget(this);
    popup->setWindowFlags(Qt::Popup);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setSelectedDate(m_date.isValid() ? m_date : QDate::currentDate());
    connect(popup, &QCalendarWidget::clicked, this, [this, popup](const QDate &d) {
        setDate(d);
        popup->close();
    });
    popup->move(mapToGlobal(QPoint(0, height())));
    popup->show();
}

int TDeliveryDateEdit::expandYear(int year, int digits)
{
    if (digits > 2)
        return year;
    return year < 50 ? 2000 + year : 1900 + year;
}

QDate TDeliveryDateEdit::readTypedDate(const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.isEmpty())
        return {};
    const QLocale locale;

    // Numbers only: year first when it has four digits, else the order of the
    // user's short date format (month before day, or day before month).
    static const QRegularExpression numeric(QStringLiteral("^(\\d{1,4})[/.\\-](\\d{1,2})[/.\\-](\\d{1,4})$"));
    const auto n = numeric.match(text);
    if (n.hasMatch()) {
        const QString a = n.captured(1), b = n.captured(2), c = n.captured(3);
        if (a.size() == 4)
            return QDate(a.toInt(), b.toInt(), c.toInt());
        if (c.size() == 3)
            return {};
        const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
        const bool dayFirst = shortFormat.indexOf(QLatin1Char('d')) >= 0
            && shortFormat.indexOf(QLatin1Char('d')) < shortFormat.indexOf(QLatin1Char('M'));
        const int year = expandYear(c.toInt(), int(c.size()));
        return dayFirst ? QDate(year, b.toInt(), a.toInt()) : QDate(year, a.toInt(), b.toInt());
    }

    // Month by name: "[weekday] Mon d[,] yy[yy]", in the display form or shorter.
    static const QRegularExpression named(
        QStringLiteral("^(?:([^\\W\\d_]+)\\.?,?\\s+)?([^\\W\\d_]+)\\.?\\s+(\\d{1,2}),?\\s+(\\d{1,4})$"),
        QRegularExpression::UseUnicodePropertiesOption);
    const auto m = named.match(text);
    if (m.hasMatch()) {
        const QString monthText = m.captured(2);
        int month = 0;
        for (int i = 1; i <= 12 && month == 0; ++i) {
            if (locale.monthName(i, QLocale::LongFormat).compare(monthText, Qt::CaseInsensitive) == 0
                || locale.monthName(i, QLocale::ShortFormat).compare(monthText, Qt::CaseInsensitive) == 0)
                month = i;
        }
        if (month == 0)
            return {};
        const QString y = m.captured(4);
        if (y.size() == 3)
            return {};
        return QDate(expandYear(y.toInt(), int(y.size())), month, m.captured(3).toInt());
    }
    return {};
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

TFormListFulfillmentOptions::TFormListFulfillmentOptions(TDataModuleLists &dm, QWidget *owner)
    : QDialog(owner)
    , m_dm(dm)
    , m_names(std::make_unique<kv::FulfilmentNameLookups>(dm))
{
    setObjectName(QStringLiteral("FormListFulfillmentOptions"));
    setWindowTitle(kCaption);
    setFixedSize(417, 524);
    buildControls();
    fillLookups();

    connect(wwDBLookupComboList, &QComboBox::currentTextChanged, this, [this] { wwDBLookupComboListChange(); });
    connect(wwDBDateTimePickerDelivDt, &TDeliveryDateEdit::dateChanged, this, [this] { wwDBDateTimePickerDelivDtChange(); });
    connect(RzRadioGroupService, &kv::RadioGroup::changed, this, [this] { RzRadioGroupServiceClick(); });
    connect(RzRadioGroupItems, &kv::RadioGroup::changed, this, [this] { RzRadioGroupItemsClick(); });
    connect(RzRadioGroupConfirmedStatus, &kv::RadioGroup::changed, this, [this] { EnableOKButton(); });
    attachServiceLookup();
    attachItemHandlers();
    connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    EnableOKButton();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
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
    root->setSpacing(6);

    auto *listGroup = new QGroupBox(kListGroupCaption, this);
    auto *listLayout = new QVBoxLayout(listGroup);
    wwDBLookupComboList = new QComboBox(listGroup);
    wwDBLookupComboList->setObjectName(QStringLiteral("wwDBLookupComboList"));
    wwDBLookupComboList->setEditable(true);
    wwDBLookupComboList->setInsertPolicy(QComboBox::NoInsert);
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
    wwDBLookupComboService = new QComboBox(RzRadioGroupService);
    wwDBLookupComboService->setObjectName(QStringLiteral("wwDBLookupComboService"));
    wwDBLookupComboService->setToolTip(kServiceColumnTitle);
    RzRadioGroupService->setItemWidget(kv::FulfilmentOptions::SelectedService, wwDBLookupComboService);
    root->addWidget(RzRadioGroupService);

    RzRadioGroupItems = new kv::RadioGroup(kItemsCaption, kItemsItems, this);
    RzRadioGroupItems->setObjectName(QStringLiteral("RzRadioGroupItems"));
    auto *itemRow = new QWidget(RzRadioGroupItems);
    auto *itemLayout = new QHBoxLayout(itemRow);
    itemLayout->setContentsMargins(0, 0, 0, 0);
    wwDBSpinEditQuantity = new QSpinBox(itemRow);
    wwDBSpinEditQuantity->setObjectName(QStringLiteral("wwDBSpinEditQuantity"));
    // 0 is what the fill shows for "no quantity"; the user picks 1 to 99.
    wwDBSpinEditQuantity->setRange(0, kQuantityMaximum);
    wwDBSpinEditQuantity->setSingleStep(1);
    wwDBLookupComboItem = new QComboBox(itemRow);
    wwDBLookupComboItem->setObjectName(QStringLiteral("wwDBLookupComboItem"));
    wwDBLookupComboItem->setToolTip(kItemColumnTitle);
    itemLayout->addWidget(wwDBSpinEditQuantity);
    itemLayout->addWidget(wwDBLookupComboItem, 1);
    RzRadioGroupItems->setItemWidget(kv::FulfilmentOptions::SelectedItem, itemRow);
    // The lookups' drop-down lists are 40 characters wide, as their columns are.
    const int lookupWidth = fontMetrics().averageCharWidth() * 40;
    for (QComboBox *lookup : {wwDBLookupComboService, wwDBLookupComboItem})
        lookup->view()->setMinimumWidth(lookupWidth);
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
    wwDBLookupComboList->setEditText(QString());

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
    int row = -1;
    if (lists.isOpen() && lists.recNo() >= 0 && wwDBLookupComboList->itemText(lists.recNo()) == listName)
        row = lists.recNo();
    else
        row = wwDBLookupComboList->findText(listName, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    {
        const QSignalBlocker block(wwDBLookupComboList);
        wwDBLookupComboList->setCurrentIndex(row);
        wwDBLookupComboList->setEditText(listName);
    }
    wwDBLookupComboListChange();
}

QString TFormListFulfillmentOptions::listText() const
{
    return wwDBLookupComboList->currentText();
}

int TFormListFulfillmentOptions::listRowForText(const QString &text) const
{
    if (text.isEmpty())
        return -1;
    // The current row first: two lists may share a name.
    const int current = wwDBLookupComboList->currentIndex();
    if (current >= 0 && wwDBLookupComboList->itemText(current) == text)
        return current;
    return wwDBLookupComboList->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
}

int TFormListFulfillmentOptions::chosenListId() const
{
    if (!m_listChosen || !m_dm.QueryListLookup->isOpen() || m_dm.QueryListLookup->isEmpty())
        return 0;
    return m_dm.QueryListLookup->fieldValue(QStringLiteral("Record_ID")).toInt();
}

void TFormListFulfillmentOptions::wwDBLookupComboListChange()
{
    kv::TraceScope trace(QStringLiteral("TFormListFulfillmentOptions.wwDBLookupComboListChange"));
    const int row = listRowForText(wwDBLookupComboList->currentText());
    m_listChosen = row >= 0;
    if (row >= 0) {
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

// Choosing a service, an item or a quantity selects "Selected …"; a lookup
// emptied (or a quantity set to 0) by a refill from another list means "none"
// and leaves the radio group as the list's defaults set it.
void TFormListFulfillmentOptions::wwDBLookupComboServiceClick()
{
    if (wwDBLookupComboService->currentIndex() >= 0)
        RzRadioGroupService->setItemIndex(kv::FulfilmentOptions::SelectedService);
    EnableOKButton();
}

void TFormListFulfillmentOptions::wwDBSpinEditQuantityChange()
{
    if (wwDBSpinEditQuantity->value() > 0)
        RzRadioGroupItems->setItemIndex(kv::FulfilmentOptions::SelectedItem);
    EnableOKButton();
}

void TFormListFulfillmentOptions::wwDBLookupComboItemChange()
{
    if (wwDBLookupComboItem->currentIndex() >= 0) {
        RzRadioGroupItems->setItemIndex(kv::FulfilmentOptions::SelectedItem);
        if (wwDBSpinEditQuantity->value() == 0)
            wwDBSpinEditQuantity->setValue(1);
    }
    EnableOKButton();
}

void TFormListFulfillmentOptions::wwDBDateTimePickerDelivDtChange()
{
    EnableOKButton();
}

void TFormListFulfillmentOptions::EnableOKButton()
{
    const QDate date = wwDBDateTimePickerDelivDt->date();
    const bool listAndDate = !wwDBLookupComboList->currentText().isEmpty() && m_listChosen && date.isValid() && date > kEarliestDate;
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
