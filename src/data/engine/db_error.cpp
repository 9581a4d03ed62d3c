#include "data/engine/db_error.h"

namespace kv {

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

} // namespace kv
