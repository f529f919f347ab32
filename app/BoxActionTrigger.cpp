#include "app/BoxActionTrigger.h"

#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

void BoxActionTrigger::bind(QComboBox* box, QAction* action) {
    new BoxActionTrigger(box, action);
}

BoxActionTrigger::BoxActionTrigger(QComboBox* box, QAction* action)
    : QObject(box), m_box(box), m_action(action) {
    box->installEventFilter(this);
    if (box->lineEdit())
        box->lineEdit()->installEventFilter(this);
}

bool BoxActionTrigger::eventFilter(QObject* watched, QEvent* event) {
    // Keys are taken where they end up, at the box (its line edit forwards focus to it, and
    // passes an unused Enter on to it); double-clicks where they land, on the text. Watching
    // one place per kind runs the action once per user input.
    switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            if (watched == m_box->lineEdit())
                m_action->trigger();
            break;
        case QEvent::KeyPress:
            if (watched == m_box && static_cast<QKeyEvent*>(event)->text() == QLatin1String("\r"))
                m_action->trigger();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
