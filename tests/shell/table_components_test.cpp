// The module's Tables and DMTables commands over the table components a window
// or data module owns.

#include "shell/table_components.h"

#include <QObject>
#include <gtest/gtest.h>

namespace {

class FakeTable : public QObject, public kv::TableComponent
{
public:
    using QObject::QObject;
    void open() override { log += QLatin1Char('O'); }
    void refresh() override { log += QLatin1Char('R'); }
    void close() override { log += QLatin1Char('C'); }
    QString log;
};

TEST(TableComponents, OpenRefreshAndCloseReachEveryOwnedTableAndOtherCommandsDoNothing)
{
    QObject owner;
    auto *direct = new FakeTable(&owner);
    auto *holder = new QObject(&owner);
    auto *nested = new FakeTable(holder);
    for (const char *c : {"O", "R", "C", "X", "o", ""})
        kv::applyTableCommand(QString::fromLatin1(c), &owner);
    EXPECT_EQ(direct->log, QStringLiteral("ORC"));
    EXPECT_EQ(nested->log, QStringLiteral("ORC"));
    EXPECT_EQ(kv::applyTableCommand(QStringLiteral("O"), nullptr), 0);
    QObject nothingOwned;
    EXPECT_EQ(kv::applyTableCommand(QStringLiteral("O"), &nothingOwned), 0);
}

} // namespace
