#include "support/fault_injection.h"

#include <QSqlError>
#include <QSqlRecord>
#include <stdexcept>
#include <QSqlQuery>

namespace {

void run(TestDatabase &tdb, const QString &sql)
{
    QSqlQuery q(tdb.db().connection());
    if (!q.exec(sql))
        throw std::runtime_error(("setting up the failure: " + q.lastError().text() + " in " + sql).toStdString());
}

QString tagFor(const QString &table, const QString &event)
{
    return QStringLiteral("kv_fault_%1_%2").arg(table.toLower(), event.toLower());
}

} // namespace

void disarm(TestDatabase &tdb, const QString &table, const QString &event)
{
    const QString tag = tagFor(table, event);
    if (tdb.backend() == kv::Backend::SQLite) {
        run(tdb, QStringLiteral("DROP TRIGGER %1").arg(tag));
    } else {
        run(tdb, QStringLiteral("DROP TRIGGER %1 ON %2").arg(tag, table));
        run(tdb, QStringLiteral("DROP FUNCTION %1_fn()").arg(tag));
    }
    run(tdb, QStringLiteral("DROP TABLE %1_count").arg(tag));
}

void failAtRow(TestDatabase &tdb, const QString &table, const QString &event, int k)
{
    const QString tag = tagFor(table, event);
    run(tdb, QStringLiteral("CREATE TABLE %1_count (n INTEGER)").arg(tag));
    run(tdb, QStringLiteral("INSERT INTO %1_count VALUES (0)").arg(tag));
    if (tdb.backend() == kv::Backend::SQLite) {
        run(tdb, QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 BEGIN "
                                "UPDATE %1_count SET n = n + 1; "
                                "SELECT RAISE(ABORT, '%5') WHERE (SELECT n FROM %1_count) >= %4; END")
                     .arg(tag, event, table)
                     .arg(k)
                     .arg(kInjectedFailure));
    } else {
        run(tdb, QStringLiteral("CREATE FUNCTION %1_fn() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                "UPDATE %1_count SET n = n + 1; "
                                "IF (SELECT n FROM %1_count) >= %2 THEN RAISE EXCEPTION '%3'; END IF; "
                                "IF TG_OP = 'DELETE' THEN RETURN OLD; END IF; RETURN NEW; END $$")
                     .arg(tag)
                     .arg(k)
                     .arg(kInjectedFailure));
        run(tdb, QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1_fn()").arg(tag, event, table));
    }
}

QStringList tableSnapshot(TestDatabase &tdb, const QStringList &tables)
{
    QStringList lines;
    for (const QString &table : tables) {
        QSqlQuery q(tdb.db().connection());
        if (!q.exec(QStringLiteral("SELECT * FROM %1").arg(table)))
            throw std::runtime_error(q.lastError().text().toStdString());
        while (q.next()) {
            QStringList cells{table};
            for (int i = 0; i < q.record().count(); ++i)
                cells << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            lines << cells.join(QLatin1Char('|'));
        }
    }
    lines.sort();
    return lines;
}

void endServerConnection(TestDatabase &tdb, kv::Database &db)
{
    QSqlQuery pid(db.connection());
    if (!pid.exec(QStringLiteral("SELECT pg_backend_pid()")) || !pid.next())
        throw std::runtime_error(("finding the server process: " + pid.lastError().text()).toStdString());
    QSqlQuery end(tdb.db().connection());
    end.prepare(QStringLiteral("SELECT pg_terminate_backend(CAST(:pid AS integer), 5000)"));
    end.bindValue(QStringLiteral(":pid"), pid.value(0));
    if (!end.exec() || !end.next() || !end.value(0).toBool())
        throw std::runtime_error(("ending the server process: " + end.lastError().text()).toStdString());
}
