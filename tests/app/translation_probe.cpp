// The child of the translation test: starts the editor's windows off screen as the editor does,
// in the language of its environment, and prints what a user would read first, one text a line:
// the menu bar's menus, the title of the main window and of the Block Editor, and a button of
// the toolkit's own.
#include "app/app_windows.h"
#include "app/application.h"
#include "app/main_form.h"
#include "app/translations.h"
#include "editor/block_editor.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QMenuBar>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TApplication app(argc, argv);
    installTranslations(app, QLocale::system());
    TAppWindows windows;
    QStringList texts;
    for (const QAction* menu : windows.Form1->menuBar()->actions())
        texts << menu->text();
    texts << QString::fromStdString(windows.Form1->Document().Title())
          << windows.BEDlg->windowTitle();
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    texts << buttons.button(QDialogButtonBox::Cancel)->text();
    std::fputs(qPrintable(texts.join('\n') + '\n'), stdout);
    return 0;
}
