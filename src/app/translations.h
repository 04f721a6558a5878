#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

// The editor in the user's language: its own translation (lumavane_<language>.qm) and the
// toolkit's (qtbase_<language>.qm, for the texts of the file and print dialogs), chosen for
// `locale`, and the core's fixed texts routed through them. A language without a translation
// leaves every text in English.
void installTranslations(QCoreApplication& app, const QLocale& locale);

// Where the editor's translations live: share/lumavane/translations beside the bin folder of
// the program, in the build tree and in an installation alike.
QString translationsDirectory();
