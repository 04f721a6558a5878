#include "app/app_windows.h"
#include "app/application.h"
#include "app/main_form.h"

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    TAppWindows windows;
    windows.Form1->show();
    app.CloseOnTerminationSignals(windows.Form1.get());
    return app.exec();
}
