#include "members/ui/form_add_list_members.h"

#include "data/engine/query.h"
#include "members/ui/flag_check_box.h"
#include "members/ui/form_client_lookup.h"
#include "shell/ui/form_placement.h"
#include "shell/ui/radio_group.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

TFormAddListMembers *FormAddListMembers = nullptr;

#define KV_TR(text) QStringLiteral(QT_TRANSLATE_NOOP("TFormAddListMembers", text))
const QString TFormAddListMembers::kCaption = KV_TR("Add List Members");
const QStringList TFormAddListMembers::kStatusItems = {
    KV_TR("No Status"), KV_TR("Never Started"), KV_TR("Wait Listed"),
    KV_TR("Active"),    KV_TR("Stopped"),       KV_TR("Inactive"),
};
const QStringList TFormAddListMembers::kSelectionItems = {
    KV_TR("All clients with the status of:"),
    KV_TR("All clients on selected &service:"),
    KV_TR("A selected &client:"),
};
const QStringList TFormAddListMembers::kDeliveryTypeItems = {
    KV_TR("All &delivery types"),
    KV_TR("&Ongoing deliveries only"),
    KV_TR("&Episodic deliveries only"),
};
#undef KV_TR

namespace {

QStringList translated(const QStringList &sources)
{
    QStringList out;
    for (const QString &s : sources)
        out << TFormAddListMembers::tr(qUtf8Printable(s));
    return out;
}

} // namespace

struct TFormAddListMembers::Controls
{
    kv::RadioGroup *RzRadioGroupSelection = nullptr;
    QComboBox *RzComboBoxStatus = nullptr;
    QComboBox *RzComboBoxService = nullptr;
    kv::ClientLookupCombo *wwDBLookupComboDlgClientLookUp = nullptr;
    kv::RadioGroup *RzRadioGroupDeliveryType = nullptr;
    QGroupBox *RzGroupBoxInvitedState = nullptr;
    QCheckBox *RzCheckBoxInvitedState = nullptr;
    QGroupBox *RzGroupBoxConfirmedState = nullptr;
    kv::ConfirmedCheckBox *RzCheckBoxConfirmedState = nullptr;
    QPushButton *BitBtnOK = nullptr;
    QPushButton *BitBtnCancel = nullptr;
};

TFormAddListMembers::TFormAddListMembers(kv::Query &services, kv::Query &clients, QWidget *parent)
    : QDialog(parent)
    , d(std::make_unique<Controls>())
    , m_services(services)
    , m_clients(clients)
{
    setObjectName(QStringLiteral("TFormAddListMembers"));
    setWindowTitle(tr(qUtf8Printable(kCaption)));

    d->RzRadioGroupSelection = new kv::RadioGroup(tr("Select an addition method"), translated(kSelectionItems), this);
    d->RzRadioGroupSelection->setObjectName(QStringLiteral("RzRadioGroupSelection"));

    d->RzComboBoxStatus = new QComboBox(this);
    d->RzComboBoxStatus->setObjectName(QStringLiteral("RzComboBoxStatus"));
    d->RzComboBoxStatus->addItems(translated(kStatusItems));
    d->RzComboBoxStatus->setCurrentIndex(3);

    d->RzComboBoxService = new QComboBox(this);
    d->RzComboBoxService->setObjectName(QStringLiteral("RzComboBoxService"));
    d->RzComboBoxService->setMinimumContentsLength(30);

    d->wwDBLookupComboDlgClientLookUp = new kv::ClientLookupCombo(clients, this);
    d->wwDBLookupComboDlgClientLookUp->setObjectName(QStringLiteral("wwDBLookupComboDlgClientLookUp"));

    d->RzRadioGroupSelection->setItemWidget(0, d->RzComboBoxStatus);
    d->RzRadioGroupSelection->setItemWidget(1, d->RzComboBoxService);
    d->RzRadioGroupSelection->setItemWidget(2, d->wwDBLookupComboDlgClientLookUp);
    d->RzRadioGroupSelection->setItemIndex(0);
    // The client box is spoken with the caption of its choice.
    d->wwDBLookupComboDlgClientLookUp->setSpokenName(d->RzRadioGroupSelection->item(kv::AddMembersChoice::SingleClient)->text());

    d->RzRadioGroupDeliveryType =
        new kv::RadioGroup(tr("Select the clients' DeliveryType"), translated(kDeliveryTypeItems), this);
    d->RzRadioGroupDeliveryType->setObjectName(QStringLiteral("RzRadioGroupDeliveryType"));
    d->RzRadioGroupDeliveryType->setItemIndex(0);

    d->RzGroupBoxInvitedState = new QGroupBox(tr("Invited checkbox should be populated with"), this);
    d->RzGroupBoxInvitedState->setObjectName(QStringLiteral("RzGroupBoxInvitedState"));
    d->RzCheckBoxInvitedState = new QCheckBox(kv::flagCaption(Qt::Unchecked), d->RzGroupBoxInvitedState);
    d->RzCheckBoxInvitedState->setObjectName(QStringLiteral("RzCheckBoxInvitedState"));
    (new QVBoxLayout(d->RzGroupBoxInvitedState))->addWidget(d->RzCheckBoxInvitedState);

    d->RzGroupBoxConfirmedState = new QGroupBox(tr("Confirmed checkbox should be populated with"), this);
    d->RzGroupBoxConfirmedState->setObjectName(QStringLiteral("RzGroupBoxConfirmedState"));
    d->RzCheckBoxConfirmedState = new kv::ConfirmedCheckBox(kv::flagCaption(Qt::PartiallyChecked), d->RzGroupBoxConfirmedState);
    d->RzCheckBoxConfirmedState->setObjectName(QStringLiteral("RzCheckBoxConfirmedState"));
    (new QVBoxLayout(d->RzGroupBoxConfirmedState))->addWidget(d->RzCheckBoxConfirmedState);

    d->BitBtnOK = new QPushButton(tr("OK"), this);
    d->BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    d->BitBtnOK->setDefault(true);
    d->BitBtnCancel = new QPushButton(tr("Cancel"), this);
    d->BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(d->RzRadioGroupSelection);
    layout->addWidget(d->RzRadioGroupDeliveryType);
    auto *flags = new QHBoxLayout;
    flags->addWidget(d->RzGroupBoxInvitedState);
    flags->addWidget(d->RzGroupBoxConfirmedState);
    layout->addLayout(flags);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(d->BitBtnOK);
    buttons->addWidget(d->BitBtnCancel);
    layout->addLayout(buttons);

    connect(d->BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(d->BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(d->RzRadioGroupSelection, &kv::RadioGroup::changed, this, &TFormAddListMembers::RzRadioGroupSelectionClick);
    connect(d->RzCheckBoxInvitedState, &QCheckBox::clicked, this, &TFormAddListMembers::RzCheckBoxInvitedStateClick);
    connect(d->RzCheckBoxConfirmedState, &QCheckBox::clicked, this, &TFormAddListMembers::RzCheckBoxConfirmedStateClick);
    attachChangeHandlers(true);
    kv::fitToScreen(this);
}

TFormAddListMembers::~TFormAddListMembers() = default;

void TFormAddListMembers::attachChangeHandlers(bool attach)
{
    if (attach) {
        connect(d->RzComboBoxStatus, &QComboBox::activated, this, &TFormAddListMembers::RzComboBoxStatusChange);
        connect(d->RzComboBoxService, &QComboBox::activated, this, &TFormAddListMembers::RzComboBoxServiceChange);
        connect(d->wwDBLookupComboDlgClientLookUp, &kv::ClientLookupCombo::changed, this,
                &TFormAddListMembers::wwDBLookupComboDlgClientLookUpChange);
    } else {
        disconnect(d->RzComboBoxStatus, &QComboBox::activated, this, &TFormAddListMembers::RzComboBoxStatusChange);
        disconnect(d->RzComboBoxService, &QComboBox::activated, this, &TFormAddListMembers::RzComboBoxServiceChange);
        disconnect(d->wwDBLookupComboDlgClientLookUp, &kv::ClientLookupCombo::changed, this,
                   &TFormAddListMembers::wwDBLookupComboDlgClientLookUpChange);
    }
    m_handlersAttached = attach;
}

void TFormAddListMembers::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TFormAddListMembers::hideEvent(QHideEvent *e)
{
    QDialog::hideEvent(e);
    FormHide();
}

void TFormAddListMembers::FormShow()
{
    // Centred on the desktop.
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    const QSignalBlocker block(d->RzComboBoxService);
    d->RzComboBoxService->clear();
    if (m_services.isOpen()) {
        for (int r = 0; r < m_services.recordCount(); ++r) {
            const QVariant id = m_services.valueAt(r, m_services.fieldIndex(QStringLiteral("Service_ID")));
            const QString desc =
                m_services.valueAt(r, m_services.fieldIndex(QStringLiteral("Service_Desc"))).toString();
            d->RzComboBoxService->addItem(kv::AddMembers::serviceEntry(desc, id), id);
        }
    }
    d->RzComboBoxService->setCurrentIndex(-1);
}

void TFormAddListMembers::FormHide()
{
}

void TFormAddListMembers::RzRadioGroupSelectionClick()
{
    attachChangeHandlers(false);
    const int method = d->RzRadioGroupSelection->itemIndex();
    const bool groups = method != kv::AddMembersChoice::SingleClient;
    switch (method) {
    case kv::AddMembersChoice::ByStatus:
        d->RzComboBoxService->setCurrentIndex(-1);
        d->wwDBLookupComboDlgClientLookUp->clear();
        break;
    case kv::AddMembersChoice::ByService:
        d->RzComboBoxStatus->setCurrentIndex(-1);
        d->wwDBLookupComboDlgClientLookUp->clear();
        break;
    case kv::AddMembersChoice::SingleClient:
        d->RzComboBoxStatus->setCurrentIndex(-1);
        d->RzComboBoxService->setCurrentIndex(-1);
        break;
    default:
        break;
    }
    attachChangeHandlers(true);
    // A disabled group keeps its state: the boxes still supply the flags.
    d->RzRadioGroupDeliveryType->setEnabled(groups);
    d->RzGroupBoxInvitedState->setEnabled(groups);
    d->RzGroupBoxConfirmedState->setEnabled(groups);
}

void TFormAddListMembers::RzComboBoxStatusChange()
{
    d->RzRadioGroupSelection->setItemIndex(kv::AddMembersChoice::ByStatus);
}

void TFormAddListMembers::RzComboBoxServiceChange()
{
    d->RzRadioGroupSelection->setItemIndex(kv::AddMembersChoice::ByService);
}

void TFormAddListMembers::wwDBLookupComboDlgClientLookUpChange()
{
    d->RzRadioGroupSelection->setItemIndex(kv::AddMembersChoice::SingleClient);
}

void TFormAddListMembers::RzCheckBoxInvitedStateClick()
{
    d->RzCheckBoxInvitedState->setText(kv::flagCaption(d->RzCheckBoxInvitedState->checkState()));
}

void TFormAddListMembers::RzCheckBoxConfirmedStateClick()
{
    d->RzCheckBoxConfirmedState->setText(kv::flagCaption(d->RzCheckBoxConfirmedState->checkState()));
}

kv::AddMembersChoice TFormAddListMembers::choice() const
{
    kv::AddMembersChoice c;
    c.method = d->RzRadioGroupSelection->itemIndex();
    c.statusIndex = d->RzComboBoxStatus->currentIndex();
    if (d->RzComboBoxService->currentIndex() >= 0) {
        const QVariant id = d->RzComboBoxService->currentData();
        if (id.isValid() && !id.isNull())
            c.serviceId = id.toInt();
        else
            c.serviceId = kv::AddMembers::serviceIdFromEntry(d->RzComboBoxService->currentText());
    }
    c.deliveryType = qMax(0, d->RzRadioGroupDeliveryType->itemIndex());
    c.flags.invited = d->RzCheckBoxInvitedState->isChecked();
    c.flags.confirmed = d->RzCheckBoxConfirmedState->checkState();
    // Only a client the user picked: the lookup's rows always have a current
    // one, which is no choice while the box is empty.
    if (c.method == kv::AddMembersChoice::SingleClient && !d->wwDBLookupComboDlgClientLookUp->text().isEmpty()
        && m_clients.isOpen() && m_clients.recNo() >= 0) {
        c.personId = m_clients.fieldValue(QStringLiteral("Person_ID"));
        c.clientId = m_clients.fieldValue(QStringLiteral("Client_ID")).toString();
    }
    return c;
}
