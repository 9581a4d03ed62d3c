#pragma once

#include <QString>
#include <functional>

class QObject;
class QWidget;

namespace kv {

// The module's class registry: classes that the host may create by name.
class ClassRegistry
{
public:
    using Factory = std::function<QObject *(QWidget *owner)>;

    static void registerClass(const QString &name, Factory factory);
    static void unregisterClass(const QString &name);
    static bool isRegistered(const QString &name);
    // Null when no class of that name is registered.
    static QObject *create(const QString &name, QWidget *owner);
    static QStringList names();
};

} // namespace kv
