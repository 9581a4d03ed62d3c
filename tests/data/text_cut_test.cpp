// Cuts to a column's width: whole characters, an emoji counting once.

#include "data/text_cut.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCut, KeepsWholeCharactersAndCountsAnEmojiOnce)
{
    const QString smile = QStringLiteral("\U0001F600");
    const struct
    {
        QString text;
        int width;
        QString cut;
        int characters;
    } cases[] = {
        {QStringLiteral("abc"), 2, QStringLiteral("ab"), 3},
        {QStringLiteral("a") + smile + QStringLiteral("b"), 2, QStringLiteral("a") + smile, 3},
        {QStringLiteral("a") + smile + QStringLiteral("b"), 1, QStringLiteral("a"), 3},
        {smile + smile, 1, smile, 2},
        {smile, 5, smile, 1},
        {QStringLiteral("ab"), 0, QString(), 2},
        {QString(), 3, QString(), 0},
        // A lone half is one character of its own: kept or cut, never paired with its neighbour.
        {QString(QChar(0xD83D)) + QStringLiteral("x"), 1, QString(QChar(0xD83D)), 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " / " + std::to_string(c.width));
        EXPECT_EQ(kv::cutToWidth(c.text, c.width), c.cut);
        EXPECT_EQ(kv::characterCount(c.text), c.characters);
    }
}

} // namespace
