#include "BenchApplication.h"

#include "tests/support/TestApplication.h"

namespace zel::bench {

QApplication& BenchApplication() {
    static int argc = 1;
    static char name[] = "zel_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return test::MakeTestApplication(argc, argv).release();
    }();
    return *app;
}

} // namespace zel::bench
