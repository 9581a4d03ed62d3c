#include "members/ui/form_add_list_members.h"

#include "data/engine/query.h"
#include "members/ui/flag_check_box.h"
#include "members/ui/form_client_lookup.h"
#include "shell/ui/radio_group.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

TFormAddListMembers *FormAddListMembers = nullptr;

const QString TFormAddListMembers::kCaption = QStringLiteral("Add List Members");
const QStringList TFormAddListMembers::kStatusItems = {
    QStringLiteral("No Status"), QStringLiteral("Never Started"), QStringLiteral("Wait Listed"),
    QStringLiteral("Active"),    QStringLiteral("Stopped"),       QStringLiteral("Inactive"),
};
const QStringList TFormAddListMembers::kSelectionItems = {
    QStringLiteral("All clients with the status of:"),
    QStringLiteral("All clients on selected &service:"),
    QStringLiteral("A selected &client:"),
};
const QStringList TFormAddListMembers::kDeliveryTypeItems = {
    QStringLiteral("All &delivery types"),
    QStringLiteral("&Ongoing deliveries only"),
    QStringLiteral("&Episodic deliveries only"),
};

TFormAddListMembers::TFormAddListMembers(kv::Query &services, kv::Query &clients, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_clients(clients)
{
    setObjectName(QStringLiteral("TFormAddListMembers"));
    setWindowTitle(kCaption);

    RzRadioGroupSelection = new kv::RadioGroup(QStringLiteral("Select an addition method"), kSelectionItems, this);
    RzRadioGroupSelection->setObjectName(QStringLiteral("RzRadioGroupSelection"));

    RzComboBoxStatus = new QComboBox(this);
    RzComboBoxStatus->setObjectName(QStringLiteral("RzComboBoxStatus"));
    RzComboBoxStatus->addItems(kStatusItems);
    RzComboBoxStatus->setCurrentIndex(3);

    RzComboBoxService = new QComboBox(this);
    RzComboBoxService->setObjectName(QStringLiteral("RzComboBoxService"));
    RzComboBoxService->setMinimumContentsLength(30);

    wwDBLookupComboDlgClientLookUp = new kv::ClientLookupCombo(clients, this);
    wwDBLookupComboDlgClientLookUp->setObjectName(QStringLiteral("wwDBLookupComboDlgClientLookUp"));

    RzRadioGroupSelection->setItemWidget(0, RzComboBoxStatus);
    RzRadioGroupSelection->setItemWidget(1, RzComboBoxService);
    RzRadioGroupSelection->setItemWidget(2, wwDBLookupComboDlgClientLookUp);
    RzRadioGroupSelection->setItemIndex(0);

    RzRadioGroupDeliveryType =
        new kv::RadioGroup(QStringLiteral("Select the clients' DeliveryType"), kDeliveryTypeItems, this);
    RzRadioGroupDeliveryType->setObjectName(QStringLiteral("RzRadioGroupDeliveryType"));
    RzRadioGroupDeliveryType->setItemIndex(0);

    RzGroupBoxInvitedState = new QGroupBox(QStringLiteral("Invited checkbox should be populated with"), this);
    RzGroupBoxInvitedState->setObjectName(QStringLiteral("RzGroupBoxInvitedState"));
    RzCheckBoxInvitedState = new QCheckBox(kv::flagCaption(Qt::Unchecked), RzGroupBoxInvitedState);
    RzCheckBoxInvitedState->setObjectName(QStringLiteral("RzCheckBoxInvitedState"));
    (new QVBoxLayout(RzGroupBoxInvitedState))->addWidget(RzCheckBoxInvitedState);

    RzGroupBoxConfirmedState = new QGroupBox(QStringLiteral("Confirmed checkbox should be populated with"), this);
    RzGroupBoxConfirmedState->setObjectName(QStringLiteral("RzGroupBoxConfirmedState"));
    RzCheckBoxConfirmedState = new kv::ConfirmedCheckBox(kv::flagCaption(Qt::PartiallyChecked), RzGroupBoxConfirmedState);
    RzCheckBoxConfirmedState->setObjectName(QStringLiteral("RzCheckBoxConfirmedState"));
    (new QVBoxLayout(RzGroupBoxConfirmedState))->addWidget(RzCheckBoxConfirmedState);

    BitBtnOK = new QPushButton(QStringLiteral("OK"), this);
    BitBtnOK->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK->setDefault(true);
    BitBtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtnCancel->setObjectName(QStringLiteral("BitBtnCancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(RzRadioGroupSelection);
    layout->addWidget(RzRadioGroupDeliveryType);
    auto *flags = new QHBoxLayout;
    flags->addWidget(RzGroupBoxInvitedState);
    flags->addWidget(RzGroupBoxConfirmedState);
    layout->addLayout(flags);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BitBtnOK);
    buttons->addWidget(BitBtnCancel);
    layout->addLayout(buttons);

    connect(BitBtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(RzRadioGroupSelection, &kv::RadioGroup::changed, this, &TFormAddListMembers::RzRadioGroupSelectionClick);
    connect(RzCheckBoxInvitedState, &QCheckBox::clicked, this, &TFormAddListMembers::RzCheckBoxInvitedStateClick);
    connect(RzCheckBoxConfirmedState, &QCheckBox::clicked, this, &TFormAddListMembers::RzCheckBoxConfirmedStateClick);
    attachChangeHandlers(true);
}

void TFormAddListMembers::attachChangeHandlers(bool attach)
{
    if (attach) {
        connect(RzComboBoxStatus, &QComboBox::activated, this, &TFormAddListMembers::RzComboBoxStatusChange);
        connect(RzComboBoxService, &QComboBox::activated, this, &TFormAddListMembers::RzComboBoxServiceChange);
        connect(wwDBLookupComboDlgClientLookUp, &kv::ClientLookupCombo::changed, this,
                &TFormAddListMembers::wwDBLookupComboDlgClientLookUpChange);
    } else {
        disconnect(RzComboBoxStatus, &QComboBox::activated, this, &TFormAddListMembers::RzComboBoxStatusChange);
        disconnect(RzComboBoxService, &QComboBox::activated, this, &TFormAddListMembers::RzComboBoxServiceChange);
        disconnect(wwDBLookupComboDlgClientLookUp, &kv::ClientLookupCombo::changed, this,
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
    const QSignalBlocker block(RzComboBoxService);
    RzComboBoxService->clear();
    if (m_services.isOpen()) {
        for (int r = 0; r < m_services.recordCount(); ++r) {
            const QVariant id = m_services.valueAt(r, m_services.fieldIndex(QStringLiteral("Service_ID")));
            const QString desc =
                m_services.valueAt(r, m_services.fieldIndex(QStringLiteral("Service_Desc"))).toString();
            RzComboBoxService->addItem(kv::AddMembers::serviceEntry(desc, id), id);
        }
    }
    RzComboBoxService->setCurrentIndex(-1);
}

void TFormAddListMembers::FormHide()
{
}

void TFormAddListMembers::RzRadioGroupSelectionClick()
{
    attachChangeHandlers(false);
    const int method = RzRadioGroupSelection->itemIndex();
    const bool groups = method != kv::AddMembersChoice::SingleClient;
    switch (method) {
    case kv::AddMembersChoice::ByStatus:
        RzComboBoxService->setCurrentIndex(-1);
        wwDBLookupComboDlgClientLookUp->clear();
        break;
    case kv::AddMembersChoice::ByService:
        RzComboBoxStatus->setCurrentIndex(-1);
        wwDBLookupComboDlgClientLookUp->clear();
        break;
    case kv::AddMembersChoice::SingleClient:
        RzComboBoxStatus->setCurrentIndex(-1);
        RzComboBoxService->setCurrentIndex(-1);
        break;
    default:
        break;
    }
    attachChangeHandlers(true);
    // A disabled group keeps its state: the boxes still supply the flags.
    RzRadioGroupDeliveryType->setEnabled(groups);
    RzGroupBoxInvitedState->setEnabled(groups);
    RzGroupBoxConfirmedState->setEnabled(groups);
}

void TFormAddListMembers::RzComboBoxStatusChange()
{
    RzRadioGroupSelection->setItemIndex(kv::AddMembersChoice::ByStatus);
}

void TFormAddListMembers::RzComboBoxServiceChange()
{
    RzRadioGroupSelection->setItemIndex(kv::AddMembersChoice::ByService);
}

void TFormAddListMembers::wwDBLookupComboDlgClientLookUpChange()
{
    RzRadioGroupSelection->setItemIndex(kv::AddMembersChoice::SingleClient);
}

void TFormAddListMembers::RzCheckBoxInvitedStateClick()
{
    RzCheckBoxInvitedState->setText(kv::flagCaption(RzCheckBoxInvitedState->checkState()));
}

void TFormAddListMembers::RzCheckBoxConfirmedStateClick()
{
    RzCheckBoxConfirmedState->setText(kv::flagCaption(RzCheckBoxConfirmedState->checkState()));
}

kv::AddMembersChoice TFormAddListMembers::choice() const
{
    kv::AddMembersChoice c;
    c.method = RzRadioGroupSelection->itemIndex();
    c.statusIndex = RzComboBoxStatus->currentIndex();
    if (RzComboBoxService->currentIndex() >= 0) {
        const QVariant id = RzComboBoxService->currentData();
        if (id.isValid() && !id.isNull())
            c.serviceId = id.toInt();
        else
            c.serviceId = kv::AddMembers::serviceIdFromEntry(RzComboBoxService->currentText());
    }
    c.deliveryType = qMax(0, RzRadioGroupDeliveryType->itemIndex());
    c.flags.invited = RzCheckBoxInvitedState->isChecked();
    c.flags.confirmed = RzCheckBoxConfirmedState->checkState();
    if (c.method == kv::AddMembersChoice::SingleClient && m_clients.isOpen() && m_clients.recNo() >= 0) {
        c.personId = m_clients.fieldValue(QStringLiteral("Person_ID"));
        c.clientId = m_clients.fieldValue(QStringLiteral("Client_ID")).toString();
    }
    return c;
}
