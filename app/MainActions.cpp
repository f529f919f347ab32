#include "app/MainActions.h"

#include <QAction>

namespace {

QAction* makeAction(QObject* list, const char* name, const QString& caption, const QString& hint,
                    bool checkable = false) {
    auto* action = new QAction(caption, list);
    // Tool buttons show the caption as it is; the default icon text would drop a trailing "...".
    action->setIconText(caption);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(hint);
    action->setStatusTip(hint);
    action->setCheckable(checkable);
    return action;
}

QAction* withShortcut(QAction* action, const QKeySequence& key) {
    action->setShortcut(key);
    // The shortcut works wherever the focus is inside the main window, grids included.
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

}  // namespace

MainActions::MainActions(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("ActionList1"));
    aSelAll = makeAction(this, "aSelAll", QStringLiteral("SelAll"),
                         QStringLiteral("Select all in \"From\""));
    aFromConnect = makeAction(this, "aFromConnect", QStringLiteral("FromConnect"),
                              QStringLiteral("Connect to database \"From\""), true);
    aToConnect = makeAction(this, "aToConnect", QStringLiteral("ToConnect"),
                            QStringLiteral("Connect to database \"To\""), true);
    aDataLoad = withShortcut(makeAction(this, "aDataLoad", QStringLiteral("Data Move !"),
                                        QStringLiteral("Execute data moving")),
                             QKeySequence(Qt::CTRL | Qt::Key_D));
    aGenerateSQL = withShortcut(makeAction(this, "aGenerateSQL", QStringLiteral("Generate SQL.."),
                                           QStringLiteral("Generate insert script")),
                                QKeySequence(Qt::CTRL | Qt::Key_G));
    aCommit = makeAction(this, "aCommit", QStringLiteral("CommitUpdate"),
                         QStringLiteral("Commit all updates in database \"To\""));
    aRollBack = makeAction(this, "aRollBack", QStringLiteral("CancelUpdate"),
                           QStringLiteral("Cancel all updates in database \"To\""));
    aFromReopen = makeAction(this, "aFromReopen", QStringLiteral("FromReopen"),
                             QStringLiteral("Refreshing table in database \"From\""), true);
    aToReopen = makeAction(this, "aToReopen", QStringLiteral("ToReopen"),
                           QStringLiteral("Refreshing table in database \"To\""), true);
    aAbout = makeAction(this, "aAbout", QStringLiteral("About.."), QStringLiteral("About"));
    aClose = makeAction(this, "aClose", QStringLiteral("Exit"), QStringLiteral("Exit"));
    aSetup = makeAction(this, "aSetup", QStringLiteral("Options.."), QStringLiteral("Set options"));
    aPrint =
        makeAction(this, "aPrint", QStringLiteral("Print.."), QStringLiteral("Print table \"To\""));
}

QList<QAction*> MainActions::all() const {
    return {aSelAll,     aFromConnect, aToConnect, aDataLoad, aGenerateSQL, aCommit, aRollBack,
            aFromReopen, aToReopen,    aAbout,     aClose,    aSetup,       aPrint};
}
