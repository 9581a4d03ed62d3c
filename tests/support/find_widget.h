#pragma once

#include <QObject>
#include <QString>

#include <gtest/gtest.h>

namespace kv::test {

// The widget (or action, or any object) of that object name under root, the
// way a test reaches a window's controls now that forms keep them private.
// A missing or mistyped name fails the test at the caller rather than
// crashing on a null pointer a few lines later.
template<class T>
T *need(const QObject *root, const QString &objectName)
{
    T *found = root ? root->findChild<T *>(objectName) : nullptr;
    if (!found)
        ADD_FAILURE() << "no " << T::staticMetaObject.className() << " named \"" << objectName.toStdString()
                      << "\" under " << (root ? root->metaObject()->className() : "(null)");
    return found;
}

} // namespace kv::test
