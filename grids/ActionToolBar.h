#pragma once

#include <QSize>
#include <QToolBar>

class QAction;
class QToolButton;

// A flat tool bar of fixed-size buttons that show their action's caption as text and its hint
// as tooltip, with the hand cursor.
class ActionToolBar : public QToolBar {
    Q_OBJECT
public:
    ActionToolBar(const QString& name, int height, QSize buttonSize, QWidget* parent);

    // A checkable action makes a toggle button that shows the action's checked state.
    QToolButton* addButton(QAction* action, const QString& buttonName = QString());
    void addSeparatorGap(int width = 8);

private:
    QSize m_buttonSize;
};
