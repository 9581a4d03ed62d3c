#pragma once

#include "lists/fulfil_list.h"
#include "shell/ui/date_field.h"
#include "shell/ui/radio_group.h"

#include <QDate>
#include <QDialog>
#include <QStringList>
#include <memory>

class TDataModuleLists;

// The delivery date: starts empty and shows a date understood as
// "dddd mmm d, yyyy"; typed two-digit years fall in 1950 to 2049.
class TDeliveryDateEdit : public kv::DateField
{
    Q_OBJECT
public:
    static const QString kDisplayFormat; // "dddd MMM d, yyyy"
    explicit TDeliveryDateEdit(QWidget *parent = nullptr);
};

// The options of one fulfilment: the list, the delivery date, the active-only
// box, which confirmed state qualifies, the service and the items. It runs no
// statement that changes the database.
class TFormListFulfillmentOptions : public QDialog
{
    Q_OBJECT
public:
    static const QDate kEarliestDate; // 1 January 1900: a date must be later
    static const int kQuantityMaximum; // what the user can type; a stored larger figure widens it
    static constexpr int kDesignWidth = 417;
    static constexpr int kDesignHeight = 524;

    // prompts shows what a handler of the dialog fails with.
    TFormListFulfillmentOptions(TDataModuleLists &dm, kv::Prompts &prompts, QWidget *owner = nullptr);
    ~TFormListFulfillmentOptions() override;

    // Chooses the list of that name in the lookup (the row QueryListLookup stands
    // on when it has that name, as two lists may share one) and fills the
    // dialog from its defaults; a name that is no list leaves the lookup empty.
    void setListText(const QString &listName);
    QString listText() const;
    // The list chosen in the lookup (its Record_ID), or 0 when none is.
    int chosenListId() const;

    // The options as they stand (read by the fulfilment after OK).
    kv::FulfilmentOptions options() const;

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
    void fillFromChosenList();
    void selectService(int serviceId, const QString &name);
    void selectItem(int itemId, const QString &name);
    void attachServiceLookup();
    void detachServiceLookup();
    void attachItemHandlers();
    void detachItemHandlers();
    // Selects the item, or none for -1.
    static void selectIndex(kv::RadioGroup *group, int index);

    struct Private;
    std::unique_ptr<Private> d;
    TDataModuleLists &m_dm;
    kv::Prompts &m_prompts;
    std::unique_ptr<kv::FulfilmentNameLookups> m_names;
    QMetaObject::Connection m_serviceLookupChange;
    QMetaObject::Connection m_itemLookupChange;
    QMetaObject::Connection m_quantityChange;
    bool m_listChosen = false;
    bool m_filling = false;
};

// Set while a fulfilment shows its dialog.
extern TFormListFulfillmentOptions *FormListFulfillmentOptions;
