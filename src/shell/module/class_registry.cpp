#include "shell/module/class_registry.h"

#include <QHash>
#include <QStringList>

namespace kv {

namespace {
QHash<QString, ClassRegistry::Factory> &classes()
{
    static QHash<QString, ClassRegistry::Factory> registry;
    return registry;
}
} // namespace

void ClassRegistry::registerClass(const QString &name, Factory factory)
{
    classes().insert(name, std::move(factory));
}

void ClassRegistry::unregisterClass(const QString &name)
{
    classes().remove(name);
}

bool ClassRegistry::isRegistered(const QString &name)
{
    return classes().contains(name);
}

QObject *ClassRegistry::create(const QString &name, QWidget *owner)
{
    const auto it = classes().constFind(name);
    return it == classes().constEnd() ? nullptr : (*it)(owner);
}

QStringList ClassRegistry::names()
{
    return classes().keys();
}

} // namespace kv
