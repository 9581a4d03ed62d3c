#include "members/ui/form_get_quantity.h"

#include "members/quantities.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

const QString TFormGetQuantity::kCaption = QStringLiteral("Selected List Members Quantity");
const QString TFormGetQuantity::kGroupCaption = QStringLiteral("Set the Quantity of the selected records to:");

TFormGetQuantity::TFormGetQuantity(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TFormGetQuantity"));
    setWindowTitle(kCaption);
    GroupBoxQuantity = new QGroupBox(kGroupCaption, this);
    GroupBoxQuantity->setObjectName(QStringLiteral("GroupBoxQuantity"));
    wwDBSpinEditQuantity = new QSpinBox(GroupBoxQuantity);
    wwDBSpinEditQuantity->setObjectName(QStringLiteral("wwDBSpinEditQuantity"));
    wwDBSpinEditQuantity->setRange(kv::Quantities::kMinimum, kv::Quantities::kMaximum);
    wwDBSpinEditQuantity->setSingleStep(1);
    wwDBSpinEditQuantity->setValue(1);
    (new QVBoxLayout(GroupBoxQuantity))->addWidget(wwDBSpinEditQuantity);

    BitBtnOK = new QPushButton(QStringLiteral("OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);
    BitBtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(GroupBoxQuantity);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);
    layout->addLayout(buttons);
}

double TFormGetQuantity::quantity() const
{
    return wwDBSpinEditQuantity->value();
}

void TFormGetQuantity::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous()) {
        wwDBSpinEditQuantity->setValue(1);
        if (QScreen *s = screen())
            move(s->availableGeometry().center() - rect().center());
        wwDBSpinEditQuantity->setFocus();
        wwDBSpinEditQuantity->selectAll();
    }
}
