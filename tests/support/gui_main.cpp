#include "support/core/test_env.h"

#include "app/application.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setUpPrivateEnvironment();
    // Windows are real but drawn off screen unless the caller asks for a display.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    testing::InitGoogleTest(&argc, argv);
    // The program's own application object, so that errors reach its report as in a real run.
    TApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
