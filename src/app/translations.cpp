#include "app/translations.h"

#include "base/ui_text.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

std::string translatedText(const char* context, const char* text) {
    return QCoreApplication::translate(context, text).toStdString();
}

// Loads the translation of `name` for `locale` from `folder`; false when there is none.
bool installOne(QCoreApplication& app, const QLocale& locale, const QString& name,
                const QString& folder) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(locale, name, QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    return true;
}

} // namespace

QString translationsDirectory() {
    return QCoreApplication::applicationDirPath() +
           QStringLiteral("/../share/lumavane/translations");
}

void installTranslations(QCoreApplication& app, const QLocale& locale) {
    // The texts are written in English: there is no English translation to find. The C locale
    // keeps them as written even when LANGUAGE names other languages, as it does for every
    // other program.
    if (locale.language() == QLocale::C)
        return;
    if (!installOne(app, locale, QStringLiteral("lumavane"), translationsDirectory()))
        return;
    installOne(app, locale, QStringLiteral("qtbase"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    setUiTranslator(translatedText);
}
