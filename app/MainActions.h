#pragma once

#include <QList>
#include <QObject>

class QAction;

// ActionList1: every user command of the main window. Tool buttons, shortcuts, double-clicks
// and the Enter key all run these actions, so a command has exactly one handler.
class MainActions : public QObject {
    Q_OBJECT
public:
    explicit MainActions(QObject* parent);

    QList<QAction*> all() const;

    QAction* aSelAll;
    QAction* aFromConnect;
    QAction* aToConnect;
    QAction* aDataLoad;
    QAction* aGenerateSQL;
    QAction* aCommit;
    QAction* aRollBack;
    QAction* aFromReopen;
    QAction* aToReopen;
    QAction* aAbout;
    QAction* aClose;
    QAction* aSetup;
    QAction* aPrint;
};
