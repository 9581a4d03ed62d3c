#pragma once

#include "lists/fulfil_list.h"
#include "shell/ui/radio_group.h"

#include <QDate>
#include <QDialog>
#include <QStringList>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class TDataModuleLists;

// A date field that starts empty, shows a chosen date as "dddd mmm d, yyyy"
// and reads typed dates whose two-digit years fall in 1950 to 2049.
class TDeliveryDateEdit : public QWidget
{
    Q_OBJECT
public:
    static const QString kDisplayFormat; // "dddd MMM d, yyyy"

    explicit TDeliveryDateEdit(QWidget *parent = nullptr);

    QDate date() const { return m_date; }
    void setDate(const QDate &date);
    QLineEdit *lineEdit() const { return m_edit; }

    // The date a typed text stands for, or an invalid date.
    static QDate readTypedDate(const QString &text);
    // A year typed with one or two digits, read as 1950 to 2049.
    static int expandYear(int year, int digits);

Q_SIGNALS:
    void dateChanged(const QDate &date);

private:
    void textEdited(const QString &text);
    void editingFinished();
    void showCalendar();
    void changeDate(const QDate &date);

    QLineEdit *m_edit;
    QToolButton *m_calendarButton;
    QDate m_date;
};

// The options of one fulfilment: the list, the delivery date, the active-only
// box, which confirmed state qualifies, the service and the items. It runs no
// statement that changes the database.
class TFormListFulfillmentOptions : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption;
    static const QString kListGroupCaption;
    static const QString kDateLabel;
    static const QString kActiveCaption;
    static const QString kConfirmedCaption;
    static const QStringList kConfirmedItems;
    static const QString kServiceCaption;
    static const QStringList kServiceItems;
    static const QString kItemsCaption;
    static const QStringList kItemsItems;
    static const QString kServiceColumnTitle;
    static const QString kItemColumnTitle;
    static const QDate kEarliestDate; // 1 January 1900: a date must be later
    static const int kQuantityMaximum; // what the user can type; a stored larger figure widens it

    TFormListFulfillmentOptions(TDataModuleLists &dm, QWidget *owner = nullptr);
    ~TFormListFulfillmentOptions() override;

    // Sets the list lookup's text; a list of that name fills the dialog from its defaults.
    void setListText(const QString &listName);
    QString listText() const;
    // The list chosen in the lookup (its Record_ID), or 0 when none is.
    int chosenListId() const;

    // The options as they stand (read by the fulfilment after OK).
    kv::FulfilmentOptions options() const;

    QComboBox *wwDBLookupComboList;
    TDeliveryDateEdit *wwDBDateTimePickerDelivDt;
    QCheckBox *wwCheckBoxCurrentlyActive;
    kv::RadioGroup *RzRadioGroupConfirmedStatus;
    kv::RadioGroup *RzRadioGroupService;
    QComboBox *wwDBLookupComboService;
    kv::RadioGroup *RzRadioGroupItems;
    QSpinBox *wwDBSpinEditQuantity;
    QComboBox *wwDBLookupComboItem;
    QPushButton *BitBtnOK;
    QPushButton *BitBtnCancel;

    // Handlers
    void wwDBLookupComboListChange();
    void RzRadioGroupServiceClick();
    void RzRadioGroupItemsClick();
    void wwDBLookupComboServiceClick();
    void wwDBSpinEditQuantityChange();
    void wwDBLookupComboItemChange();
    void wwDBDateTimePickerDelivDtChange();
    void EnableOKButton();

private:
    void buildControls();
    void fillLookups();
    int listRowForText(const QString &text) const;
    void selectService(int serviceId, const QString &name);
    void selectItem(int itemId, const QString &name);
    void attachServiceLookup();
    void detachServiceLookup();
    void attachItemHandlers();
    void detachItemHandlers();
    // Selects the item, or none for -1.
    static void selectIndex(kv::RadioGroup *group, int index);

    TDataModuleLists &m_dm;
    std::unique_ptr<kv::FulfilmentNameLookups> m_names;
    QMetaObject::Connection m_serviceLookupChange;
    QMetaObject::Connection m_itemLookupChange;
    QMetaObject::Connection m_quantityChange;
    bool m_listChosen = false;
};

// Set while a fulfilment shows its dialog.
extern TFormListFulfillmentOptions *FormListFulfillmentOptions;
