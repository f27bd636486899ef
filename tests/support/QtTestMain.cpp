// One Qt application for a whole test program, for the programs whose tests run Qt's event loop:
// a QApplication on the offscreen platform (unless another is set) where the tests use widgets,
// a QCoreApplication otherwise.

#include <gtest/gtest.h>

#ifdef KORVO_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
