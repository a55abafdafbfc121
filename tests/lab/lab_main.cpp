// main() of every lab test program: the lab comes up once for the program,
// and a lab that cannot come up fails the program before any test runs.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/lab_router.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    std::string error;
    if (!lab::StartLab(&error)) {
        std::fprintf(stderr, "FAILED: no lab test ran, the lab router is not available: %s\n",
                     error.c_str());
        lab::StopLab(&error);
        return 1;
    }
    int result = RUN_ALL_TESTS();
    if (!lab::StopLab(&error)) {
        std::fprintf(stderr, "FAILED: cannot remove the lab: %s\n", error.c_str());
        result = 1;
    }
    return result;
}
