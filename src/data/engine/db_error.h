#pragma once

#include <QString>
#include <exception>
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

// The text the user reads for an exception: our errors' own text, the
// standard library's what(), and kUnexpectedErrorText (translated under the
// context "RunAction") for anything else or an empty text. Written once: the
// windows' boundary, the unit of work, the row-set model and the command line
// all say an error the same way.
QString errorText(const std::exception_ptr &error);
// The same for the exception being handled (call it inside a catch block);
// outside one, kUnexpectedErrorText.
QString currentErrorText();

// What the user reads for an exception that carries no text of its own.
extern const QString kUnexpectedErrorText;

// The first failure of steps that must all run (closing steps after a failed
// step): record() inside a catch block keeps the exception being handled, or,
// when an earlier one is kept, writes its text to the trace; rethrow() passes
// the kept one on, so the user reads one error, the first.
class FirstFailure
{
public:
    void record();
    void rethrow() const;

private:
    std::exception_ptr m_first;
};

} // namespace kv
