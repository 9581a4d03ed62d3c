#include "member_ops_fixture.h"

#include "data/engine/query.h"
#include "members/add_members.h"
#include "members/ui/flag_check_box.h"
#include "members/ui/form_add_list_members.h"
#include "members/ui/form_client_lookup.h"
#include "members/ui/form_get_quantity.h"
#include "members/ui/form_hide_delivery_days.h"
#include "shell/ui/radio_group.h"
#include "support/find_widget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using kv::AddMembersChoice;

namespace {

class MemberOpsAddDialogTest : public MemberOpsTest
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 456}, {QStringLiteral("Service_Desc"), QStringLiteral("Soup")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        tdb->insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), 9}, {QStringLiteral("Service_Desc"), QStringLiteral("Bread")},
                                                 {QStringLiteral("Service_Type"), QStringLiteral("D")}});
        tdb->addClient(1, {{QStringLiteral("Last_Name"), QStringLiteral("Zed")}, {QStringLiteral("Status"), QStringLiteral("I")}});
        tdb->addClient(2, {{QStringLiteral("Last_Name"), QStringLiteral("Abel")}, {QStringLiteral("Status"), QStringLiteral("W")}});
        connect();
        dm->QueryClientLookUp->close();
        dm->QueryClientLookUp->open();
        dlg = std::make_unique<TFormAddListMembers>(*dm->QueryServices, *dm->QueryClientLookUp);
        dlg->show();
    }

    // One of the dialog's controls, by its object name.
    template<class T>
    T *control(const QString &name) const
    {
        return kv::test::need<T>(dlg.get(), name);
    }

    std::unique_ptr<TFormAddListMembers> dlg;
};

TEST_P(MemberOpsAddDialogTest, DesignDefaultsAndServiceEntries)
{
    const AddMembersChoice c = dlg->choice();
    EXPECT_EQ(c.method, AddMembersChoice::ByStatus);
    EXPECT_EQ(c.statusIndex, 3);
    EXPECT_EQ(c.deliveryType, AddMembersChoice::AllDeliveryTypes);
    EXPECT_FALSE(c.flags.invited);
    EXPECT_EQ(c.flags.confirmed, Qt::PartiallyChecked);
    EXPECT_EQ(control<QCheckBox>(QStringLiteral("RzCheckBoxConfirmedState"))->text(), QStringLiteral("Unknown"));
    ASSERT_EQ(control<QComboBox>(QStringLiteral("RzComboBoxService"))->count(), 2);
    EXPECT_EQ(control<QComboBox>(QStringLiteral("RzComboBoxService"))->itemText(0), QStringLiteral("Bread   [9]"));
    EXPECT_EQ(control<QComboBox>(QStringLiteral("RzComboBoxService"))->itemText(1), QStringLiteral("Soup   [456]"));
    EXPECT_EQ(control<QComboBox>(QStringLiteral("RzComboBoxService"))->currentIndex(), -1);
}

TEST_P(MemberOpsAddDialogTest, ChoosingAServiceSwitchesMethodAndClearsTheStatus)
{
    control<QComboBox>(QStringLiteral("RzComboBoxService"))->setCurrentIndex(1);
    Q_EMIT control<QComboBox>(QStringLiteral("RzComboBoxService"))->activated(1);
    AddMembersChoice c = dlg->choice();
    EXPECT_EQ(c.method, AddMembersChoice::ByService);
    EXPECT_EQ(c.serviceId, 456);
    EXPECT_EQ(c.statusIndex, -1);

    // Back to the status method: no status is chosen any more.
    control<kv::RadioGroup>(QStringLiteral("RzRadioGroupSelection"))->item(0)->click();
    c = dlg->choice();
    EXPECT_EQ(c.method, AddMembersChoice::ByStatus);
    EXPECT_EQ(c.statusIndex, -1);
    EXPECT_FALSE(c.serviceId.has_value());
}

TEST_P(MemberOpsAddDialogTest, SingleClientUsesDisabledFlagBoxesAndTheLookupRow)
{
    control<QCheckBox>(QStringLiteral("RzCheckBoxInvitedState"))->click();
    control<QCheckBox>(QStringLiteral("RzCheckBoxConfirmedState"))->click();
    control<QCheckBox>(QStringLiteral("RzCheckBoxConfirmedState"))->click();
    EXPECT_EQ(control<QCheckBox>(QStringLiteral("RzCheckBoxInvitedState"))->text(), QStringLiteral("Checked"));
    EXPECT_EQ(control<QCheckBox>(QStringLiteral("RzCheckBoxConfirmedState"))->text(), QStringLiteral("Unchecked"));

    control<kv::RadioGroup>(QStringLiteral("RzRadioGroupSelection"))->item(2)->click();
    EXPECT_FALSE(control<QGroupBox>(QStringLiteral("RzGroupBoxInvitedState"))->isEnabled());
    EXPECT_FALSE(control<QGroupBox>(QStringLiteral("RzGroupBoxConfirmedState"))->isEnabled());
    EXPECT_FALSE(control<kv::RadioGroup>(QStringLiteral("RzRadioGroupDeliveryType"))->isEnabled());
    EXPECT_EQ(control<QComboBox>(QStringLiteral("RzComboBoxStatus"))->currentIndex(), -1);

    // Without a pick no client is chosen, though the lookup has a current row.
    kv::AddMembers op(db(), prompts, progress);
    EXPECT_FALSE(dlg->choice().personId.isValid());
    EXPECT_THROW(op.run(listId, dlg->choice()), kv::Error);
    // Picked, the lookup shows the client and its row is the one added.
    control<kv::ClientLookupCombo>(QStringLiteral("wwDBLookupComboDlgClientLookUp"))->setText(QStringLiteral("picked"));
    const AddMembersChoice c = dlg->choice();
    EXPECT_EQ(c.personId.toInt(), 2);
    EXPECT_EQ(c.clientId, QStringLiteral("C00002"));
    EXPECT_TRUE(c.flags.invited);
    EXPECT_EQ(c.flags.confirmed, Qt::Unchecked);

    EXPECT_EQ(op.run(listId, c).added, 1);
    const QVariantMap m = member(listId, 2);
    EXPECT_EQ(m.value(QStringLiteral("invited")).toString(), QStringLiteral("Y"));
    EXPECT_EQ(m.value(QStringLiteral("confirmed")).toString(), QStringLiteral("N"));

    control<kv::RadioGroup>(QStringLiteral("RzRadioGroupSelection"))->item(0)->click();
    EXPECT_TRUE(control<QGroupBox>(QStringLiteral("RzGroupBoxInvitedState"))->isEnabled());
}

KV_MEMBER_OPS_BACKENDS(MemberOpsAddDialogTest);

TEST(MemberOpsSmallDialogs, QuantityOpensWithOneEveryTime)
{
    for (int round = 0; round < 2; ++round) {
        TFormGetQuantity dlg;
        dlg.show();
        EXPECT_EQ(dlg.quantity(), 1.0);
        EXPECT_EQ(kv::test::need<QSpinBox>(&dlg, QStringLiteral("wwDBSpinEditQuantity"))->minimum(), 0);
        EXPECT_EQ(kv::test::need<QSpinBox>(&dlg, QStringLiteral("wwDBSpinEditQuantity"))->maximum(), 999);
        kv::test::need<QSpinBox>(&dlg, QStringLiteral("wwDBSpinEditQuantity"))->setValue(1200);
        EXPECT_EQ(dlg.quantity(), 999.0);
    }
}

TEST(MemberOpsSmallDialogs, DaysOkOnlyWhileADayIsChecked)
{
    TFormHideDeliveryDays dlg;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Select days to hide"));
    ASSERT_EQ(kv::test::need<QListWidget>(&dlg, QStringLiteral("RzCheckListDeliveryDays"))->count(), 7);
    EXPECT_FALSE(kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnOK"))->isEnabled());
    dlg.setDayChecked(2, true);
    EXPECT_TRUE(kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnOK"))->isEnabled());
    dlg.setDayChecked(6, true);
    dlg.setDayChecked(2, false);
    EXPECT_TRUE(kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnOK"))->isEnabled());
    EXPECT_TRUE(dlg.checkedDays()[6]);
    dlg.setDayChecked(6, false);
    EXPECT_FALSE(kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnOK"))->isEnabled())
        << "disabled again when the last mark goes";
}

} // namespace
