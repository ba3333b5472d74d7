#pragma once

#include "common/Language.h"

#include <initializer_list>
#include <string>

namespace zel::cli {

// The language of zelmarine-cli's messages to a person: Chinese, the tool's own, unless main
// chooses English by the locale rule of the program (config.ini's choice, else the locale of
// the messages). JSON output is the same in every language.
void SetMessageLanguage(UiLanguage language);
UiLanguage MessageLanguage();
UiLanguage MessageLanguageForThisProcess(); // config.ini and the environment

// A message in the chosen language: the Chinese text, or its English from the tool's table.
// %1, %2, ... are replaced by the arguments in both languages.
std::string Say(const char* chinese, std::initializer_list<std::string> arguments = {});

// A text of the device layer (TransferMessage, StateText, the transfer's progress).
std::string SayDevice(const std::string& chinese);

// The texts the table translates; every Chinese message of the tool is one of them.
bool HasEnglish(const std::string& chinese);

} // namespace zel::cli
