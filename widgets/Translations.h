#pragma once

#include "common/Language.h"

#include <QLocale>
#include <QString>
#include <string>

namespace zel {

// The language of the desktop's locale, QLocale::system(): Chinese locales get Chinese, every
// other English.
UiLanguage SystemLanguage();

// Puts the program's texts and Qt's own (its dialogs and message boxes) into the language:
// English loads the built-in translation of the program and Qt's English texts, Chinese Qt's
// Chinese ones (the program's own texts are Chinese). qtTexts false leaves Qt's texts as they
// are built in. Replaces whatever an earlier call installed; windows made afterwards speak the
// new language. Returns false when the program's translation could not be loaded.
bool InstallTranslations(UiLanguage language, bool qtTexts = true);

// A text of the device layer (StateText, TransferMessage, the transfer's progress) in the
// current language.
QString DeviceText(const std::string& text);

// The language of the last InstallTranslations, Chinese before any.
UiLanguage CurrentLanguage();

} // namespace zel
