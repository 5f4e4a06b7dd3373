// Drives Pellwick.exe from outside, as a person would: argv[1] is the program to test.
#include <gtest/gtest.h>

#include "app.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: pellwick_driver_tests <Pellwick.exe>\n");
        return 2;
    }
    testwin::ProgramUnderTest() = std::filesystem::path(argv[1]);
    return RUN_ALL_TESTS();
}
