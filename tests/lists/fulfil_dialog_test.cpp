#include "lists/ui/form_list_fulfillment_options.h"
#include "support/find_widget.h"
#include "lists/ui/fulfilment_flow.h"
#include "lists/ui/query_table_model.h"

#include "data/data_module.h"
#include "lists/cancel_pending.h"
#include "data/engine/unit_of_work.h"
#include "shell/ui/form_message_box.h"
#include "support/find_widget.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPointer>
#include <QProgressBar>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QHeaderView>
#include "data/dates.h"
#include <QVBoxLayout>
#include <gtest/gtest.h>

using kv::FulfilmentOptions;

namespace {

const QDate kWednesday(2026, 12, 9);

// Fills a database with services, items and four lists whose stored defaults
// cover the letters of each key string.
void seed(TestDatabase &tdb, int &listA, int &listB, int &listC)
{
    const struct
    {
        int id;
        const char *desc, *type;
    } services[] = {{7, "Holiday", "D"}, {8, "Kosher", "D"}, {9, "Congregate", "C"}};
    for (const auto &s : services)
        tdb.insert(QStringLiteral("Services"), {{QStringLiteral("Service_ID"), s.id}, {QStringLiteral("Service_Desc"), QLatin1String(s.desc)},
                                                {QStringLiteral("Service_Type"), QLatin1String(s.type)}});
    tdb.insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 31}, {QStringLiteral("Meal_Item"), QStringLiteral("Turkey")}});
    tdb.insert(QStringLiteral("Items"), {{QStringLiteral("Item_ID"), 32}, {QStringLiteral("Meal_Item"), QStringLiteral("Ham")}});
    listA = tdb.addList(QStringLiteral("A Defaults"), {{QStringLiteral("Checkbox_Setting"), QStringLiteral("C")},
                                                      {QStringLiteral("Service_Method"), QStringLiteral("C")},
                                                      {QStringLiteral("Item_Method"), QStringLiteral("D")},
                                                      {QStringLiteral("Active_Only"), QStringLiteral("Y")}});
    listB = tdb.addList(QStringLiteral("B Selected"), {{QStringLiteral("Checkbox_Setting"), QStringLiteral("I")},
                                                      {QStringLiteral("Service_Method"), QStringLiteral("S")},
                                                      {QStringLiteral("Service_Used"), 8},
                                                      {QStringLiteral("Item_Method"), QStringLiteral("S")},
                                                      {QStringLiteral("Item_to_Deliver"), 32},
                                                      {QStringLiteral("Quantity"), 3},
                                                      {QStringLiteral("Active_Only"), QStringLiteral("N")}});
    listC = tdb.addList(QStringLiteral("C Odd"), {{QStringLiteral("Checkbox_Setting"), QStringLiteral("X")},
                                                 {QStringLiteral("Service_Method"), QVariant()},
                                                 {QStringLiteral("Item_Method"), QStringLiteral("Q")}});
    tdb.addList(QStringLiteral("D Blank"), {{QStringLiteral("Checkbox_Setting"), QVariant()}});
    tdb.insert(QStringLiteral("Lists"), {{QStringLiteral("List_Name"), QStringLiteral("E Not a list")}, {QStringLiteral("Reason"), QStringLiteral("XYZ")}},
               QStringLiteral("Record_ID"));
}

class FulfilDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tdb = std::make_unique<TestDatabase>(kv::Backend::SQLite);
        seed(*tdb, listA, listB, listC);
        dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, tdb->overrides());
        dm->DataModuleCreate();
        dialog = std::make_unique<TFormListFulfillmentOptions>(*dm, prompts);
    }

    TFormListFulfillmentOptions &d() { return *dialog; }
    // A control of the dialog by its object name; a missing one fails the test.
    template<class T>
    T *need(const char *name)
    {
        return kv::test::need<T>(dialog.get(), QString::fromLatin1(name));
    }

    ScriptedPrompts prompts;
    std::unique_ptr<TestDatabase> tdb;
    std::unique_ptr<TDataModuleLists> dm;
    std::unique_ptr<TFormListFulfillmentOptions> dialog;
    int listA = 0, listB = 0, listC = 0;
};

TEST_F(FulfilDialogTest, ChoosingAListWhoseNamesCannotBeReadShowsTheErrorInsteadOfThrowing)
{
    tdb->exec(QStringLiteral("Drop table Items"));
    EXPECT_NO_THROW(d().setListText(QStringLiteral("B Selected")));
    ASSERT_EQ(prompts.notices().size(), 1);
    EXPECT_TRUE(prompts.notices().first().contains(QStringLiteral("Items"), Qt::CaseInsensitive))
        << prompts.notices().first().toStdString();
}

TEST_F(FulfilDialogTest, DesignAndChoices)
{
    EXPECT_EQ(d().windowTitle(), QStringLiteral("List Fulfillment"));
    EXPECT_EQ(d().size(), QSize(417, 524));
    for (const char *name : {"wwDBLookupComboList", "wwDBDateTimePickerDelivDt", "wwCheckBoxCurrentlyActive", "RzRadioGroupConfirmedStatus",
                             "RzRadioGroupService", "wwDBLookupComboService", "RzRadioGroupItems", "wwDBSpinEditQuantity",
                             "wwDBLookupComboItem", "BitBtnOK", "BitBtnCancel"})
        EXPECT_NE(d().findChild<QWidget *>(QLatin1String(name)), nullptr) << name;
    // Only lists of reason LST, only delivery services, every item.
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboList")->count(), 4);
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboService")->count(), 2);
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboItem")->count(), 2);
    EXPECT_TRUE(need<QComboBox>("wwDBLookupComboList")->currentText().isEmpty());
    EXPECT_FALSE(need<TDeliveryDateEdit>("wwDBDateTimePickerDelivDt")->date().isValid());
    EXPECT_FALSE(need<QPushButton>("BitBtnOK")->isEnabled());
    // The list lookup is a drop-down list; the service and item lookups show
    // their titled column 40 characters wide.
    EXPECT_FALSE(need<QComboBox>("wwDBLookupComboList")->isEditable());
    const int chars40 = d().fontMetrics().averageCharWidth() * 40;
    for (auto [combo, title] : {std::pair{need<QComboBox>("wwDBLookupComboService"), "Service"}, std::pair{need<QComboBox>("wwDBLookupComboItem"), "Item"}}) {
        EXPECT_EQ(combo->model()->headerData(0, Qt::Horizontal).toString(), QLatin1String(title));
        auto *view = qobject_cast<QTreeView *>(combo->view());
        ASSERT_NE(view, nullptr);
        EXPECT_FALSE(view->isHeaderHidden());
        EXPECT_GE(view->header()->sectionSize(0), chars40);
    }

    d().setListText(QStringLiteral("B Selected"));
    need<TDeliveryDateEdit>("wwDBDateTimePickerDelivDt")->setDate(kWednesday);
    EXPECT_EQ(need<TDeliveryDateEdit>("wwDBDateTimePickerDelivDt")->lineEdit()->text(), QLocale().toString(kWednesday, QStringLiteral("dddd MMM d, yyyy")));
    d().show();
    QTest::qWait(20);
    d().grab().save(QDir::temp().filePath(QStringLiteral("kestrovan_fulfil_dialog.png")));
}

TEST_F(FulfilDialogTest, FillsFromTheStoredDefaults)
{
    d().setListText(QStringLiteral("A Defaults"));
    EXPECT_TRUE(need<QCheckBox>("wwCheckBoxCurrentlyActive")->isChecked());
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupConfirmedStatus")->itemIndex(), 0);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupService")->itemIndex(), 0);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupItems")->itemIndex(), 0);
    EXPECT_TRUE(need<QComboBox>("wwDBLookupComboService")->currentText().isEmpty());
    EXPECT_TRUE(need<QComboBox>("wwDBLookupComboItem")->currentText().isEmpty());
    EXPECT_EQ(need<QSpinBox>("wwDBSpinEditQuantity")->value(), 0);
    EXPECT_EQ(d().chosenListId(), listA);

    // Another list refills every option.
    need<QComboBox>("wwDBLookupComboList")->setCurrentIndex(1);
    EXPECT_EQ(d().chosenListId(), listB);
    EXPECT_FALSE(need<QCheckBox>("wwCheckBoxCurrentlyActive")->isChecked());
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupConfirmedStatus")->itemIndex(), 3);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupService")->itemIndex(), 1);
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboService")->currentText(), QStringLiteral("Kosher"));
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupItems")->itemIndex(), 1);
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboItem")->currentText(), QStringLiteral("Ham"));
    EXPECT_EQ(need<QSpinBox>("wwDBSpinEditQuantity")->value(), 3);

    // Letters outside the key strings, and empty ones, select nothing.
    d().setListText(QStringLiteral("C Odd"));
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupConfirmedStatus")->itemIndex(), -1);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupService")->itemIndex(), -1);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupItems")->itemIndex(), -1);
    d().setListText(QStringLiteral("D Blank"));
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupConfirmedStatus")->itemIndex(), -1);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupConfirmedStatus")->findChildren<QAbstractButton *>().size(), 4);
    for (QAbstractButton *b : need<kv::RadioGroup>("RzRadioGroupConfirmedStatus")->findChildren<QAbstractButton *>())
        EXPECT_FALSE(b->isChecked());
}

TEST_F(FulfilDialogTest, HandlersFollowTheControls)
{
    d().setListText(QStringLiteral("A Defaults"));
    // Picking an item while the quantity is 0 selects "Selected Item:" and quantity 1.
    need<QComboBox>("wwDBLookupComboItem")->setCurrentIndex(need<QComboBox>("wwDBLookupComboItem")->findText(QStringLiteral("Turkey")));
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupItems")->itemIndex(), 1);
    EXPECT_EQ(need<QSpinBox>("wwDBSpinEditQuantity")->value(), 1);
    // Back to the defaults empties the item and the quantity, without reselecting.
    need<kv::RadioGroup>("RzRadioGroupItems")->setItemIndex(0);
    EXPECT_TRUE(need<QComboBox>("wwDBLookupComboItem")->currentText().isEmpty());
    EXPECT_EQ(need<QSpinBox>("wwDBSpinEditQuantity")->value(), 0);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupItems")->itemIndex(), 0);
    // Changing the quantity selects "Selected Item:", also when it becomes 0.
    need<QSpinBox>("wwDBSpinEditQuantity")->setValue(4);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupItems")->itemIndex(), 1);
    need<kv::RadioGroup>("RzRadioGroupItems")->clearSelection();
    need<QSpinBox>("wwDBSpinEditQuantity")->setValue(0);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupItems")->itemIndex(), 1);
    // Choosing a service selects "Selected Service:"; the client's own empties it again.
    need<QComboBox>("wwDBLookupComboService")->setCurrentIndex(0);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupService")->itemIndex(), 1);
    need<kv::RadioGroup>("RzRadioGroupService")->setItemIndex(0);
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboService")->currentIndex(), -1);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupService")->itemIndex(), 0);

    // Emptying a lookup (Delete on it) is a change too: the choice switches to
    // "Selected …", which cannot be confirmed until a service or item is chosen.
    d().setListText(QStringLiteral("B Selected"));
    need<TDeliveryDateEdit>("wwDBDateTimePickerDelivDt")->setDate(kWednesday);
    need<kv::RadioGroup>("RzRadioGroupService")->item(0)->setChecked(true);
    need<QComboBox>("wwDBLookupComboService")->setCurrentIndex(1);
    need<kv::RadioGroup>("RzRadioGroupService")->clearSelection();
    QTest::keyClick(need<QComboBox>("wwDBLookupComboService"), Qt::Key_Delete);
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboService")->currentIndex(), -1);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupService")->itemIndex(), 1);
    need<kv::RadioGroup>("RzRadioGroupItems")->clearSelection();
    QTest::keyClick(need<QComboBox>("wwDBLookupComboItem"), Qt::Key_Backspace);
    EXPECT_EQ(need<QComboBox>("wwDBLookupComboItem")->currentIndex(), -1);
    EXPECT_EQ(need<kv::RadioGroup>("RzRadioGroupItems")->itemIndex(), 1);
    EXPECT_EQ(need<QSpinBox>("wwDBSpinEditQuantity")->value(), 3); // no item: the quantity stays
    EXPECT_FALSE(need<QPushButton>("BitBtnOK")->isEnabled());
}

TEST_F(FulfilDialogTest, OkNeedsAListADateAfter1900AndEveryChosenLookup)
{
    d().setListText(QStringLiteral("A Defaults"));
    EXPECT_FALSE(need<QPushButton>("BitBtnOK")->isEnabled()); // no date yet
    need<TDeliveryDateEdit>("wwDBDateTimePickerDelivDt")->setDate(QDate(1900, 1, 1));
    EXPECT_FALSE(need<QPushButton>("BitBtnOK")->isEnabled());
    need<TDeliveryDateEdit>("wwDBDateTimePickerDelivDt")->setDate(QDate(1900, 1, 2));
    EXPECT_TRUE(need<QPushButton>("BitBtnOK")->isEnabled());

    // Clearing the list lookup, or asking for a name that is no list.
    need<QComboBox>("wwDBLookupComboList")->setCurrentIndex(-1);
    EXPECT_FALSE(need<QPushButton>("BitBtnOK")->isEnabled());
    d().setListText(QStringLiteral("A Def"));
    EXPECT_TRUE(d().listText().isEmpty());
    EXPECT_FALSE(need<QPushButton>("BitBtnOK")->isEnabled());
    need<QComboBox>("wwDBLookupComboList")->setCurrentIndex(0);
    EXPECT_TRUE(need<QPushButton>("BitBtnOK")->isEnabled());

    // "Selected …" with an empty lookup cannot be confirmed.
    need<kv::RadioGroup>("RzRadioGroupService")->setItemIndex(1);
    EXPECT_FALSE(need<QPushButton>("BitBtnOK")->isEnabled());
    need<QComboBox>("wwDBLookupComboService")->setCurrentIndex(1);
    EXPECT_TRUE(need<QPushButton>("BitBtnOK")->isEnabled());
    need<kv::RadioGroup>("RzRadioGroupItems")->setItemIndex(1);
    EXPECT_FALSE(need<QPushButton>("BitBtnOK")->isEnabled());
    need<QComboBox>("wwDBLookupComboItem")->setCurrentIndex(0);
    EXPECT_TRUE(need<QPushButton>("BitBtnOK")->isEnabled());

    // A list whose service method is neither letter needs a choice first.
    d().setListText(QStringLiteral("C Odd"));
    EXPECT_FALSE(need<QPushButton>("BitBtnOK")->isEnabled());
    need<kv::RadioGroup>("RzRadioGroupService")->setItemIndex(0);
    EXPECT_TRUE(need<QPushButton>("BitBtnOK")->isEnabled());
}

TEST_F(FulfilDialogTest, OptionsCarryWhatTheDialogShows)
{
    d().setListText(QStringLiteral("B Selected"));
    need<TDeliveryDateEdit>("wwDBDateTimePickerDelivDt")->setDate(kWednesday);
    need<kv::RadioGroup>("RzRadioGroupConfirmedStatus")->setItemIndex(1);
    need<QCheckBox>("wwCheckBoxCurrentlyActive")->setChecked(true);
    const FulfilmentOptions o = d().options();
    EXPECT_EQ(o.deliveryDate, kWednesday);
    EXPECT_TRUE(o.activeOnly);
    EXPECT_EQ(o.confirmedIndex, 1);
    EXPECT_EQ(o.serviceIndex, 1);
    EXPECT_EQ(o.serviceId, 8);
    EXPECT_EQ(o.itemsIndex, 1);
    EXPECT_EQ(o.itemId, 32);
    EXPECT_EQ(o.quantity, 3);
    EXPECT_EQ(o.listName, QStringLiteral("B Selected"));
}

TEST_F(FulfilDialogTest, AStoredQuantityAbove99IsCarriedWhole)
{
    // The copy dialog stores up to 999; the run must use the list's figure.
    tdb->addList(QStringLiteral("F Large"), {{QStringLiteral("Item_Method"), QStringLiteral("S")},
                                            {QStringLiteral("Item_to_Deliver"), 31},
                                            {QStringLiteral("Service_Method"), QStringLiteral("C")},
                                            {QStringLiteral("Quantity"), 150}});
    dm->QueryListLookup->close();
    dialog = std::make_unique<TFormListFulfillmentOptions>(*dm, prompts);
    d().setListText(QStringLiteral("F Large"));
    EXPECT_EQ(need<QSpinBox>("wwDBSpinEditQuantity")->value(), 150);
    EXPECT_EQ(d().options().quantity, 150);
    // Another list brings the usual limit back.
    d().setListText(QStringLiteral("B Selected"));
    EXPECT_EQ(need<QSpinBox>("wwDBSpinEditQuantity")->maximum(), TFormListFulfillmentOptions::kQuantityMaximum);
    EXPECT_EQ(d().options().quantity, 3);
}

TEST(DeliveryDateTest, TypedDatesAndTwoDigitYears)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const auto read = [](const char *text) { return kv::AcceptedDates::readTyped(QString::fromUtf8(text)).value_or(QDate()); };
    EXPECT_EQ(read("12/9/26"), QDate(2026, 12, 9));
    EXPECT_EQ(read("1/2/49"), QDate(2049, 1, 2));
    EXPECT_EQ(read("1/2/50"), QDate(1950, 1, 2));
    EXPECT_EQ(read("1/2/1949"), QDate(1949, 1, 2));
    EXPECT_EQ(read("2026-12-09"), QDate(2026, 12, 9));
    EXPECT_EQ(read("Wednesday Dec 9, 2026"), QDate(2026, 12, 9));
    EXPECT_EQ(read("dec 9, 99"), QDate(1999, 12, 9));
    EXPECT_EQ(read("December 9 07"), QDate(2007, 12, 9));
    EXPECT_EQ(read("24 Dec 2026"), QDate(2026, 12, 24));
    EXPECT_FALSE(read("2/30/26").isValid());
    EXPECT_FALSE(read("Smarch 9, 26").isValid());
    EXPECT_FALSE(read("1/2/1899").isValid());
    EXPECT_FALSE(read("").isValid());
    // Where the workstation writes days first, numbers are still read in the
    // order the windows show dates (month/day/year), and shown dates keep it.
    for (const QLocale &l : {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English, QLocale::UnitedKingdom)}) {
        SCOPED_TRACE(l.name().toStdString());
        QLocale::setDefault(l);
        EXPECT_EQ(read("1/5/20"), QDate(2020, 1, 5));
        EXPECT_EQ(read("3.4.2026"), QDate(2026, 3, 4));
        EXPECT_EQ(read("12/24/2026"), QDate(2026, 12, 24));
        EXPECT_FALSE(read("24/12/2026").isValid()) << "a day first is no date, never another one";
        EXPECT_EQ(QueryTableModel::displayText(QDate(2026, 1, 5)), QStringLiteral("1/5/2026"));
        EXPECT_EQ(QueryTableModel::displayText(QDateTime(QDate(1949, 12, 24), QTime(9, 0))), QStringLiteral("12/24/1949"));
        kv::DateField field(kv::AcceptedDates::shortFormat());
        field.setDate(QDate(2049, 1, 5));
        EXPECT_EQ(field.lineEdit()->text(), QStringLiteral("1/5/2049"));
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    // Typing into the field: a short date and an ISO date are taken as typed
    // and shown in the display form on leaving; text that is no date is marked.
    for (const char *typed : {"12/24/2026", "2026-12-24"}) {
        SCOPED_TRACE(typed);
        TDeliveryDateEdit edit;
        QList<QDate> seen;
        QObject::connect(&edit, &TDeliveryDateEdit::dateChanged, [&](const QDate &dt) { seen << dt; });
        QTest::keyClicks(edit.lineEdit(), QString::fromUtf8(typed));
        EXPECT_EQ(edit.date(), QDate(2026, 12, 24));
        Q_EMIT edit.lineEdit()->editingFinished();
        EXPECT_EQ(edit.lineEdit()->text(), QStringLiteral("Thursday Dec 24, 2026"));
        EXPECT_EQ(seen.last(), QDate(2026, 12, 24));
        EXPECT_FALSE(edit.isMarked());
    }
    TDeliveryDateEdit edit;
    QTest::keyClicks(edit.lineEdit(), QStringLiteral("12/34/2026"));
    EXPECT_FALSE(edit.isMarked()); // not while typing
    Q_EMIT edit.lineEdit()->editingFinished();
    EXPECT_FALSE(edit.date().isValid());
    EXPECT_TRUE(edit.isMarked());
    EXPECT_FALSE(edit.lineEdit()->toolTip().isEmpty());
    edit.lineEdit()->selectAll();
    QTest::keyClicks(edit.lineEdit(), QStringLiteral("12/25/2026"));
    EXPECT_EQ(edit.date(), QDate(2026, 12, 25));
    EXPECT_FALSE(edit.isMarked());
    QLocale::setDefault(saved);
}

TEST_F(FulfilDialogTest, ATypedDateEnablesOk)
{
    d().setListText(QStringLiteral("A Defaults"));
    QTest::keyClicks(need<TDeliveryDateEdit>("wwDBDateTimePickerDelivDt")->lineEdit(), QStringLiteral("2026-12-24"));
    EXPECT_TRUE(need<QPushButton>("BitBtnOK")->isEnabled());
    need<TDeliveryDateEdit>("wwDBDateTimePickerDelivDt")->lineEdit()->clear();
    EXPECT_FALSE(need<QPushButton>("BitBtnOK")->isEnabled());
}

// ---------------------------------------------------------------- the whole flow

struct PercentProgress : kv::Progress
{
    std::function<void()> onPercent;
    QList<int> percents;
    void setPercent(int p) override
    {
        percents << p;
        if (onPercent)
            onPercent();
    }
};

// Records, with each notice, whether the dialog was still there.
struct FlowPrompts : ScriptedPrompts
{
    QList<bool> dialogAlive;
    void show(Kind kind, const QString &text) override
    {
        dialogAlive << (FormListFulfillmentOptions != nullptr);
        ScriptedPrompts::show(kind, text);
    }
};

class FulfilFlowTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
        seed(*tdb, listA, listB, listC);
        for (int p = 1; p <= 3; ++p)
            tdb->addClient(p);
        tdb->addMember(listA, 1);
        tdb->addMember(listB, 2);
        tdb->addMember(listB, 3);
        dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, tdb->overrides());
        dm->DataModuleCreate();
        owner.resize(300, 200);
        auto *layout = new QVBoxLayout(&owner);
        button = new QPushButton(QStringLiteral("Fulfill"), &owner);
        layout->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        owner.show();
    }

    // Works the dialog once it is shown, the way a user would.
    void whenShown(std::function<void(TFormListFulfillmentOptions &)> work)
    {
        auto *timer = new QTimer(&owner);
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, work] {
            auto *dlg = qobject_cast<TFormListFulfillmentOptions *>(QApplication::activeModalWidget());
            if (!dlg || !dlg->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            work(*dlg);
            // A dialog the work failed to close must not hang the run.
            QPointer<TFormListFulfillmentOptions> guard(dlg);
            QTimer::singleShot(3000, [guard] {
                if (guard && guard->isVisible()) {
                    ADD_FAILURE() << "the dialog stayed open";
                    guard->reject();
                }
            });
        });
        timer->start();
    }

    void fulfil(int listId)
    {
        kv::runFulfilment(&owner, *dm, listId, prompts, progress, [] { return QStringLiteral("Cy"); });
    }

    FlowPrompts prompts;
    PercentProgress progress;
    std::unique_ptr<TestDatabase> tdb;
    std::unique_ptr<TDataModuleLists> dm;
    QWidget owner;
    QPushButton *button = nullptr;
    int clicks = 0;
    int listA = 0, listB = 0, listC = 0;
};

TEST_P(FulfilFlowTest, OkFulfilsTheListTheDialogShows)
{
    bool referenceSet = false;
    QString shownList;
    whenShown([&](TFormListFulfillmentOptions &dlg) {
        referenceSet = FormListFulfillmentOptions == &dlg;
        shownList = dlg.listText();
        dlg.setListText(QStringLiteral("B Selected")); // the user picks another list
        kv::test::need<TDeliveryDateEdit>(&dlg, QStringLiteral("wwDBDateTimePickerDelivDt"))->setDate(kWednesday);
        QTest::mouseClick(kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnOK")), Qt::LeftButton);
    });
    fulfil(listA);
    EXPECT_TRUE(referenceSet);
    EXPECT_EQ(shownList, QStringLiteral("A Defaults"));
    EXPECT_EQ(FormListFulfillmentOptions, nullptr);
    EXPECT_FALSE(dm->QueryListLookup->isOpen()); // read afresh by the next run

    // The chosen list's members, its id, service, item and quantity.
    const auto rows = tdb->rows(QStringLiteral("Select * from EpisodicDeliveries order by Person_ID"));
    ASSERT_EQ(rows.size(), 2);
    for (const auto &r : rows) {
        EXPECT_EQ(r.value(QStringLiteral("list_id")).toInt(), listB);
        EXPECT_EQ(r.value(QStringLiteral("svcs_used")).toInt(), 8);
        EXPECT_EQ(r.value(QStringLiteral("created_by")).toString(), QStringLiteral("Cy (List)"));
    }
    EXPECT_EQ(tdb->count(QStringLiteral("DefDels"), QStringLiteral("Item_ID = 32 and Quantity = 3")), 2);
    const QString note = tdb->exec(QStringLiteral("Select Event from History")).toString();
    EXPECT_TRUE(note.startsWith(QStringLiteral("B Selected list fulfilled to 2 for "))) << note.toStdString();
}

TEST_P(FulfilFlowTest, CancelWritesNothing)
{
    whenShown([](TFormListFulfillmentOptions &dlg) { QTest::mouseClick(kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnCancel")), Qt::LeftButton); });
    fulfil(listA);
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);
    EXPECT_TRUE(prompts.shown().isEmpty());
    EXPECT_EQ(FormListFulfillmentOptions, nullptr);
}

// An unknown id warns and leaves the lookup empty; a list whose name is empty
// is found and chosen like any other.
TEST_P(FulfilFlowTest, TheListIsPreselectedUnlessItsIdIsUnknown)
{
    const int blank = tdb->addList(QString(), {{QStringLiteral("Item_Method"), QStringLiteral("D")}});
    struct Case
    {
        const char *what;
        int listId;
        bool found;
    };
    for (const Case &c : {Case{"an unsaved list reads as 0", 0, false}, Case{"a list with an empty name", blank, true}}) {
        SCOPED_TRACE(c.what);
        prompts.clear();
        bool okEnabled = !c.found;
        int chosen = -1;
        QString text = QStringLiteral("?");
        whenShown([&](TFormListFulfillmentOptions &dlg) {
            kv::test::need<TDeliveryDateEdit>(&dlg, QStringLiteral("wwDBDateTimePickerDelivDt"))->setDate(kWednesday);
            okEnabled = kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnOK"))->isEnabled();
            chosen = dlg.chosenListId();
            text = dlg.listText();
            dlg.reject();
        });
        fulfil(c.listId);
        EXPECT_EQ(prompts.notices(), c.found ? QStringList() : QStringList{QStringLiteral("Error locating the List using the List ID!")});
        EXPECT_EQ(okEnabled, c.found);
        EXPECT_EQ(chosen, c.found ? c.listId : 0);
        EXPECT_TRUE(text.isEmpty());
    }
}

TEST_P(FulfilFlowTest, TheOwnerTakesNoInputWhileRowsAreWritten)
{
    int clicksDuringRun = -1;
    progress.onPercent = [&] {
        const int before = clicks;
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
        clicksDuringRun = clicks - before;
    };
    whenShown([&](TFormListFulfillmentOptions &dlg) {
        kv::test::need<TDeliveryDateEdit>(&dlg, QStringLiteral("wwDBDateTimePickerDelivDt"))->setDate(kWednesday);
        kv::test::need<kv::RadioGroup>(&dlg, QStringLiteral("RzRadioGroupConfirmedStatus"))->setItemIndex(FulfilmentOptions::ConfirmedIrrelevant);
        QTest::mouseClick(kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnOK")), Qt::LeftButton);
    });
    fulfil(listA);
    EXPECT_EQ(clicksDuringRun, 0);
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 1);
    progress.onPercent = nullptr;
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_P(FulfilFlowTest, AnErrorIsShownAfterTheCleanupWithNothingWritten)
{
    tdb->db().execute(QStringLiteral("Drop table DefDels"));
    whenShown([&](TFormListFulfillmentOptions &dlg) {
        dlg.setListText(QStringLiteral("B Selected"));
        kv::test::need<TDeliveryDateEdit>(&dlg, QStringLiteral("wwDBDateTimePickerDelivDt"))->setDate(kWednesday);
        QTest::mouseClick(kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnOK")), Qt::LeftButton);
    });
    fulfil(listA);
    ASSERT_EQ(prompts.shown().size(), 2); // the count question, then the error
    EXPECT_EQ(prompts.shown().last().kind, kv::Prompts::Kind::Error);
    EXPECT_TRUE(prompts.shown().last().text.endsWith(QStringLiteral("\n\n") + kv::UnitOfWork::kNothingWritten));
    EXPECT_EQ(prompts.dialogAlive, QList<bool>{false});
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0);
}

TEST_P(FulfilFlowTest, CancelInTheProgressWindowWritesNothing)
{
    TFormMessageBox window(&owner);
    int writtenWhenCancelled = -1;
    kv::Query written(dm->DatabaseLists, QStringLiteral("Written"));
    written.setSql(QStringLiteral("Select count(*) from EpisodicDeliveries"));
    // The user presses Cancel once the first member is written.
    QTimer poll;
    poll.setInterval(0);
    auto *bar = kv::test::need<QProgressBar>(&window, QStringLiteral("RzProgressBarSaveStatus"));
    auto *cancel = kv::test::need<QPushButton>(&window, QStringLiteral("BitBtnCancel"));
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!window.isVisible() || bar->value() == 0 || writtenWhenCancelled >= 0)
            return;
        written.close();
        written.open();
        writtenWhenCancelled = written.value(0).toInt();
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    poll.start();
    whenShown([&](TFormListFulfillmentOptions &dlg) {
        dlg.setListText(QStringLiteral("B Selected"));
        kv::test::need<TDeliveryDateEdit>(&dlg, QStringLiteral("wwDBDateTimePickerDelivDt"))->setDate(kWednesday);
        QTest::mouseClick(kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnOK")), Qt::LeftButton);
    });
    kv::runFulfilment(&owner, *dm, listA, prompts, window, [] { return QStringLiteral("Cy"); });
    poll.stop();
    // SQLite writes each row at once; PostgreSQL holds them back for a batch.
    EXPECT_EQ(writtenWhenCancelled, GetParam() == kv::Backend::SQLite ? 1 : 0);
    EXPECT_EQ(prompts.shown().last().text, kv::UnitOfWork::kCancelledText + QStringLiteral("\n\n") + kv::UnitOfWork::kNothingWritten);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("DefDels")), 0);
    EXPECT_EQ(tdb->count(QStringLiteral("History")), 0);
}

TEST_P(FulfilFlowTest, CancellingPendingDeliveriesThroughTheEntry)
{
    tdb->insert(QStringLiteral("EpisodicDeliveries"), {{QStringLiteral("List_ID"), listA}, {QStringLiteral("Person_ID"), 1}},
                QStringLiteral("RecordID"));
    kv::runCancelPending(&owner, *dm, QVariant(), QStringLiteral("New"), prompts, [] { return QStringLiteral("Cy"); });
    EXPECT_EQ(prompts.notices(), QStringList{kv::CancelPendingDeliveries::kUnsavedListMessage});
    kv::runCancelPending(&owner, *dm, listA, QStringLiteral("A Defaults"), prompts, [] { return QStringLiteral("Cy"); });
    EXPECT_EQ(tdb->count(QStringLiteral("EpisodicDeliveries")), 0);
    EXPECT_EQ(tdb->exec(QStringLiteral("Select Event from History")).toString(),
              QStringLiteral("A Defaults list pending deliveries cancelled."));
}

TEST_P(FulfilFlowTest, TheSecondOfTwoListsWithOneNameIsTheOneFulfilled)
{
    const int first = tdb->addList(QStringLiteral("Twin"), {{QStringLiteral("Service_Method"), QStringLiteral("S")},
                                                            {QStringLiteral("Service_Used"), 7},
                                                            {QStringLiteral("Item_Method"), QStringLiteral("D")}});
    const int second = tdb->addList(QStringLiteral("Twin"), {{QStringLiteral("Service_Method"), QStringLiteral("S")},
                                                             {QStringLiteral("Service_Used"), 8},
                                                             {QStringLiteral("Item_Method"), QStringLiteral("D")}});
    tdb->addMember(first, 1);
    tdb->addMember(second, 2);
    tdb->addMember(second, 3);
    QString shownService;
    whenShown([&](TFormListFulfillmentOptions &dlg) {
        // The run shows the first twin; the user picks the other one.
        const int other = kv::test::need<QComboBox>(&dlg, QStringLiteral("wwDBLookupComboList"))->currentIndex() + 1;
        ASSERT_EQ(kv::test::need<QComboBox>(&dlg, QStringLiteral("wwDBLookupComboList"))->itemText(other), QStringLiteral("Twin"));
        kv::test::need<QComboBox>(&dlg, QStringLiteral("wwDBLookupComboList"))->setCurrentIndex(other);
        shownService = kv::test::need<QComboBox>(&dlg, QStringLiteral("wwDBLookupComboService"))->currentText();
        kv::test::need<TDeliveryDateEdit>(&dlg, QStringLiteral("wwDBDateTimePickerDelivDt"))->setDate(kWednesday);
        QTest::mouseClick(kv::test::need<QPushButton>(&dlg, QStringLiteral("BitBtnOK")), Qt::LeftButton);
    });
    fulfil(first);
    EXPECT_EQ(shownService, QStringLiteral("Kosher"));
    const auto rows = tdb->rows(QStringLiteral("Select * from EpisodicDeliveries order by Person_ID"));
    ASSERT_EQ(rows.size(), 2);
    for (const auto &r : rows) {
        EXPECT_EQ(r.value(QStringLiteral("list_id")).toInt(), second);
        EXPECT_EQ(r.value(QStringLiteral("svcs_used")).toInt(), 8);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, FulfilFlowTest, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL));

} // namespace
