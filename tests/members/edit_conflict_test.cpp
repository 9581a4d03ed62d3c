// Two users editing the same member or client: a save over a row another user
// changed since it was read is refused (nothing written, the other value
// intact, the member named), while changes to different columns both stand.

#include "member_ops_window_fixture.h"

#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "members/ui/form_client_editor.h"
#include "support/modal_driver.h"

#include <QLineEdit>

namespace {

using RS = kv::MemberRowSet;

class EditConflictTest : public MemberOpsWindowFixture
{
protected:
    void SetUp() override
    {
        MemberOpsTest::SetUp();
        if (IsSkipped())
            return;
        tdb->addClient(1, {{QStringLiteral("First_Name"), QStringLiteral("Ann")}, {QStringLiteral("Last_Name"), QStringLiteral("Smith")}});
        tdb->addClient(2, {{QStringLiteral("First_Name"), QStringLiteral("Bob")}, {QStringLiteral("Last_Name"), QStringLiteral("Jones")}});
        ann = tdb->addMember(listId, 1, {{QStringLiteral("Quantity"), 4}});
        bob = tdb->addMember(listId, 2, {{QStringLiteral("Quantity"), 1}});
    }

    void edit(int person, int field, const QVariant &value)
    {
        const auto marks = select({person});
        ASSERT_EQ(marks.size(), 1);
        ASSERT_TRUE(rows.gotoBookmark(marks.first()));
        rows.edit();
        rows.setFieldValue(field, value);
        rows.post();
    }

    // What another workstation writes, through its own connection.
    void otherUser(const QString &set, int member)
    {
        tdb->exec(QStringLiteral("Update List_Members set %1 where Record_ID = :R").arg(set), {{QStringLiteral("R"), member}});
    }

    QVariant stored(int member, const QString &column)
    {
        return tdb->exec(QStringLiteral("Select %1 from List_Members where Record_ID = :R").arg(column), {{QStringLiteral("R"), member}});
    }

    int ann = 0;
    int bob = 0;
};

TEST_P(EditConflictTest, ASaveOverAnotherUsersChangeIsRefusedAndTheKeptEditIsSavedOnlyWhenChosen)
{
    connect();
    load();
    edit(1, RS::Quantity, 5);
    edit(2, RS::Confirmed, QStringLiteral("Y"));
    otherUser(QStringLiteral("Quantity = 7"), ann);

    try {
        loadSave->saveChanges(rows);
        FAIL() << "the save overwrote another user's change";
    } catch (const kv::RolledBack &e) {
        ASSERT_NE(e.conflict(), nullptr);
        EXPECT_TRUE(e.text().contains(kv::MemberLoadSave::kMemberRowName.arg(QStringLiteral("Ann Smith")))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(kv::EditConflict::kValueLine.arg(QStringLiteral("Quantity"), QStringLiteral("7"), QStringLiteral("5"))));
        EXPECT_FALSE(e.text().contains(QStringLiteral("Bob"))); // his row was not changed by anyone else
        EXPECT_TRUE(e.text().endsWith(kv::UnitOfWork::kNothingWritten));
    }
    EXPECT_EQ(stored(ann, QStringLiteral("Quantity")).toInt(), 7);
    EXPECT_TRUE(isNull(stored(bob, QStringLiteral("Confirmed")))); // the whole save rolled back
    EXPECT_EQ(rows.changeCount(), 2);

    // Reading the list again asks; No keeps the edits on screen over the values stored now ...
    prompts.answerNo();
    EXPECT_FALSE(loadSave->load(rows, kListName).completed);
    ASSERT_EQ(prompts.questions().size(), 1);
    EXPECT_TRUE(prompts.questions().first().endsWith(kv::MemberLoadSave::kReloadAfterConflict));
    EXPECT_EQ(stored(ann, QStringLiteral("Quantity")).toInt(), 7);
    ASSERT_TRUE(rows.gotoBookmark(select({1}).first()));
    EXPECT_EQ(rows.fieldValue(RS::Quantity).toInt(), 5);

    // ... so the next save writes them, as the user chose.
    loadSave->saveChanges(rows);
    EXPECT_EQ(stored(ann, QStringLiteral("Quantity")).toInt(), 5);
    EXPECT_EQ(stored(bob, QStringLiteral("Confirmed")).toString(), QStringLiteral("Y"));
}

TEST_P(EditConflictTest, EditsOfDifferentColumnsOfOneMemberByTwoUsersBothStand)
{
    connect();
    load();
    edit(1, RS::Confirmed, QStringLiteral("Y")); // read empty
    edit(2, RS::Quantity, QVariant());          // cleared
    otherUser(QStringLiteral("Quantity = 9, Invited = 'Y'"), ann);
    otherUser(QStringLiteral("Confirmed = 'N'"), bob);

    loadSave->saveChanges(rows);
    EXPECT_TRUE(prompts.texts().isEmpty());
    EXPECT_EQ(stored(ann, QStringLiteral("Confirmed")).toString(), QStringLiteral("Y"));
    EXPECT_EQ(stored(ann, QStringLiteral("Quantity")).toInt(), 9);
    EXPECT_EQ(stored(ann, QStringLiteral("Invited")).toString(), QStringLiteral("Y"));
    EXPECT_TRUE(isNull(stored(bob, QStringLiteral("Quantity"))));
    EXPECT_EQ(stored(bob, QStringLiteral("Confirmed")).toString(), QStringLiteral("N"));
}

TEST_P(EditConflictTest, AWindowOperationRefusedByAnotherUsersChangeCanReadTheListAgain)
{
    openWindow();
    selectPersons({1});
    otherUser(QStringLiteral("Confirmed = 'N'"), ann);
    prompts.answerYes();
    window->ActionCheckSelectedRSVPChecksExecute();

    EXPECT_EQ(stored(ann, QStringLiteral("Confirmed")).toString(), QStringLiteral("N"));
    ASSERT_EQ(prompts.questions().size(), 1);
    EXPECT_TRUE(prompts.questions().first().contains(kv::MemberLoadSave::kMemberRowName.arg(QStringLiteral("Ann Smith"))));
    // Yes read the rows again: the other user's value is shown and nothing is pending.
    EXPECT_EQ(shown().changeCount(), 0);
    EXPECT_EQ(shown().valueAt(rowOf(1), RS::Confirmed).toString(), QStringLiteral("N"));
}

TEST_P(EditConflictTest, ClosingOverAnotherUsersChangeCanKeepTheWindowAndTheEdits)
{
    openWindow();
    shown().setRecNo(rowOf(2));
    shown().edit();
    shown().setFieldValue(RS::Quantity, 6);
    shown().post();
    otherUser(QStringLiteral("Quantity = 3"), bob);

    prompts.answerNo(); // do not close without the changes
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(stored(bob, QStringLiteral("Quantity")).toInt(), 3);
    ASSERT_EQ(prompts.questions().size(), 1);
    EXPECT_TRUE(prompts.questions().first().endsWith(TFormListMembers::kCloseAfterConflict));
    EXPECT_TRUE(prompts.questions().first().contains(kv::EditConflict::kValueLine.arg(QStringLiteral("Qty"), QStringLiteral("3"),
                                                                                      QStringLiteral("6"))))
        << prompts.questions().first().toStdString(); // the grid's title, not the column
    EXPECT_EQ(shown().valueAt(rowOf(2), RS::Quantity).toInt(), 6);

    window->close(); // the user saw the other value and saves theirs
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(stored(bob, QStringLiteral("Quantity")).toInt(), 6);
}

TEST_P(EditConflictTest, TheClientEditorRefusesToOverwriteAnotherUsersChangeToTheClient)
{
    openWindow();
    shown().setRecNo(rowOf(1));
    QString typedAfterRefusal;
    bool written = false;
    prompts.answerNo(); // keep the typed value
    kv::ModalDriver::whenShown(
        [&](QWidget *dlg) {
            auto *last = kv::ModalDriver::child<QLineEdit>(dlg, QStringLiteral("LAST_NAME"));
            last->setText(QStringLiteral("Smythe"));
            tdb->exec(QStringLiteral("Update Clients set Last_Name = 'Smithers' where Person_ID = 1"));
            kv::ModalDriver::click(dlg, QStringLiteral("BitBtnOK"));
            typedAfterRefusal = dlg->isVisible() ? last->text() : QString();
            written = tdb->exec(QStringLiteral("Select Last_Name from Clients where Person_ID = 1")).toString() != QLatin1String("Smithers");
            kv::ModalDriver::click(dlg, QStringLiteral("BitBtnOK")); // the user saw the change and keeps theirs
        },
        QStringLiteral("wwRecordViewDialog1"));
    control<QAction>(QStringLiteral("ActionShowClientEditor"))->trigger();

    EXPECT_EQ(typedAfterRefusal, QStringLiteral("Smythe"));
    EXPECT_FALSE(written);
    ASSERT_EQ(prompts.questions().size(), 1);
    const QString question = prompts.questions().first();
    EXPECT_TRUE(question.contains(kv::MemberLoadSave::kClientRowName.arg(QStringLiteral("Ann Smith")))) << question.toStdString();
    // The field is named by the editor's own label, not the column.
    EXPECT_TRUE(question.contains(kv::EditConflict::kValueLine.arg(QStringLiteral("Last Name"), QStringLiteral("\"Smithers\""),
                                                                  QStringLiteral("\"Smythe\""))))
        << question.toStdString();
    EXPECT_TRUE(question.endsWith(TFormClientEditor::kReloadAfterConflict));
    EXPECT_EQ(tdb->exec(QStringLiteral("Select Last_Name from Clients where Person_ID = 1")).toString(), QStringLiteral("Smythe"));
}

KV_MEMBER_OPS_BACKENDS(EditConflictTest);

} // namespace
