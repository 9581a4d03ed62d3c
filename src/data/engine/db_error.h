#pragma once

#include <QString>
#include <stdexcept>

namespace kv {

// The base of every error the plug-in raises itself. It carries the text a
// message box shows, so that handlers can show "the error's own text".
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

// A database error keeps its context: what we were doing, what the driver
// said and which statement it was. text() is what the user reads.
class DbError : public Error
{
public:
    DbError(const QString &operation, const QString &driverText, const QString &statement = {});

    QString operation() const { return m_operation; }
    QString driverText() const { return m_driverText; }
    QString statement() const { return m_statement; }

private:
    QString m_operation;
    QString m_driverText;
    QString m_statement;
};

// Raised after the user has been told that the application must end (a
// missing or invalid data location). Whoever catches it shows nothing more.
class ApplicationEnding : public Error
{
public:
    explicit ApplicationEnding(const QString &reason);
};

} // namespace kv
