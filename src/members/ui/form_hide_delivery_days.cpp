#include "members/ui/form_hide_delivery_days.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

const QString TFormHideDeliveryDays::kCaption = QStringLiteral("Select days to hide");
const QString TFormHideDeliveryDays::kPrompt =
    QStringLiteral("Hide any list members who have the following delivery days checked:");
const QString TFormHideDeliveryDays::kGroupCaption = QStringLiteral("Client Delivery Days");

TFormHideDeliveryDays::TFormHideDeliveryDays(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TFormHideDeliveryDays"));
    setWindowTitle(kCaption);
    LabelPrompt = new QLabel(kPrompt, this);
    LabelPrompt->setObjectName(QStringLiteral("LabelPrompt"));
    LabelPrompt->setWordWrap(true);
    RzGroupBoxDeliveryDays = new QGroupBox(kGroupCaption, this);
    RzGroupBoxDeliveryDays->setObjectName(QStringLiteral("RzGroupBoxDeliveryDays"));
    RzCheckListDeliveryDays = new QListWidget(RzGroupBoxDeliveryDays);
    RzCheckListDeliveryDays->setObjectName(QStringLiteral("RzCheckListDeliveryDays"));
    for (const QString &day : kv::Visibility::kDayNames) {
        auto *item = new QListWidgetItem(day, RzCheckListDeliveryDays);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    (new QVBoxLayout(RzGroupBoxDeliveryDays))->addWidget(RzCheckListDeliveryDays);

    BitBtnOK = new QPushButton(QStringLiteral("OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setEnabled(false);
    BitBtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(RzCheckListDeliveryDays, &QListWidget::itemChanged, this,
            &TFormHideDeliveryDays::RzCheckListDeliveryDaysChange);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(LabelPrompt);
    layout->addWidget(RzGroupBoxDeliveryDays);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);
    layout->addLayout(buttons);
    resize(320, 300);
}

kv::Visibility::Days TFormHideDeliveryDays::checkedDays() const
{
    kv::Visibility::Days days{};
    for (int i = 0; i < RzCheckListDeliveryDays->count() && i < 7; ++i)
        days[size_t(i)] = RzCheckListDeliveryDays->item(i)->checkState() == Qt::Checked;
    return days;
}

void TFormHideDeliveryDays::setDayChecked(int day, bool checked)
{
    if (QListWidgetItem *item = RzCheckListDeliveryDays->item(day))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TFormHideDeliveryDays::RzCheckListDeliveryDaysChange()
{
    bool any = false;
    for (bool d : checkedDays())
        any = any || d;
    BitBtnOK->setEnabled(any);
}

void TFormHideDeliveryDays::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        if (QScreen *s = screen())
            move(s->availableGeometry().center() - rect().center());
}
