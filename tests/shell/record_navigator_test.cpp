// The record navigator over a cursor: which buttons a row allows.

#include "shell/ui/record_navigator.h"

#include <QToolButton>
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
