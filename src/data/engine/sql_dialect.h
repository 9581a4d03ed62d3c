#pragma once

#include <QString>
#include <QStringList>

namespace kv {

enum class Backend { SQLite, PostgreSQL };

// Where one backend's dialect differs from another's; each backend gives its
// own (SqlBackend::dialect), so the translator never asks which engine it is.
struct DialectTraits
{
    // The case-blind collation "NoCase" becomes, spelt as the engine knows it.
    QString caseBlindCollation;
    // Column names of the system that the engine reserves; written quoted, in this spelling.
    QStringList reservedNames;
    // False where ORDER BY cannot collate an output alias: the alias is then
    // replaced by the expression it stands for.
    bool collatesAliases = true;
};

// Turns a statement written in the system's own SQL into the backend's dialect.
// It works on tokens: text literals and parameters pass through untouched.
//   a + 'x' + b          -> a || 'x' || b
//   order by X NoCase    -> order by X COLLATE NOCASE (SQLite) / COLLATE nocase (PostgreSQL)
//   not x                -> NOT COALESCE((x), FALSE)  (two-valued, as the system expects)
//   User                 -> "User" on PostgreSQL, where it is reserved
class SqlDialect
{
public:
    static QString translate(const QString &sql, const DialectTraits &traits);
    // The same with the traits of the given backend.
    static QString translate(const QString &sql, Backend backend);

    // The names of the parameters (":Name") in order of first appearance.
    static QStringList parameterNames(const QString &sql);

    // The first word of the statement in upper case (SELECT, INSERT, ...).
    static QString statementKind(const QString &sql);
};

} // namespace kv
