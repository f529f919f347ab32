#include "grids/ActionToolBar.h"

#include <QAction>
#include <QFrame>
#include <QLayout>
#include <QToolButton>

ActionToolBar::ActionToolBar(const QString& name, int height, QSize buttonSize, QWidget* parent)
    : QToolBar(parent), m_buttonSize(buttonSize) {
    setObjectName(name);
    setMovable(false);
    setFloatable(false);
    setFixedHeight(height);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    // The buttons fill the bar's height exactly; the style's own frame and margins would clip them.
    layout()->setContentsMargins(0, 0, 0, 0);
    layout()->setSpacing(0);
}

QToolButton* ActionToolBar::addButton(QAction* action, const QString& buttonName) {
    auto* button = new QToolButton(this);
    if (!buttonName.isEmpty())
        button->setObjectName(buttonName);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAutoRaise(true);
    button->setFixedSize(m_buttonSize);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    addWidget(button);
    return button;
}

void ActionToolBar::addSeparatorGap(int width) {
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedSize(width, m_buttonSize.height());
    addWidget(line);
}
