#pragma once

class QApplication;

namespace zel::bench {

// The one QApplication of the benchmark program, made on first use on the offscreen platform.
QApplication& BenchApplication();

} // namespace zel::bench
