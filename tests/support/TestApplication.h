#pragma once

#include <QApplication>

#include <memory>

namespace zel::test {

// The QApplication of the GUI test programs and the benchmarks: on the offscreen platform unless
// QT_QPA_PLATFORM chooses another, and without the offscreen platform's notice that it cannot
// give a window its mask (every rounded frame would print it).
std::unique_ptr<QApplication> MakeTestApplication(int& argc, char** argv);

} // namespace zel::test
