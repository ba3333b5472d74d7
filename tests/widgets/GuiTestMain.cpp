// main() of the GUI test programs: GoogleTest runs inside a QApplication, so that widgets can
// be created, shown, grabbed and sent events.
#include "tests/support/TestApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    const auto app = zel::test::MakeTestApplication(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
