#pragma once

#include "data/TTable.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class QKeyEvent;

// Typing into a grid finds the first row whose current-column text starts with what was typed,
// ignoring case. Search mode ends after a pause of 1500 ms, or on Enter, Esc or F2; Ctrl+F
// starts it without the pause limit.
class IncrementalSearch : public QObject {
    Q_OBJECT
public:
    static constexpr int TimeoutMs = 1500;

    explicit IncrementalSearch(QObject* parent = nullptr);

    void setTable(TTable* table);

    bool active() const { return m_active; }
    const QString& text() const { return m_text; }

    // Handles a key the grid received while its current column is `column`; `typing` tells
    // whether printable characters belong to the search (not while a cell editor is open).
    // Returns false for keys the search leaves to the grid.
    bool handleKey(QKeyEvent* event, int column, bool typing);

    void start(bool timed);
    void stop();
    // Adds to the search text and moves to the first matching row; when no row matches, the
    // cursor stays where it was and the text is not added. Returns whether a row matched.
    bool add(const QString& typed, int column);
    void removeLast();
    // The next (or previous) matching row from the current one on; false when there is none.
    bool findNext(int column, bool backward);

signals:
    // Search mode started or ended, or its text changed.
    void changed();

private:
    bool currentMatches(int column, const QString& candidate) const;
    void restartTimeout();

    QPointer<TTable> m_table;
    QTimer m_timeout;
    bool m_active = false;
    bool m_timed = true;
    QString m_text;
};
