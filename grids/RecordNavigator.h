#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

class QToolButton;
#include "data/TTable.h"

// A bar of buttons that run the table operations of their names on the bound table.
class RecordNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel };

    RecordNavigator(const QList<Button>& buttons, QWidget* parent = nullptr);

    void setTable(TTable* table);
    TTable* table() const { return m_table; }

    // The button shown for an operation, or nullptr when the bar has none.
    QToolButton* button(Button which) const;
    static QString hint(Button which);

    // What a click on the button does.
    void run(Button which);

private:
    void updateButtons();

    QPointer<TTable> m_table;
    QList<QPair<Button, QToolButton*>> m_buttons;
};
