#include "support/core/test_env.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setUpPrivateEnvironment();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
