#include "data/engine/write_guard.h"

#include "data/engine/database.h"
#include "data/engine/sql_dialect.h"
#include "data/engine/unit_of_work.h"

#include <QtGlobal>

namespace kv {

namespace {

WriteGuard::Handler &handler()
{
    static WriteGuard::Handler h = []() -> WriteGuard::Handler {
        if (qEnvironmentVariable("KESTROVAN_CHECK_WRITES") != QLatin1String("1"))
            return {};
        return [](const QString &database, const QString &statement) {
            qFatal("A write outside a unit of work on the %s database: %s", qPrintable(database), qPrintable(statement));
        };
    }();
    return h;
}

thread_local int exemptDepth = 0;

} // namespace

void WriteGuard::setHandler(Handler h)
{
    handler() = std::move(h);
}

bool WriteGuard::isOn()
{
    return bool(handler());
}

void WriteGuard::checkStatement(const Database &db, const QString &statement)
{
    if (!handler())
        return;
    const QString kind = SqlDialect::statementKind(statement);
    if (kind == QLatin1String("INSERT") || kind == QLatin1String("UPDATE") || kind == QLatin1String("DELETE"))
        checkWrite(db, statement);
}

void WriteGuard::checkWrite(const Database &db, const QString &statement)
{
    if (!handler() || exemptDepth > 0 || UnitOfWork::isActive(db))
        return;
    handler()(db.databaseName(), statement);
}

WriteGuard::Exempt::Exempt()
{
    ++exemptDepth;
}

WriteGuard::Exempt::~Exempt()
{
    --exemptDepth;
}

} // namespace kv
