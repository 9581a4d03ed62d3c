#include "members/ui/form_hide_delivery_days.h"

#include "shell/ui/translate.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

const QString TFormHideDeliveryDays::kCaption = QStringLiteral(QT_TRANSLATE_NOOP("TFormHideDeliveryDays", "Select days to hide"));
const QString TFormHideDeliveryDays::kPrompt = QStringLiteral(
    QT_TRANSLATE_NOOP("TFormHideDeliveryDays", "Hide any list members who have the following delivery days checked:"));
const QString TFormHideDeliveryDays::kGroupCaption =
    QStringLiteral(QT_TRANSLATE_NOOP("TFormHideDeliveryDays", "Client Delivery Days"));

struct TFormHideDeliveryDays::Controls
{
    QLabel *LabelPrompt = nullptr;
    QGroupBox *RzGroupBoxDeliveryDays = nullptr;
    QListWidget *RzCheckListDeliveryDays = nullptr;
    QPushButton *BitBtnOK = nullptr;
    QPushButton *BitBtnCancel = nullptr;
};

TFormHideDeliveryDays::TFormHideDeliveryDays(QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<Controls>())
{
    setObjectName(QStringLiteral("TFormHideDeliveryDays"));
    setWindowTitle(tr(qUtf8Printable(kCaption)));
    d->LabelPrompt = new QLabel(tr(qUtf8Printable(kPrompt)), this);
    d->LabelPrompt->setObjectName(QStringLiteral("LabelPrompt"));
    d->LabelPrompt->setWordWrap(true);
    d->RzGroupBoxDeliveryDays = new QGroupBox(tr(qUtf8Printable(kGroupCaption)), this);
    d->RzGroupBoxDeliveryDays->setObjectName(QStringLiteral("RzGroupBoxDeliveryDays"));
    d->RzCheckListDeliveryDays = new QListWidget(d->RzGroupBoxDeliveryDays);
    d->RzCheckListDeliveryDays->setObjectName(QStringLiteral("RzCheckListDeliveryDays"));
    for (const QString &day : kv::Visibility::kDayNames) {
        auto *item = new QListWidgetItem(kv::shown("Visibility", day), d->RzCheckListDeliveryDays);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    (new QVBoxLayout(d->RzGroupBoxDeliveryDays))->addWidget(d->RzCheckListDeliveryDays);

    d->BitBtnOK = new QPushButton(tr("OK"), this);
    d->BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    d->BitBtnOK->setEnabled(false);
    d->BitBtnCancel = new QPushButton(tr("Cancel"), this);
    d->BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    connect(d->BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(d->BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(d->RzCheckListDeliveryDays, &QListWidget::itemChanged, this,
            &TFormHideDeliveryDays::RzCheckListDeliveryDaysChange);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(d->LabelPrompt);
    layout->addWidget(d->RzGroupBoxDeliveryDays);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(d->BitBtnOK);
    buttons->addWidget(d->BitBtnCancel);
    layout->addLayout(buttons);
    resize(320, 300);
    // The list of days is spoken with its group's title.
    d->RzCheckListDeliveryDays->setAccessibleName(d->RzGroupBoxDeliveryDays->title());
}

TFormHideDeliveryDays::~TFormHideDeliveryDays() = default;

kv::Visibility::Days TFormHideDeliveryDays::checkedDays() const
{
    kv::Visibility::Days days{};
    for (int i = 0; i < d->RzCheckListDeliveryDays->count() && i < 7; ++i)
        days[size_t(i)] = d->RzCheckListDeliveryDays->item(i)->checkState() == Qt::Checked;
    return days;
}

void TFormHideDeliveryDays::setDayChecked(int day, bool checked)
{
    if (QListWidgetItem *item = d->RzCheckListDeliveryDays->item(day))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void TFormHideDeliveryDays::RzCheckListDeliveryDaysChange()
{
    bool any = false;
    for (bool d : checkedDays())
        any = any || d;
    d->BitBtnOK->setEnabled(any);
}

void TFormHideDeliveryDays::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        if (QScreen *s = screen())
            move(s->availableGeometry().center() - rect().center());
}
