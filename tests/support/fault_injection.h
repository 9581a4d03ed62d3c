#pragma once

#include "support/test_database.h"

#include <QString>
#include <QStringList>

// Makes the K-th row statement of one kind on a table fail ("injected
// failure"), counted from when it is armed, on SQLite and PostgreSQL alike: a
// trigger counts the rows in a table of its own and raises at the K-th. The
// count is part of the data, so a rolled-back run leaves it as it was too.
void failAtRow(TestDatabase &tdb, const QString &table, const QString &event /* INSERT, UPDATE or DELETE */, int k);

// Removes what failAtRow armed on the table for the event.
void disarm(TestDatabase &tdb, const QString &table, const QString &event);

// The text every injected failure carries.
inline const QString kInjectedFailure = QStringLiteral("injected failure");

// Every row of the tables as sorted text lines, to compare a database before
// and after an operation value for value.
QStringList tableSnapshot(TestDatabase &tdb, const QStringList &tables);

// PostgreSQL: ends the server process behind db's connection, as a server
// that stops or a connection that is cut does, and returns once it has ended.
// The next statement on db finds the connection gone.
void endServerConnection(TestDatabase &tdb, kv::Database &db);
