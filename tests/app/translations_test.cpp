#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

// What the editor shows first when it starts with `lang` as the user's language.
QStringList firstTexts(const QString& lang) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LANG"), lang);
    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(LUMAVANE_TRANSLATION_PROBE), {});
    EXPECT_TRUE(probe.waitForFinished(30000)) << qPrintable(lang);
    EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
    return QString::fromUtf8(probe.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

TEST(TranslationsTest, TheUsersLanguageChoosesTheTextsAndTheCLocaleKeepsThemAsWritten) {
    const struct {
        const char* lang;
        QStringList texts;
    } cases[] = {
        {"de_DE.UTF-8",
         {"&Datei", "&Bearbeiten", "&Ansicht", "&Senden",
          "Lumavane Meldungseditor V1.0 -- [neue Datei]", "Block-Editor", "Abbrechen"}},
        {"C",
         {"&File", "&Edit", "&View", "&Send", "Lumavane Message Editor V1.0 -- [new file]",
          "Block Editor", "Cancel"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(firstTexts(c.lang), c.texts) << c.lang;
}

} // namespace
