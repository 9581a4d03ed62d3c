#include "shell/ui/fulfilment_defaults_panel.h"

#include "lists/fulfil_list.h"
#include "shell/ui/lookup_combo.h"
#include "shell/ui/radio_group.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

namespace kv {

namespace {

QStringList letters(const QString &keys)
{
    QStringList codes;
    for (const QChar c : keys)
        codes << QString(c);
    return codes;
}

template<class T>
T *named(T *object, const QString &name)
{
    object->setObjectName(name);
    return object;
}

} // namespace

QStringList FulfilmentDefaultsPanel::confirmedCodes()
{
    return letters(ListDefaults::kConfirmedKeys);
}

QStringList FulfilmentDefaultsPanel::serviceCodes()
{
    return letters(ListDefaults::kServiceKeys);
}

QStringList FulfilmentDefaultsPanel::itemsCodes()
{
    return letters(ListDefaults::kItemsKeys);
}

FulfilmentDefaultsPanel::FulfilmentDefaultsPanel(const Options &o, QWidget *parent)
    : QWidget(parent)
{
    const Names &n = o.names;
    m_activeOnly = named(new QCheckBox(o.activeOnlyCaption, this), n.activeOnly);
    m_confirmed = named(new RadioGroup(tr("Confirmed Checkbox should be"),
                                       {tr("Checked"), tr("Unchecked"), tr("Unknown"), tr("Irrelevant")}, this),
                        n.confirmed);
    m_service = named(new RadioGroup(tr("Service to Use"), {tr("Client's Own Service"), tr("Selected Service:")}, this),
                      n.service);
    m_items = named(new RadioGroup(tr("Items to Deliver"), {tr("Defaults for the service to be used"), o.selectedItemCaption},
                                   this),
                    n.items);

    const QString serviceTitle = tr("Service");
    const QString itemTitle = tr("Item");
    auto *itemLine = new QWidget(m_items);
    auto lookup = [&](QWidget *parent, const QString &name, const QString &title) {
        QComboBox *combo = o.lookupWidthChars > 0 ? makeTitledLookup(parent, name, title, o.lookupWidthChars)
                                                  : named(new QComboBox(parent), name);
        combo->setAccessibleName(title);
        return combo;
    };
    m_serviceLookup = lookup(m_service, n.serviceLookup, serviceTitle);
    m_quantity = named(new QSpinBox(itemLine), n.quantity);
    m_itemLookup = lookup(itemLine, n.itemLookup, itemTitle);
    m_quantity->setAccessibleName(tr("Quantity"));
    m_quantity->setRange(0, o.quantityMaximum);
    m_quantity->setSingleStep(1);
    if (o.emptyNoQuantity)
        m_quantity->setSpecialValueText(QStringLiteral(" "));

    m_service->setItemWidget(1, m_serviceLookup);
    auto *il = new QHBoxLayout(itemLine);
    il->addWidget(m_quantity);
    il->addWidget(m_itemLookup, 1);

    if (o.shape == Shape::Grid) {
        il->setContentsMargins(0, 0, 0, 0);
        m_items->setItemWidget(1, itemLine);
        auto *grid = new QGridLayout(this);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->addWidget(m_activeOnly, 0, 0, 1, 2);
        grid->addWidget(m_confirmed, 1, 0, 2, 1);
        grid->addWidget(m_service, 1, 1);
        grid->addWidget(m_items, 2, 1);
        if (o.widenServiceColumn)
            grid->setColumnStretch(1, 1);
    } else {
        // The quantity and the item go on a line of their own under their
        // caption, so that no caption of the group is cut by them.
        const int indent = style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth)
            + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
        il->setContentsMargins(indent, 0, 0, 0);
        m_items->addWidgetBelow(itemLine);
        auto *column = new QVBoxLayout(this);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(4);
        for (QWidget *w : {static_cast<QWidget *>(m_activeOnly), static_cast<QWidget *>(m_confirmed),
                           static_cast<QWidget *>(m_service), static_cast<QWidget *>(m_items)})
            column->addWidget(w);
    }
}

} // namespace kv
