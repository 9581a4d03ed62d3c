#include "lists/history_note.h"

#include "data/engine/query.h"
#include "data/list_stamp.h"
#include "data/text_cut.h"

#include <QDateTime>

namespace kv {

const QString HistoryNoteWriter::kInsertSql =
    QStringLiteral("Insert into History (Tran_Date, Event, User) values (:Tran_Date, :Event, :User) ");

HistoryNoteWriter::HistoryNoteWriter(Database &db, std::function<QString()> userName)
    : m_query(new Query(&db, QStringLiteral("QueryInsertHistoryNote")))
    , m_userName(std::move(userName))
{
    m_query->setSql(kInsertSql);
}

HistoryNoteWriter::~HistoryNoteWriter() = default;

void HistoryNoteWriter::write(const QString &event)
{
    m_query->close();
    m_query->paramByName(QStringLiteral("Tran_Date")).setAsDateTime(QDateTime::currentDateTime());
    m_query->paramByName(QStringLiteral("Event")).setAsString(event);
    m_query->paramByName(QStringLiteral("User")).setAsString(ListStamp::userName(m_userName ? m_userName() : QString()));
    m_query->execSql();
}

QString HistoryNoteWriter::listDeleted(const QString &listName)
{
    return listName + QStringLiteral(" list deleted.");
}

QString HistoryNoteWriter::pendingCancelled(const QString &listName)
{
    return listName + QStringLiteral(" list pending deliveries cancelled.");
}

QString HistoryNoteWriter::fulfilled(const QString &listName, int deliveries, const QString &shortDate)
{
    QString name = cutToWidth(listName, 20);
    while (name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name + QStringLiteral(" list fulfilled to ") + QString::number(deliveries) + QStringLiteral(" for ") + shortDate;
}

} // namespace kv
