#pragma once

// Failures forced in the middle of an operation, the same way on both
// backends: a trigger that lets K-1 rows of a statement kind through and
// raises on the K-th (counted across statements), and a snapshot of tables
// to prove that a rolled-back operation left every byte as it was.

#include "support/test_database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

namespace failure {

inline const QString kInjected = QStringLiteral("injected failure");

// event: INSERT, UPDATE or DELETE.
inline void failOnRow(TestDatabase &tdb, const QString &table, const QString &event, int k)
{
    QSqlQuery q(tdb.db().connection());
    const auto run = [&q](const QString &sql) { ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString(); };
    if (tdb.backend() == kv::Backend::SQLite) {
        run(QStringLiteral("CREATE TABLE IF NOT EXISTS kv_fail_count (n INTEGER)"));
        run(QStringLiteral("DELETE FROM kv_fail_count"));
        run(QStringLiteral("INSERT INTO kv_fail_count VALUES (0)"));
        run(QStringLiteral("CREATE TRIGGER kv_fail BEFORE %1 ON %2 BEGIN UPDATE kv_fail_count SET n = n + 1; "
                           "SELECT RAISE(ABORT, '%3') WHERE (SELECT n FROM kv_fail_count) >= %4; END")
                .arg(event, table, kInjected)
                .arg(k));
    } else {
        run(QStringLiteral("CREATE SEQUENCE kv_fail_seq"));
        run(QStringLiteral("CREATE FUNCTION kv_fail() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                           "IF nextval('kv_fail_seq') >= %1 THEN RAISE EXCEPTION '%2'; END IF; "
                           "IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $$")
                .arg(k)
                .arg(kInjected));
        run(QStringLiteral("CREATE TRIGGER kv_fail BEFORE %1 ON %2 FOR EACH ROW EXECUTE FUNCTION kv_fail()").arg(event, table));
    }
}

// Every row of the tables, every column, in key order, as text.
inline QStringList snapshot(TestDatabase &tdb, const QStringList &tables)
{
    QStringList out;
    for (const QString &t : tables) {
        QSqlQuery q(tdb.db().connection());
        EXPECT_TRUE(q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(t))) << q.lastError().text().toStdString();
        const int columns = q.record().count();
        while (q.next()) {
            QStringList cells{t};
            for (int c = 0; c < columns; ++c)
                cells << (q.value(c).isNull() ? QStringLiteral("<null>") : q.value(c).toString());
            out << cells.join(QLatin1Char('|'));
        }
    }
    return out;
}

} // namespace failure
