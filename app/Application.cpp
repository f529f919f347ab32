#include "app/Application.h"

#include "app/WidgetPrompts.h"
#include "app/uMain.h"
#include "data/UserPrompts.h"

#include <QApplication>

int RunRowcart(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(ApplicationTitle);
    QApplication::setApplicationDisplayName(ApplicationTitle);
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
