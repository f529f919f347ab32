#pragma once

#include <QObject>

class QAction;
class QComboBox;

// Runs an action on a double-click in an editable box or on the Enter key typed into it. The
// key is not consumed: the box still sees it.
class BoxActionTrigger : public QObject {
    Q_OBJECT
public:
    static void bind(QComboBox* box, QAction* action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BoxActionTrigger(QComboBox* box, QAction* action);

    QComboBox* m_box;
    QAction* m_action;
};
