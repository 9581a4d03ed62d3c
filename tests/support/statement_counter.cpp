#include "support/statement_counter.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"

#include <QFile>
#include <QFileInfo>

namespace {
QVariant scalar(kv::Database &db, const QString &sql)
{
    kv::Query q(&db, QStringLiteral("StatementCounter"));
    q.setSql(sql);
    q.open();
    return q.isEmpty() ? QVariant() : q.value(0);
}

// The lines a statement starts with: simple protocol ("statement: ") and
// extended protocol ("execute <name>: ").
bool isStatementLine(const QByteArray &line, const QByteArray &marker)
{
    const qsizetype at = line.indexOf(marker);
    if (at < 0)
        return false;
    const QByteArray rest = line.mid(at + marker.size());
    return rest.startsWith("statement: ") || rest.startsWith("execute ");
}
} // namespace

ServerStatementCounter::ServerStatementCounter(kv::Database &db)
{
    db.execute(QStringLiteral("Set log_statement = 'all'"));
    m_marker = QStringLiteral("[%1] LOG:  ").arg(scalar(db, QStringLiteral("Select pg_backend_pid()")).toLongLong());
    m_log = qEnvironmentVariable("KESTROVAN_PG_LOG");
    if (m_log.isEmpty()) {
        const QString sockets = scalar(db, QStringLiteral("Select current_setting('unix_socket_directories')")).toString();
        m_log = sockets.section(QLatin1Char(','), 0, 0).trimmed() + QStringLiteral("/server.log");
    }
    if (!QFileInfo(m_log).isReadable())
        throw kv::Error(QStringLiteral("The server's statement log %1 cannot be read; set KESTROVAN_PG_LOG.").arg(m_log));
}

void ServerStatementCounter::start()
{
    m_offset = QFileInfo(m_log).size();
}

QString ServerStatementCounter::statements() const
{
    QFile f(m_log);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(m_offset))
        throw kv::Error(QStringLiteral("The server's statement log %1 cannot be read.").arg(m_log));
    const QByteArray marker = m_marker.toUtf8();
    QStringList out;
    while (!f.atEnd()) {
        const QByteArray line = f.readLine();
        if (isStatementLine(line, marker))
            out << QString::fromUtf8(line.mid(line.indexOf(marker) + marker.size()).trimmed().left(160));
    }
    return out.join(QLatin1Char('\n'));
}

int ServerStatementCounter::count() const
{
    const QString all = statements();
    return all.isEmpty() ? 0 : int(all.count(QLatin1Char('\n'))) + 1;
}
