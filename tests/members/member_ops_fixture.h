#pragma once

// A list on a fresh database of either backend, the data module connected to
// it, and the members window's row set loaded the way the window loads it.

#include "data/data_module.h"
#include "members/confirmed_filter.h"
#include "members/member_load_save.h"
#include "members/member_row_set.h"
#include "shell/progress.h"
#include "support/scripted_prompts.h"
#include "support/test_database.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

// Keeps every percentage an operation reports.
class RecordingProgress : public kv::Progress
{
public:
    void setPercent(int percent) override { values.push_back(percent); }
    std::vector<int> values;
};

class MemberOpsTest : public ::testing::TestWithParam<kv::Backend>
{
protected:
    static inline const QString kListName = QStringLiteral("Holiday Meals");

    void SetUp() override
    {
        KV_REQUIRE_BACKEND(GetParam());
        tdb = std::make_unique<TestDatabase>(GetParam());
        listId = tdb->addList(kListName);
    }

    // Connects the data module once the fixture rows are in place.
    void connect()
    {
        dm = std::make_unique<TDataModuleLists>(prompts, [] {}, nullptr, tdb->overrides());
        dm->DataModuleCreate();
        loadSave = std::make_unique<kv::MemberLoadSave>(*dm, prompts);
        rows.setFilter(kv::ConfirmedFilter::kInitialExpression);
        rows.setFiltered(true);
    }

    // The members window's load procedure for a list name.
    void load(const QString &name = kListName)
    {
        const auto r = loadSave->load(rows, name);
        ASSERT_TRUE(r.completed) << prompts.texts().join(QLatin1Char('|')).toStdString();
    }

    kv::Database &db() { return *dm->DatabaseLists; }

    // Bookmarks of the shown rows of these persons, in the order given.
    QList<kv::MemberRowSet::Bookmark> select(const QList<int> &personIds)
    {
        QList<kv::MemberRowSet::Bookmark> out;
        for (int p : personIds)
            for (int r = 0; r < rows.recordCount(); ++r)
                if (rows.valueAt(r, kv::MemberRowSet::Person_ID).toInt() == p)
                    out << rows.bookmarkAt(r);
        return out;
    }

    QVariantMap member(int list, int personId)
    {
        const auto found = tdb->rows(QStringLiteral("Select * from List_Members where List_ID = :L and Person_ID = :P"),
                                     {{QStringLiteral("L"), list}, {QStringLiteral("P"), personId}});
        return found.isEmpty() ? QVariantMap() : found.first();
    }

    static bool isNull(const QVariant &v) { return !v.isValid() || v.isNull() || v.toString().isEmpty(); }

    qint64 members(int list)
    {
        return tdb->count(QStringLiteral("List_Members"), QStringLiteral("List_ID = :L"), {{QStringLiteral("L"), list}});
    }

    std::unique_ptr<TestDatabase> tdb;
    ScriptedPrompts prompts;
    std::unique_ptr<TDataModuleLists> dm;
    std::unique_ptr<kv::MemberLoadSave> loadSave;
    kv::MemberRowSet rows;
    RecordingProgress progress;
    int listId = 0;
};

#define KV_MEMBER_OPS_BACKENDS(Suite)                                                                            \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::Values(kv::Backend::SQLite, kv::Backend::PostgreSQL), \
                             [](const ::testing::TestParamInfo<kv::Backend> &i) {                               \
                                 return i.param == kv::Backend::SQLite ? std::string("SQLite")                 \
                                                                       : std::string("PostgreSQL");            \
                             })
