#include "members/ui/form_get_quantity.h"

#include "members/quantities.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

const QString TFormGetQuantity::kCaption = QStringLiteral(QT_TRANSLATE_NOOP("TFormGetQuantity", "Selected List Members Quantity"));
const QString TFormGetQuantity::kGroupCaption =
    QStringLiteral(QT_TRANSLATE_NOOP("TFormGetQuantity", "Set the Quantity of the selected records to:"));

struct TFormGetQuantity::Controls
{
    QGroupBox *GroupBoxQuantity = nullptr;
    QSpinBox *wwDBSpinEditQuantity = nullptr;
    QPushButton *BitBtnOK = nullptr;
    QPushButton *BitBtnCancel = nullptr;
};

TFormGetQuantity::TFormGetQuantity(QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<Controls>())
{
    setObjectName(QStringLiteral("TFormGetQuantity"));
    setWindowTitle(tr(qUtf8Printable(kCaption)));
    d->GroupBoxQuantity = new QGroupBox(tr(qUtf8Printable(kGroupCaption)), this);
    d->GroupBoxQuantity->setObjectName(QStringLiteral("GroupBoxQuantity"));
    d->wwDBSpinEditQuantity = new QSpinBox(d->GroupBoxQuantity);
    d->wwDBSpinEditQuantity->setObjectName(QStringLiteral("wwDBSpinEditQuantity"));
    d->wwDBSpinEditQuantity->setRange(kv::Quantities::kMinimum, kv::Quantities::kMaximum);
    d->wwDBSpinEditQuantity->setSingleStep(1);
    d->wwDBSpinEditQuantity->setValue(1);
    (new QVBoxLayout(d->GroupBoxQuantity))->addWidget(d->wwDBSpinEditQuantity);

    d->BitBtnOK = new QPushButton(tr("OK"), this);
    d->BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    d->BitBtnOK->setDefault(true);
    d->BitBtnCancel = new QPushButton(tr("Cancel"), this);
    d->BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));
    connect(d->BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(d->BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(d->GroupBoxQuantity);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(d->BitBtnOK);
    buttons->addWidget(d->BitBtnCancel);
    layout->addLayout(buttons);
}

TFormGetQuantity::~TFormGetQuantity() = default;

double TFormGetQuantity::quantity() const
{
    return d->wwDBSpinEditQuantity->value();
}

void TFormGetQuantity::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous()) {
        d->wwDBSpinEditQuantity->setValue(1);
        if (QScreen *s = screen())
            move(s->availableGeometry().center() - rect().center());
        d->wwDBSpinEditQuantity->setFocus();
        d->wwDBSpinEditQuantity->selectAll();
    }
}
