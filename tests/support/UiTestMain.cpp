// Main of the test programs that drive the real window: the tool's own application object (with
// its general error handler) on the offscreen platform.
#include <gtest/gtest.h>

#include "window/Application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vl48::TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
