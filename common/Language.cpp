#include "common/Language.h"

#include "common/DeviceAddress.h"
#include "common/IniFile.h"

#include <cstdlib>

namespace zel {

LanguageChoice ReadLanguageChoice(const std::string& configPath) {
    const std::string value = IniFile::ReadOr(configPath, kConfigSection, kConfigKeyLanguage, "");
    if (value == "zh")
        return LanguageChoice::Chinese;
    if (value == "en")
        return LanguageChoice::English;
    return LanguageChoice::Automatic;
}

bool WriteLanguageChoice(LanguageChoice choice, const std::string& configPath) {
    const char* value = choice == LanguageChoice::Chinese   ? "zh"
                        : choice == LanguageChoice::English ? "en"
                                                            : "auto";
    return IniFile::Write(configPath, kConfigSection, kConfigKeyLanguage, value);
}

UiLanguage LanguageForLocale(std::string_view localeName) {
    const bool chinese = localeName.size() >= 2 && (localeName[0] == 'z' || localeName[0] == 'Z') &&
                         (localeName[1] == 'h' || localeName[1] == 'H') &&
                         (localeName.size() == 2 || localeName[2] == '_' || localeName[2] == '-' ||
                          localeName[2] == '.' || localeName[2] == '@');
    return chinese ? UiLanguage::Chinese : UiLanguage::English;
}

std::string MessagesLocaleFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return {};
}

UiLanguage ResolveLanguage(LanguageChoice choice, UiLanguage ofLocale) {
    switch (choice) {
    case LanguageChoice::Chinese:
        return UiLanguage::Chinese;
    case LanguageChoice::English:
        return UiLanguage::English;
    case LanguageChoice::Automatic:
        break;
    }
    return ofLocale;
}

} // namespace zel
