#include "widgets/Translations.h"

#include "resources/Resources.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>
#include <memory>

namespace zel {
namespace {

UiLanguage current = UiLanguage::Chinese;
std::unique_ptr<QTranslator> programTexts;
std::unique_ptr<QTranslator> qtTexts;

void Remove(std::unique_ptr<QTranslator>& translator) {
    if (translator)
        QCoreApplication::removeTranslator(translator.get());
    translator.reset();
}

} // namespace

UiLanguage SystemLanguage() {
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::Chinese)
        return UiLanguage::Chinese;
    // The C locale names no language; its name says what the environment asked for.
    return LanguageForLocale(system.name().toStdString());
}

bool InstallTranslations(UiLanguage language, bool loadQtTexts) {
    InitResources();
    Remove(programTexts);
    Remove(qtTexts);
    current = language;
    bool loaded = true;
    if (language == UiLanguage::English) {
        programTexts = std::make_unique<QTranslator>();
        loaded = programTexts->load(QStringLiteral(":/i18n/zelmarine_en.qm"));
        if (loaded)
            QCoreApplication::installTranslator(programTexts.get());
        else
            programTexts.reset();
    }
    if (loadQtTexts) {
        qtTexts = std::make_unique<QTranslator>();
        const QString name = language == UiLanguage::English ? QStringLiteral("qtbase_en")
                                                             : QStringLiteral("qtbase_zh_CN");
        if (qtTexts->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(qtTexts.get());
        else
            qtTexts.reset();
    }
    return loaded;
}

QString DeviceText(const std::string& text) {
    // The transfer's progress comes formatted: "第%d帧/共%d帧".
    static const QRegularExpression frames(QStringLiteral("^第(\\d+)帧/共(\\d+)帧$"));
    const QString source = QString::fromStdString(text);
    if (const QRegularExpressionMatch m = frames.match(source); m.hasMatch())
        return QCoreApplication::translate("zel::DeviceText", "第%1帧/共%2帧")
            .arg(m.captured(1), m.captured(2));
    return QCoreApplication::translate("zel::DeviceText", text.c_str());
}

UiLanguage CurrentLanguage() {
    return current;
}

} // namespace zel
