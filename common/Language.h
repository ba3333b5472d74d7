#pragma once

#include <string>
#include <string_view>

namespace zel {

// The languages the program and zelmarine-cli speak. Chinese is the program's own: its texts are
// written in it, English is a translation.
enum class UiLanguage { Chinese, English };

// The user's choice in config.ini (key "language" of section ZELMARINE): "auto" follows the
// desktop's locale, "zh" and "en" choose. Anything else counts as "auto".
enum class LanguageChoice { Automatic, Chinese, English };

constexpr const char* kConfigKeyLanguage = "language";

LanguageChoice ReadLanguageChoice(const std::string& configPath);
bool WriteLanguageChoice(LanguageChoice choice, const std::string& configPath);

// A locale name such as "zh_CN.UTF-8", "zh-Hans" or "en_US": Chinese ones get Chinese, every
// other (and none) English.
UiLanguage LanguageForLocale(std::string_view localeName);

// The locale of the messages by the POSIX rule: LC_ALL, else LC_MESSAGES, else LANG.
std::string MessagesLocaleFromEnvironment();

UiLanguage ResolveLanguage(LanguageChoice choice, UiLanguage ofLocale);

} // namespace zel
