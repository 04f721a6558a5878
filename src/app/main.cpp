#include "app/app_windows.h"
#include "app/application.h"
#include "app/command_line.h"
#include "app/main_form.h"
#include "app/recovery_keeper.h"
#include "app/translations.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unistd.h>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    installTranslations(app, QLocale::system());
    // The toolkit has taken its own options out of argv.
    std::error_code noFolder;
    const TCommandLine command =
        parseCommandLine(argumentsOf(argc, argv), std::filesystem::current_path(noFolder).native());
    if (command.exitStatus) {
        if (*command.exitStatus == 0)
            std::fputs(command.output.c_str(), stdout);
        else
            tellRefusal(command.output, ::isatty(STDIN_FILENO) || ::isatty(STDERR_FILENO));
        return *command.exitStatus;
    }
    TAppWindows windows;
    windows.Form1->show();
    app.CloseOnTerminationSignals(windows.Form1.get());
    if (command.file)
        openFileAtStart(*windows.Form1, *command.file);
    // Unsaved work of an editor that did not end is offered once the window (and the file
    // asked for) is there.
    offerRecoveryAtStart(*windows.Form1);
    return app.exec();
}
