#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QSpinBox;

namespace kv {

class RadioGroup;

// A list's fulfilment defaults as three windows show them (the lists window,
// the fulfilment options dialog and the copy dialog): the active-only box,
// which Confirmed state qualifies, the service and the items with their
// lookups and the quantity. Each window binds the controls its own way and
// keeps its own object names, given in Names.
class FulfilmentDefaultsPanel : public QWidget
{
    Q_OBJECT
public:
    // The codes each group stores, by item index, from the one table of
    // list defaults.
    static QStringList confirmedCodes();
    static QStringList serviceCodes();
    static QStringList itemsCodes();

    enum class Shape {
        Grid,   // the active-only box on top, Confirmed on the left, service and items on the right
        Column, // one group under the other, the quantity and item on a line under the items
    };

    struct Names
    {
        QString activeOnly, confirmed, service, serviceLookup, items, quantity, itemLookup;
    };

    struct Options
    {
        Shape shape = Shape::Grid;
        Names names;
        QString activeOnlyCaption;
        QString selectedItemCaption;
        int quantityMaximum = 99;
        // The position below 1 shows empty ("no quantity").
        bool emptyNoQuantity = true;
        // Lookups with a titled drop-down column of this width; 0: plain
        // boxes the window gives a model of its own.
        int lookupWidthChars = 0;
        // The width the dialogs give it (the fulfilment options, the copy dialog).
        static constexpr int kDialogLookupWidthChars = 40;
        // Grid shape: the service and items column takes the width to spare.
        bool widenServiceColumn = false;
    };

    explicit FulfilmentDefaultsPanel(const Options &options, QWidget *parent = nullptr);

    QCheckBox *activeOnly() const { return m_activeOnly; }
    RadioGroup *confirmed() const { return m_confirmed; }
    RadioGroup *service() const { return m_service; }
    QComboBox *serviceLookup() const { return m_serviceLookup; }
    RadioGroup *items() const { return m_items; }
    QSpinBox *quantity() const { return m_quantity; }
    QComboBox *itemLookup() const { return m_itemLookup; }

private:
    QCheckBox *m_activeOnly;
    RadioGroup *m_confirmed;
    RadioGroup *m_service;
    QComboBox *m_serviceLookup;
    RadioGroup *m_items;
    QSpinBox *m_quantity;
    QComboBox *m_itemLookup;
};

} // namespace kv
