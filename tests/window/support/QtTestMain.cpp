// SPDX-License-Identifier: GPL-3.0-or-later
// The main of every widget test: one QApplication on the offscreen platform around all tests.
#include <QApplication>

#include <gmock/gmock.h>

int main(int argc, char** argv) {
    // Listing the tests (CTest's discovery) runs without the test environment; never reach for a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
