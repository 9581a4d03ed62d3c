// The record navigator over a cursor: which buttons a row allows.

#include "shell/ui/record_navigator.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class FakeCursor : public kv::RowCursor
{
public:
    bool open = true;
    int n = 3;
    int at = 0;
    bool editing = false;
    bool isOpen() const override { return open; }
    int count() const override { return n; }
    int current() const override { return at; }
    bool isEditing() const override { return editing; }
    void first() override {}
    void prior() override {}
    void next() override {}
    void last() override {}
    void insert() override {}
    void post() override {}
    void cancel() override {}
};

TEST(RecordNavigator, OffersTheMovesTheRowAllowsAndPostCancelOnlyWhileEditing)
{
    using N = kv::RecordNavigator;
    struct Case
    {
        bool open;
        int n, at;
        bool editing;
        const char *expected; // First Prior Next Last Insert Post Cancel
    };
    const Case cases[] = {
        {false, 0, -1, false, "0000000"}, {true, 0, -1, false, "0000100"}, {true, 3, 0, false, "0011100"},
        {true, 3, 1, false, "1111100"},   {true, 3, 2, false, "1100100"},  {true, 3, 2, true, "1111111"},
    };
    FakeCursor cursor;
    N navigator(&cursor, {N::First, N::Prior, N::Next, N::Last, N::Insert, N::Post, N::Cancel}, QStringLiteral("Nav"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected);
        cursor.open = c.open;
        cursor.n = c.n;
        cursor.at = c.at;
        cursor.editing = c.editing;
        Q_EMIT cursor.changed();
        QString shown;
        for (int b = N::First; b <= N::Cancel; ++b)
            shown += navigator.button(N::Button(b))->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        EXPECT_EQ(shown, QLatin1String(c.expected));
    }
}

} // namespace

namespace {

class RecordingCursor : public FakeCursor
{
public:
    QString calls;
    void first() override { calls += QLatin1String("first "); }
    void prior() override { calls += QLatin1String("prior "); }
    void next() override { calls += QLatin1String("next "); }
    void last() override { calls += QLatin1String("last "); }
    void moveBy(int rows) override { calls += QStringLiteral("by%1 ").arg(rows); }
    void insert() override { calls += QLatin1String("insert "); }
    void post() override { calls += QLatin1String("post "); }
    void cancel() override { calls += QLatin1String("cancel "); }
};

// Every button has a key that works from a field of the window, and its
// tooltip says which; a key whose move is not offered reaches the field.
TEST(RecordNavigator, EveryButtonHasAKeyShownInItsTooltip)
{
    using N = kv::RecordNavigator;
    RecordingCursor cursor;
    cursor.at = 1;
    cursor.editing = true;
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *field = new QPushButton(QStringLiteral("field"), &window);
    layout->addWidget(field);
    auto *navigator = new N(&cursor, {N::First, N::PriorPage, N::Prior, N::Next, N::NextPage, N::Last, N::Insert, N::Post, N::Cancel},
                            QStringLiteral("Nav"), &window);
    layout->addWidget(navigator);
    window.show();
    QApplication::setActiveWindow(&window);
    field->setFocus();
    struct Case
    {
        N::Button button;
        QKeyCombination key;
        const char *call;
        const char *shown;
    } cases[] = {
        {N::First, Qt::CTRL | Qt::Key_Home, "first ", "Ctrl+Home"},     {N::Prior, Qt::CTRL | Qt::Key_Up, "prior ", "Ctrl+Up"},
        {N::Next, Qt::CTRL | Qt::Key_Down, "next ", "Ctrl+Down"},       {N::Last, Qt::CTRL | Qt::Key_End, "last ", "Ctrl+End"},
        {N::PriorPage, Qt::Key_PageUp, "by-10 ", "PgUp"},               {N::NextPage, Qt::Key_PageDown, "by10 ", "PgDown"},
        {N::Insert, Qt::Key_Insert, "insert ", "Ins"},                  {N::Post, Qt::CTRL | Qt::Key_Return, "post ", "Ctrl+Return"},
        {N::Post, Qt::CTRL | Qt::Key_Enter, "post ", "Ctrl+Return"},    {N::Cancel, Qt::Key_Escape, "cancel ", "Esc"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.call);
        cursor.calls.clear();
        QTest::keyClick(field, c.key.key(), c.key.keyboardModifiers());
        EXPECT_EQ(cursor.calls, QLatin1String(c.call));
        EXPECT_TRUE(navigator->button(c.button)->toolTip().endsWith(QStringLiteral("(%1)").arg(QLatin1String(c.shown))))
            << navigator->button(c.button)->toolTip().toStdString();
        EXPECT_FALSE(navigator->button(c.button)->accessibleName().contains(QLatin1Char('(')));
    }
    cursor.editing = false;
    for (bool follows : {true, false}) {
        navigator->setFollowsCursor(follows);
        cursor.calls.clear();
        QTest::keyClick(field, Qt::Key_Escape);
        EXPECT_EQ(cursor.calls, QString()) << "no edit to cancel: Escape is the window's again";
    }
}

} // namespace
