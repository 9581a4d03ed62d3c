#pragma once

#include "members/add_members.h"

#include <QDialog>

#include <memory>

namespace kv {
class Query;
} // namespace kv

// "Add List Members": how clients are chosen (status, delivery service or one
// client), which delivery types, and the flags the new members start with.
// Created for one run of the add operation; keeps nothing between runs.
class TFormAddListMembers : public QDialog
{
    Q_OBJECT
public:
    static const QString kCaption;
    static const QStringList kStatusItems;
    static const QStringList kSelectionItems;
    static const QStringList kDeliveryTypeItems;

    // services: the data module's open list of delivery services; clients:
    // its client lookup, whose current row is the single client's.
    TFormAddListMembers(kv::Query &services, kv::Query &clients, QWidget *parent = nullptr);
    ~TFormAddListMembers() override;

    // The choices as the operation needs them (single client: the lookup's current row).
    kv::AddMembersChoice choice() const;

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    void FormShow();
    void FormHide();
    void RzRadioGroupSelectionClick();
    void RzComboBoxStatusChange();
    void RzComboBoxServiceChange();
    void wwDBLookupComboDlgClientLookUpChange();
    void RzCheckBoxInvitedStateClick();
    void RzCheckBoxConfirmedStateClick();
    void attachChangeHandlers(bool attach);

    struct Controls;
    std::unique_ptr<Controls> d;
    kv::Query &m_services;
    kv::Query &m_clients;
    bool m_handlersAttached = true;
};

// Set while the dialog exists.
extern TFormAddListMembers *FormAddListMembers;
