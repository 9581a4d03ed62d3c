#include "members/import_members.h"

#include "data/engine/db_error.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/list_lock.h"
#include "data/printable_text.h"
#include "data/translate.h"
#include "shell/progress.h"

#include <QHash>

#include <algorithm>
#include <QSet>

namespace kv {

namespace {

// The line of the file a position falls on, from 1 (CRLF, LF and CR each end one).
qsizetype lineAt(const QString &input, qsizetype pos)
{
    qsizetype line = 1;
    for (qsizetype i = 0; i < pos && i < input.size(); ++i)
        if (input.at(i) == QLatin1Char('\n') || (input.at(i) == QLatin1Char('\r') && (i + 1 >= input.size() || input.at(i + 1) != QLatin1Char('\n'))))
            ++line;
    return line;
}

} // namespace

QList<QStringList> parseCsv(const QString &input)
{
    // No spreadsheet writes a NUL; a file holding one is not the text it seems
    // (and the database would refuse or misread the id).
    if (const qsizetype nul = input.indexOf(QChar(0)); nul >= 0)
        throw Error(shown("ImportMembers", "Line %1 holds a NUL character; the file is not a text file of ids.").arg(lineAt(input, nul)));
    QList<QStringList> records;
    QStringList record;
    QString field;
    const qsizetype n = input.size();
    qsizetype i = (n > 0 && input.at(0) == QChar(0xFEFF)) ? 1 : 0;
    bool fieldStarted = false; // something (even "") was read for this record
    while (i < n) {
        const QChar c = input.at(i);
        if (c == QLatin1Char('"') && field.isEmpty()) {
            // A quoted field runs to the quote that is not doubled.
            const qsizetype opened = i;
            ++i;
            bool closed = false;
            while (i < n) {
                if (input.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && input.at(i + 1) == QLatin1Char('"')) {
                        field += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                field += input.at(i++);
            }
            // Read on, the rest of the file would become one field.
            if (!closed)
                throw Error(shown("ImportMembers", "Line %1 opens a quoted field that is never closed.").arg(lineAt(input, opened)));
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
            fieldStarted = true;
            ++i;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < n && input.at(i + 1) == QLatin1Char('\n'))
                ++i;
            ++i;
            record << field;
            records << record;
            record.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field += c;
            fieldStarted = true;
            ++i;
        }
    }
    if (fieldStarted || !record.isEmpty()) {
        record << field;
        records << record;
    }
    return records;
}

const QStringList MemberImportFile::kClientIdHeaders = {QStringLiteral("Client_ID"), QStringLiteral("Client ID"),
                                                        QStringLiteral("ClientID")};
const QStringList MemberImportFile::kPersonIdHeaders = {QStringLiteral("Person_ID"), QStringLiteral("Person ID"),
                                                        QStringLiteral("PersonID")};

namespace {

bool oneOf(const QString &header, const QStringList &names)
{
    for (const QString &n : names)
        if (header.trimmed().compare(n, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

MemberImportFile MemberImportFile::fromCsv(const QString &text, const QString &column)
{
    const QList<QStringList> rows = parseCsv(text);
    if (rows.isEmpty())
        throw Error(shown("ImportMembers", "The file is empty: it needs a header line naming the column of client ids."));
    const QStringList &header = rows.first();
    int at = -1;
    if (!column.isEmpty()) {
        for (int i = 0; i < header.size() && at < 0; ++i)
            if (header.at(i).trimmed().compare(column.trimmed(), Qt::CaseInsensitive) == 0)
                at = i;
    } else {
        for (int i = 0; i < header.size() && at < 0; ++i)
            if (oneOf(header.at(i), kClientIdHeaders))
                at = i;
        for (int i = 0; i < header.size() && at < 0; ++i)
            if (oneOf(header.at(i), kPersonIdHeaders))
                at = i;
    }
    if (at < 0) {
        const QString wanted = column.isEmpty() ? shown("ImportMembers", "column headed Client_ID or Person_ID")
                                                : shown("ImportMembers", "column headed \"%1\"").arg(column);
        throw Error(shown("ImportMembers", "The file has no %1; its header line reads: %2").arg(wanted, header.join(QStringLiteral(", "))));
    }
    MemberImportFile f;
    f.column = header.at(at).trimmed();
    f.kind = oneOf(f.column, kPersonIdHeaders) ? IdKind::PersonId : IdKind::ClientId;
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const QString id = rows.at(r).value(at).trimmed();
        if (id.isEmpty())
            ++f.blankRows;
        else
            f.ids << id;
    }
    return f;
}

const QString ImportMembers::kClientsSql = QStringLiteral("Select Person_ID, Client_ID from Clients");
const QString ImportMembers::kListExistsSql = QStringLiteral("Select Record_ID from Lists where Record_ID = :Record_ID");
const QString ImportMembers::kListGoneMessage =
    QString::fromUtf8(QT_TRANSLATE_NOOP("ImportMembers", "The list no longer exists; another user may have deleted it."));

ImportMembers::ImportMembers(Database &db, Progress &progress)
    : m_db(db)
    , m_progress(progress)
{
}

ImportMembers::Result ImportMembers::run(int listId, const MemberImportFile &file, const NewMemberFlags &flags)
{
    Result r;
    UnitOfWork::run(m_db, [&] {
        r = Result();
        // Concurrent adds to the same list wait here, so the membership read
        // below sees every row they wrote.
        lockListRow(m_db, listId);
        Query exists(&m_db, QStringLiteral("QueryImportListExists"));
        exists.setSql(kListExistsSql);
        exists.paramByName(QStringLiteral("Record_ID")).setAsInteger(listId);
        exists.open();
        if (exists.isEmpty())
            throw Error(shown("ImportMembers", kListGoneMessage));
        exists.close();

        MemberWriter writer(m_db);
        QSet<qint64> members = writer.memberIds(listId);

        // Person id -> client id, and client id -> every person id that bears
        // it (the host does not keep Client_ID unique).
        const bool byPerson = file.kind == MemberImportFile::IdKind::PersonId;
        QHash<qint64, QString> clientOf;
        QHash<QString, QList<qint64>> personsOf;
        {
            Query clients(&m_db, QStringLiteral("QueryImportClients"));
            clients.setSql(kClientsSql);
            clients.open();
            for (int i = 0; i < clients.recordCount(); ++i) {
                const QVariant person = clients.valueAt(i, 0);
                if (!person.isValid() || person.isNull())
                    continue;
                const QString clientId = clients.valueAt(i, 1).toString();
                if (byPerson)
                    clientOf.insert(person.toLongLong(), clientId);
                else if (!clients.valueAt(i, 1).isNull())
                    personsOf[clientId] << person.toLongLong();
            }
        }
        const QString invited = flags.invitedText();
        const QString confirmed = flags.confirmedText();
        const qsizetype n = file.ids.size();
        m_progress.setPercent(0);
        for (qsizetype i = 0; i < n; ++i) {
            const QString &id = file.ids.at(i);
            bool found = false;
            qint64 person = 0;
            QString clientId;
            if (byPerson) {
                bool ok = false;
                person = id.toLongLong(&ok);
                found = ok && clientOf.contains(person);
                clientId = clientOf.value(person);
            } else {
                QList<qint64> persons = personsOf.value(id);
                if (persons.size() > 1) {
                    ++r.shared;
                    if (r.firstShared.size() < kNotFoundShown) {
                        std::sort(persons.begin(), persons.end());
                        QStringList named;
                        for (qint64 p : std::as_const(persons))
                            named << shown("ImportMembers", "Person_ID %1").arg(p);
                        r.firstShared << shown("ImportMembers", "%1 matches %2 clients: %3")
                                             .arg(printableText(id))
                                             .arg(persons.size())
                                             .arg(named.join(QStringLiteral(", ")));
                    }
                    m_progress.setPercent(percentOf(i + 1, n));
                    continue;
                }
                found = !persons.isEmpty();
                person = found ? persons.first() : 0;
                clientId = id;
            }
            if (!found) {
                if (r.firstNotFound.size() < kNotFoundShown)
                    r.firstNotFound << id;
                ++r.notFound;
            } else if (members.contains(person)) {
                ++r.alreadyMembers;
            } else {
                writer.insert(listId, int(person), clientId, invited, confirmed);
                members.insert(person);
                ++r.added;
            }
            m_progress.setPercent(percentOf(i + 1, n));
        }
        writer.flush();
        writer.close();
    });
    return r;
}

QString ImportMembers::summary(const Result &r)
{
    QString s = shown("ImportMembers", "Added %1, already members %2, not found %3").arg(r.added).arg(r.alreadyMembers).arg(r.notFound);
    if (r.shared > 0)
        s += shown("ImportMembers", ", shared by several clients %1").arg(r.shared);
    s += QLatin1Char('.');
    const auto firstOf = [](int all, qsizetype count) {
        return all > count ? shown("ImportMembers", " (the first %1)").arg(count) : QString();
    };
    if (!r.firstNotFound.isEmpty())
        s += shown("ImportMembers", "\nNot found%1: %2")
                 .arg(firstOf(r.notFound, r.firstNotFound.size()), printableText(r.firstNotFound.join(QStringLiteral(", "))));
    if (!r.firstShared.isEmpty())
        s += shown("ImportMembers", "\nNot added, shared by several clients%1:\n  %2")
                 .arg(firstOf(r.shared, r.firstShared.size()), r.firstShared.join(QStringLiteral("\n  ")));
    return s;
}

} // namespace kv
