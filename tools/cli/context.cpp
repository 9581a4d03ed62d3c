#include "tools/cli/cli.h"

#include "data/dates.h"
#include "data/trace.h"
#include "data/engine/query.h"
#include "data/engine/unit_of_work.h"
#include "data/printable_text.h"
#include "data/translate.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <exception>
#include <limits>
#include <stdexcept>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kv::cli {

// ---------------------------------------------------------------- interrupt

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int signal)
{
    g_interrupted = 1;
    // The next one ends the process the ordinary way (the database rolls an
    // unfinished transaction back by itself).
    std::signal(signal, SIG_DFL);
}

} // namespace

void installInterruptHandler()
{
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    // A signal after the last progress tick still stops the run: the unit of
    // work asks once more just before COMMIT.
    UnitOfWork::setBeforeCommit([] { stopIfInterrupted("commit"); });
}

bool interruptRequested()
{
    return g_interrupted != 0;
}

void pauseAt(const char *phase)
{
    static const QByteArray wanted = qgetenv("KESTROVAN_CLI_PAUSE_AT");
    static bool paused = false;
    if (paused || wanted.isEmpty() || wanted != phase)
        return;
    paused = true;
    std::fprintf(stderr, "kestrovan: paused at %s\n", phase);
    std::fflush(stderr);
    // Bounded, so that a test that never signals cannot hang the suite.
    for (int waited = 0; !interruptRequested() && waited < 120000; waited += 5)
        QThread::msleep(5);
}

void stopIfInterrupted(const char *phase)
{
    // Never from a destructor while an exception is already on its way (the
    // operations reset their progress on the way out).
    if (std::uncaught_exceptions() != 0)
        return;
    pauseAt(phase);
    if (interruptRequested())
        throw Cancelled();
}

void CliProgress::setPercent(int)
{
    stopIfInterrupted("write");
}

void CliProgress::busy(bool on)
{
    // A long set-based statement is about to run: stop before it, not after.
    if (on)
        stopIfInterrupted("write");
}

// ---------------------------------------------------------------- prompts

Prompts::Answer CliPrompts::ask(Kind, const QString &text, Buttons buttons)
{
    if (!m_yes)
        throw QuestionRefused{text};
    return (buttons == Buttons::OkCancel || buttons == Buttons::Ok) ? Answer::Ok : Answer::Yes;
}

void CliPrompts::printHeldErrors()
{
    for (const QString &text : takeHeldErrors())
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

void CliPrompts::show(Kind kind, const QString &text)
{
    if (kind == Kind::Error && m_hold) {
        m_errorShown = true;
        m_held << text;
    } else if (kind == Kind::Error) {
        m_errorShown = true;
        std::fprintf(stderr, "%s\n", qPrintable(text));
    } else {
        std::fprintf(stdout, "%s\n", qPrintable(text));
    }
    std::fflush(stdout);
}

// ---------------------------------------------------------------- context

QString noListNamed(const QString &name)
{
    return QStringLiteral("There is no list named \"%1\".").arg(name);
}

Context::Context(const Invocation &invocation)
    : dataDir(invocation.dataDir)
    , server(invocation.server)
    , userName(invocation.userName)
    , yes(invocation.yes)
    , m_inv(invocation)
{
}

Context::~Context()
{
    if (DataModuleLists == m_dm.get())
        DataModuleLists = nullptr;
}

CliPrompts &Context::prompts()
{
    if (!m_prompts)
        m_prompts = std::make_unique<CliPrompts>(yes);
    return *m_prompts;
}

TDataModuleLists &Context::dataModule(FirstReads firstReads)
{
    if (m_dm)
        return *m_dm;
    TDataModuleLists::Overrides o;
    if (!server.isEmpty()) {
        o.mode = QStringLiteral("C");
        o.serverIp = server;
        if (!dataDir.isEmpty())
            o.alias = dataDir;
    } else if (!dataDir.isEmpty()) {
        o.mode = QStringLiteral("F");
        o.alias = dataDir;
    }
    if (qEnvironmentVariableIsSet("KESTROVAN_PG_PORT"))
        o.serverPort = qEnvironmentVariable("KESTROVAN_PG_PORT").toInt();
    if (qEnvironmentVariableIsSet("KESTROVAN_PG_SCHEMA"))
        o.pgSchema = qEnvironmentVariable("KESTROVAN_PG_SCHEMA");
    m_dm = std::make_unique<TDataModuleLists>(prompts(), [] {}, nullptr, o);
    prompts().holdErrors(true);
    const auto release = qScopeGuard([this] {
        prompts().holdErrors(false);
        prompts().printHeldErrors();
    });
    // Each subcommand opens the queries it reads, when it reads them: a
    // workstation far from the server pays a round trip for every one, but
    // for those it reads first, which travel with the catalogue query.
    QList<Query *> first;
    for (Query *TDataModuleLists::*q : firstReads)
        first << (*m_dm).*q;
    m_dm->connectDatabases(first);
    DataModuleLists = m_dm.get();
    // The windows go on after a standing query failed to open (the error is
    // shown); a script must not: whatever it asked for would run on a data
    // module that is not whole, and a write would follow a printed error.
    if (prompts().errorShown()) {
        // A server that went away says so in one line (main); its echoes go to the trace.
        if (serverWentAway())
            for (const QString &text : prompts().takeHeldErrors())
                Trace::message(text);
        throw Error(shown("UnitOfWork", UnitOfWork::kNothingWritten));
    }
    return *m_dm;
}

bool Context::serverWentAway()
{
    // Only a server reached over a link can go away under a running command.
    if (!m_dm || !m_dm->DatabaseLists->isConnected() || !m_dm->DatabaseLists->engine().paysRoundTrips())
        return false;
    Database probe(QStringLiteral("BrenquistalProbe"));
    probe.setSession(m_dm->SessionLists);
    probe.setRemoteDatabase(m_dm->DatabaseLists->remoteDatabase());
    try {
        probe.connect();
        probe.disconnect();
        return false;
    } catch (const Error &e) {
        // Decides: a server that refuses a new connection has gone away.
        Trace::message(e.text());
        return true;
    }
}

QString Context::serverName() const
{
    if (!m_dm)
        return server;
    return QStringLiteral("%1:%2").arg(m_dm->SessionLists->remoteAddress()).arg(m_dm->SessionLists->remotePort());
}

QTextStream &Context::out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &Context::err()
{
    static QTextStream s(stderr);
    return s;
}

QString Context::declared(const QString &name) const
{
    QString bare = name;
    while (bare.startsWith(QLatin1Char('-')))
        bare.remove(0, 1);
    for (const OptionSpec &o : m_inv.command->options)
        if (o.name == bare)
            return bare;
    throw std::logic_error(("the subcommand does not declare the option --" + bare.toStdString()
                            + "; add it to the options of its Registration"));
}

QString Context::option(const QString &name, const QString &fallback) const
{
    const QString bare = declared(name);
    return m_inv.values.contains(bare) ? m_inv.values.value(bare) : fallback;
}

bool Context::hasOption(const QString &name) const
{
    return m_inv.values.contains(declared(name));
}

QString Context::requireOption(const QString &name) const
{
    const QString bare = declared(name);
    if (!m_inv.values.contains(bare))
        throw UsageError{QStringLiteral("--%1 is required").arg(bare)};
    return m_inv.values.value(bare);
}

QString Context::choice(const QString &name, const QStringList &words, const QString &fallback) const
{
    const QString bare = declared(name);
    if (!m_inv.values.contains(bare))
        return fallback;
    const QString v = m_inv.values.value(bare);
    for (const QString &w : words)
        if (w.compare(v, Qt::CaseInsensitive) == 0)
            return w;
    QString expected;
    for (int i = 0; i < words.size(); ++i)
        expected += (i == 0 ? QString() : i + 1 == words.size() ? QStringLiteral(" or ") : QStringLiteral(", ")) + words.at(i);
    throw UsageError{QStringLiteral("--%1 takes %2, not \"%3\"").arg(bare, expected, v)};
}

int Context::intOption(const QString &name, int min, int max, int fallback) const
{
    const QString bare = declared(name);
    if (!m_inv.values.contains(bare))
        return fallback;
    const QString v = m_inv.values.value(bare);
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok || n < min || n > max)
        throw UsageError{QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"").arg(bare).arg(min).arg(max).arg(v)};
    return int(n);
}

QDate Context::dateOption(const QString &name) const
{
    const QString bare = declared(name);
    if (!m_inv.values.contains(bare))
        return QDate();
    const QString v = m_inv.values.value(bare);
    const std::optional<QDate> d = AcceptedDates::parseIso(v);
    if (!d)
        throw UsageError{QStringLiteral("--%1 takes %2, not \"%3\"").arg(bare, shown("AcceptedDates", AcceptedDates::kExpectedText), v)};
    return *d;
}

std::optional<int> Context::idOption(const QString &name, const QString &word) const
{
    const QString bare = declared(name);
    const QString v = m_inv.values.value(bare);
    if (!word.isEmpty() && v.compare(word, Qt::CaseInsensitive) == 0)
        return std::nullopt;
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok || n < 1 || n > std::numeric_limits<int>::max()) {
        const QString alternative = word.isEmpty() ? QString() : QStringLiteral(" or the word %1").arg(word);
        throw UsageError{QStringLiteral("--%1 takes an id (a whole number from 1)%2, not \"%3\"").arg(bare, alternative, v)};
    }
    return int(n);
}

bool Context::machineReadable() const
{
    bool json = false, csv = false;
    for (const OptionSpec &o : m_inv.command->options) {
        json = json || (o.name == QLatin1String("json") && m_inv.values.contains(o.name));
        csv = csv || (o.name == QLatin1String("csv") && m_inv.values.contains(o.name));
    }
    if (json && csv)
        throw UsageError{QStringLiteral("choose one of --json and --csv")};
    return json || csv;
}

void Context::printRows(const QStringList &titles, const QStringList &jsonKeys, const QList<QStringList> &rows)
{
    machineReadable(); // refuses both at once
    auto given = [&](const char *name) {
        for (const OptionSpec &o : m_inv.command->options)
            if (o.name == QLatin1String(name))
                return m_inv.values.contains(o.name);
        return false;
    };
    // A person's terminal is shown control characters rather than made to run
    // them; a file or a pipe gets every character as stored.
    const bool terminal = writesToTerminal(stdout);
    if (given("json")) {
        printJsonLines(out(), jsonKeys, rows, terminal);
        return;
    }
    QList<QStringList> shown = rows;
    if (terminal)
        for (QStringList &row : shown)
            for (QString &cell : row)
                cell = printableText(given("csv") ? cell : cell.simplified());
    if (given("csv"))
        printCsv(out(), titles, shown);
    else
        printTable(out(), titles, shown);
}

bool writesToTerminal(FILE *stream)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

OptionSpec jsonOption(const QString &keys)
{
    return {QStringLiteral("json"), QString(), QStringLiteral("one JSON object per line, with the keys ") + keys};
}

OptionSpec csvOption()
{
    return {QStringLiteral("csv"), QString(), kCsvRuleText};
}

QList<OptionSpec> listOptions(const QString &what)
{
    return {{QStringLiteral("list"), QStringLiteral("NAME"), what + QStringLiteral(" (one of the plug-in's lists)")},
            {QStringLiteral("list-id"), QStringLiteral("N"),
             QStringLiteral("the same list by its id (as \"kestrovan lists\" shows it), for a name two lists share")}};
}

QString noListWithId(int id)
{
    return QStringLiteral("There is no list with id %1.").arg(id);
}

Context::ChosenList Context::chosenList()
{
    const bool byName = hasOption(QStringLiteral("list")), byId = hasOption(QStringLiteral("list-id"));
    if (byName == byId)
        throw UsageError{QStringLiteral("give one of --list and --list-id")};
    const int id = byId ? idOption(QStringLiteral("list-id"), QString()).value_or(0) : 0;
    const QString name = option(QStringLiteral("list"));

    Query &lookup = *dataModule().QueryListLookup;
    if (lookup.isOpen())
        lookup.refresh();
    else
        lookup.open();
    const int idField = lookup.fieldIndex(QStringLiteral("Record_ID"));
    const int nameField = lookup.fieldIndex(QStringLiteral("List_Name"));
    QList<int> rows;
    for (int r = 0; r < lookup.recordCount(); ++r)
        if (byId ? lookup.valueAt(r, idField).toLongLong() == id : lookup.valueAt(r, nameField).toString() == name)
            rows << r;
    if (rows.isEmpty())
        throw UsageError{byId ? noListWithId(id) : noListNamed(name)};
    if (rows.size() > 1) {
        QString text = QStringLiteral("%1 lists are named \"%2\"; choose one with --list-id:").arg(rows.size()).arg(name);
        for (int r : std::as_const(rows)) {
            const QVariant created = lookup.valueAt(r, lookup.fieldIndex(QStringLiteral("Create_Date")));
            text += QStringLiteral("\n  --list-id %1  created %2  %3")
                        .arg(lookup.valueAt(r, idField).toString(),
                             created.isNull() ? QStringLiteral("(no date)") : created.toDate().toString(Qt::ISODate),
                             lookup.valueAt(r, lookup.fieldIndex(QStringLiteral("List_Desc"))).toString().simplified());
        }
        throw UsageError{text};
    }
    lookup.locate({QStringLiteral("Record_ID")}, {lookup.valueAt(rows.first(), idField)});
    return {lookup.valueAt(rows.first(), idField).toInt(), lookup.valueAt(rows.first(), nameField).toString()};
}

namespace {

// What the window's lookups offer: a delivery service, an item.
bool lookupHas(Query &q, const QString &keyField, int id)
{
    if (q.isOpen())
        q.refresh();
    else
        q.open();
    const int f = q.fieldIndex(keyField);
    for (int r = 0; r < q.recordCount(); ++r)
        if (q.valueAt(r, f).toLongLong() == id)
            return true;
    return false;
}

} // namespace

void Context::requireService(int serviceId)
{
    if (!lookupHas(*dataModule().QueryServices, QStringLiteral("Service_ID"), serviceId))
        throw UsageError{QStringLiteral("There is no delivery service with ID %1.").arg(serviceId)};
}

void Context::requireItem(int itemId)
{
    if (!lookupHas(*dataModule().QueryItems, QStringLiteral("Item_ID"), itemId))
        throw UsageError{QStringLiteral("There is no item with ID %1.").arg(itemId)};
}

// ---------------------------------------------------------------- output

void printTable(QTextStream &out, const QStringList &titles, const QList<QStringList> &rows)
{
    const int n = int(titles.size());
    QList<int> widths;
    for (const QString &t : titles)
        widths << int(t.size());
    for (const QStringList &row : rows)
        for (int i = 0; i < n && i < row.size(); ++i)
            widths[i] = qMax(widths[i], int(row[i].simplified().size()));
    auto line = [&](const QStringList &cells) {
        QString s;
        for (int i = 0; i < n; ++i) {
            // A line break inside a value would break the columns.
            const QString cell = cells.value(i).simplified();
            s += i + 1 < n ? cell.leftJustified(widths[i]) + QStringLiteral("  ") : cell;
        }
        while (s.endsWith(QLatin1Char(' ')))
            s.chop(1);
        out << s << Qt::endl;
    };
    line(titles);
    QStringList rule;
    for (int w : std::as_const(widths))
        rule << QString(w, QLatin1Char('-'));
    line(rule);
    for (const QStringList &row : rows)
        line(row);
}

QString csvField(const QString &value)
{
    static const QString special = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (const QChar c : value)
        quote = quote || special.contains(c);
    if (!quote)
        return value;
    QString q = value;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QString spreadsheetSafe(const QString &value)
{
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    // "-5" and "+1.5" are numbers a spreadsheet must keep as numbers.
    static const QRegularExpression number(QStringLiteral("^[+-]?([0-9]+([.][0-9]*)?|[.][0-9]+)([eE][+-]?[0-9]+)?$"));
    if (value.isEmpty() || !formulaStarts.contains(value.front()) || number.match(value).hasMatch())
        return value;
    return QLatin1Char('\'') + value;
}

void printCsv(QTextStream &out, const QStringList &titles, const QList<QStringList> &rows)
{
    auto line = [&](const QStringList &cells) {
        QStringList quoted;
        for (const QString &c : cells)
            quoted << csvField(spreadsheetSafe(c));
        out << quoted.join(QLatin1Char(',')) << QStringLiteral("\r\n");
    };
    line(titles);
    for (const QStringList &row : rows)
        line(row);
    out.flush();
}

void printJsonLines(QTextStream &out, const QStringList &keys, const QList<QStringList> &rows, bool terminal)
{
    for (const QStringList &row : rows) {
        QJsonObject o;
        for (int i = 0; i < keys.size(); ++i)
            o.insert(keys.at(i), row.value(i));
        QString line = QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
        if (terminal) {
            // JSON writes the controls below U+0020 as escapes already; DEL and
            // the C1 controls become escapes too, the same value to a reader.
            QString safe;
            for (const QChar c : std::as_const(line))
                safe += isControlCharacter(c.unicode()) ? QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0')) : QString(c);
            line = safe;
        }
        out << line << QLatin1Char('\n');
    }
    out.flush();
}

} // namespace kv::cli
