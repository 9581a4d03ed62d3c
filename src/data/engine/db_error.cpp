#include "data/engine/db_error.h"

#include "data/trace.h"

#include <QCoreApplication>

namespace kv {

const QString kUnexpectedErrorText = QString::fromUtf8(QT_TRANSLATE_NOOP("RunAction", "An unexpected error occurred."));

Error::Error(const QString &text)
    : std::runtime_error(text.toStdString())
    , m_text(text)
{
}

static QString composeText(const QString &operation, const QString &driverText)
{
    const QString driver = driverText.trimmed().isEmpty() ? QStringLiteral("Unknown database error") : driverText.trimmed();
    if (operation.isEmpty())
        return driver;
    return driver + QStringLiteral("\n(") + operation + QLatin1Char(')');
}

DbError::DbError(const QString &operation, const QString &driverText, const QString &statement)
    : Error(composeText(operation, driverText))
    , m_operation(operation)
    , m_driverText(driverText)
    , m_statement(statement)
{
}

ApplicationEnding::ApplicationEnding(const QString &reason)
    : Error(reason)
{
}

QString errorText(const std::exception_ptr &error)
{
    QString text;
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const Error &e) {
            text = e.text();
        } catch (const std::exception &e) {
            text = QString::fromLocal8Bit(e.what());
        } catch (...) {
        }
    }
    return text.isEmpty() ? QCoreApplication::translate("RunAction", kUnexpectedErrorText.toUtf8().constData()) : text;
}

QString currentErrorText()
{
    return errorText(std::current_exception());
}

void FirstFailure::record()
{
    if (!m_first)
        m_first = std::current_exception();
    else
        Trace::value(QStringLiteral("A further error, after the one reported"), currentErrorText());
}

void FirstFailure::rethrow() const
{
    if (m_first)
        std::rethrow_exception(m_first);
}

} // namespace kv
