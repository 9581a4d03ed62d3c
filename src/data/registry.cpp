#include "data/registry.h"

#include "data/engine/db_error.h"
#include "data/translate.h"

#include <QFile>
#include <QSettings>
#include <QUrl>

namespace kv {

namespace {

#ifdef Q_OS_WIN
QString registryPath(const QString &keyName)
{
    return QStringLiteral("HKEY_CURRENT_USER") + QString::fromLatin1(Registry::RootKey) + keyName;
}
#endif

#ifndef Q_OS_WIN
// The settings file reads an unquoted value with a comma as a list; the
// registry holds text, so the value is taken as it stands in the file.
QString rawIniValue(const QString &fileName, const QString &group, const QString &key)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QString section;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = QUrl::fromPercentEncoding(line.mid(1, line.size() - 2).toUtf8());
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0 || section.compare(group, Qt::CaseInsensitive) != 0)
            continue;
        if (QUrl::fromPercentEncoding(line.left(eq).trimmed().toUtf8()).compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(eq + 1).trimmed();
    }
    return QString();
}
#endif

} // namespace

QString Registry::readValue(const QString &keyName, const QString &valueName)
{
#ifdef Q_OS_WIN
    QSettings s(registryPath(keyName), QSettings::NativeFormat);
    const QVariant v = s.value(valueName);
#else
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("DBIsam"));
    // The current user's settings only, as HKEY_CURRENT_USER holds them: a
    // system-wide file (XDG_CONFIG_DIRS) must not choose this user's database.
    s.setFallbacksEnabled(false);
    if (s.status() == QSettings::FormatError)
        throw Error(shown("Registry", "The settings file %1 cannot be read.").arg(s.fileName()));
    s.beginGroup(keyName);
    const QVariant v = s.value(valueName);
    s.endGroup();
    if (v.typeId() == QMetaType::QStringList)
        return rawIniValue(s.fileName(), keyName, valueName);
#endif
    if (!v.isValid() || v.isNull())
        return QString();
    if (v.typeId() != QMetaType::QString)
        throw Error(shown("Registry", "Invalid data type for '%1'").arg(valueName));
    return v.toString();
}

bool Registry::writeValue(const QString &keyName, const QString &valueName, const QString &value)
{
#ifdef Q_OS_WIN
    QSettings s(registryPath(keyName), QSettings::NativeFormat);
    s.setValue(valueName, value);
#else
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("DBIsam"));
    s.beginGroup(keyName);
    s.setValue(valueName, value);
    s.endGroup();
#endif
    s.sync();
    return s.status() == QSettings::NoError && s.isWritable();
}

QString GetRegString(const QString &keyName, const QString &valueName)
{
    return Registry::readValue(keyName, valueName);
}

bool SetRegString(const QString &keyName, const QString &value)
{
    return Registry::writeValue(keyName, QString::fromLatin1(Registry::AppValue), value);
}

QString DBIsamAlias(const QString &aliasName)
{
    // A value of another type than text is an error the caller reports.
    return Registry::readValue(QString::fromLatin1(Registry::AliasKey), aliasName);
}

} // namespace kv
