#include "app/app_windows.h"
#include "app/application.h"
#include "app/command_line.h"
#include "app/main_form.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    const TCommandLine command =
        parseCommandLine(app.arguments(), QFile::encodeName(QDir::currentPath()).toStdString());
    if (command.exitStatus) {
        std::fputs(command.output.c_str(), *command.exitStatus == 0 ? stdout : stderr);
        return *command.exitStatus;
    }
    TAppWindows windows;
    windows.Form1->show();
    app.CloseOnTerminationSignals(windows.Form1.get());
    if (command.file)
        openFileAtStart(*windows.Form1, *command.file);
    return app.exec();
}
