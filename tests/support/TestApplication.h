#pragma once

#include "common/Language.h"

#include <QApplication>

#include <memory>

namespace zel::test {

// The QApplication of the GUI test programs and the benchmarks: on the offscreen platform unless
// QT_QPA_PLATFORM chooses another, and without the offscreen platform's notice that it cannot
// give a window its mask (every rounded frame would print it).
// Its windows speak Chinese unless ZEL_TEST_LANGUAGE=en asks for English.
std::unique_ptr<QApplication> MakeTestApplication(int& argc, char** argv);

// Windows made from now on speak this language (the program's texts and Qt's own).
void UseLanguage(UiLanguage language);

} // namespace zel::test
