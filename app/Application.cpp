#include "app/Application.h"

#include "app/DisplayCheck.h"
#include "app/WidgetPrompts.h"
#include "app/uMain.h"
#include "cli/CommandLine.h"
#include "cli/CommandLineJobs.h"
#include "data/UserPrompts.h"
#include "grids/DialogFont.h"

#include <QApplication>
#include <QProcessEnvironment>
#include <cstdio>

int RunRowcart(int argc, char* argv[]) {
    if (IsCommandLine(argc))
        return RunCommandLine(argc, argv);
    if (!HasDisplay(QProcessEnvironment::systemEnvironment())) {
        std::fputs(
            "rowcart: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are "
            "unset); the commands need none, see rowcart --help\n",
            stderr);
        return ExitNoDisplay;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    // No display name: the platform would append " — Rowcart" to every window's caption.
    // Every window and message box uses the dialog font, as the fixed layouts assume.
    QApplication::setFont(DialogFont());
    // Desktops find the window's icon and menu entry by the installed desktop entry's name.
    QApplication::setDesktopFileName(QStringLiteral("rowcart"));
    WidgetPrompts prompts;
    SetPrompts(&prompts);
    int rc = 0;
    {
        TfMain main;
        main.show();
        rc = QApplication::exec();
    }
    SetPrompts(nullptr);
    return rc;
}
