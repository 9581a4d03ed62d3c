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
    return RUN_ALL_TESTS();
}
