#include "data/engine/write_guard.h"

#include <QApplication>
#include <gtest/gtest.h>

// Widgets, message boxes and Qt SQL all want an application object; one per
// test process, offscreen, is enough for every folder.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // Every suite runs under the check that nothing writes outside a unit of
    // work: a window that writes when nobody asked fails the case it ran in.
    kv::WriteGuard::setHandler([](const QString &database, const QString &statement) {
        ADD_FAILURE() << "A write outside a unit of work on the " << database.toStdString()
                      << " database: " << statement.toStdString();
    });
    return RUN_ALL_TESTS();
}
