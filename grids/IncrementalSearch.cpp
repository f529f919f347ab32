#include "grids/IncrementalSearch.h"

#include "data/TField.h"
#include "grids/CellText.h"
#include "grids/ControlsSuspension.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace {

bool isPrintable(const QString& text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!c.isPrint())
            return false;
    }
    return true;
}

}  // namespace

IncrementalSearch::IncrementalSearch(QObject* parent) : QObject(parent) {
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(TimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, &IncrementalSearch::stop);
}

void IncrementalSearch::setTable(TTable* table) {
    m_table = table;
    stop();
}

void IncrementalSearch::start(bool timed) {
    m_active = true;
    m_timed = timed;
    m_text.clear();
    restartTimeout();
    emit changed();
}

void IncrementalSearch::stop() {
    m_timeout.stop();
    if (!m_active)
        return;
    m_active = false;
    m_text.clear();
    emit changed();
}

void IncrementalSearch::restartTimeout() {
    if (m_timed)
        m_timeout.start();
    else
        m_timeout.stop();
}

bool IncrementalSearch::handleKey(QKeyEvent* event, int column, bool typing) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;

    if (key == Qt::Key_F && modifiers == Qt::ControlModifier) {
        start(false);
        return true;
    }
    if (m_active) {
        if (modifiers == Qt::NoModifier && (enter || key == Qt::Key_Escape || key == Qt::Key_F2)) {
            stop();
            return true;
        }
        if (enter && (modifiers == Qt::ControlModifier ||
                      modifiers == (Qt::ControlModifier | Qt::ShiftModifier))) {
            findNext(column, modifiers & Qt::ShiftModifier);
            restartTimeout();
            return true;
        }
        if (key == Qt::Key_Backspace && modifiers == Qt::NoModifier) {
            removeLast();
            restartTimeout();
            return true;
        }
        if (key == Qt::Key_Insert && modifiers == Qt::ShiftModifier) {
            add(QApplication::clipboard()->text(), column);
            restartTimeout();
            return true;
        }
    }
    if (!typing || (modifiers & ~Qt::ShiftModifier) || !isPrintable(event->text()))
        return false;
    if (!m_active)
        start(true);
    add(event->text(), column);
    restartTimeout();
    return true;
}

bool IncrementalSearch::currentMatches(int column, const QString& candidate) const {
    if (column < 0 || column >= m_table->NumberOfFields() || m_table->CurrentBookmark().isEmpty())
        return false;
    const TField& field = *m_table->FieldAt(column);
    return CellText(field, field.Value()).startsWith(candidate, Qt::CaseInsensitive);
}

bool IncrementalSearch::add(const QString& typed, int column) {
    if (!m_table || !m_table->Active() || typed.isEmpty())
        return false;
    const QString candidate = m_text + typed;
    bool found = currentMatches(column, candidate);
    if (!found) {
        ControlsSuspension suspension(m_table);
        const QByteArray back = m_table->CurrentBookmark();
        m_table->MoveFirst();
        while (!m_table->AtEnd() && !found) {
            found = currentMatches(column, candidate);
            if (!found)
                m_table->MoveNext();
        }
        if (!found)
            m_table->MoveToBookmark(back);
    }
    if (found) {
        m_text = candidate;
        emit changed();
    }
    return found;
}

void IncrementalSearch::removeLast() {
    if (m_text.isEmpty())
        return;
    m_text.chop(1);
    emit changed();
}

bool IncrementalSearch::findNext(int column, bool backward) {
    if (!m_table || !m_table->Active() || m_text.isEmpty())
        return false;
    ControlsSuspension suspension(m_table);
    const QByteArray back = m_table->CurrentBookmark();
    const qint64 start = m_table->RecNo();
    bool found = false;
    if (backward) {
        for (qint64 row = start - 1; row >= 0 && !found; --row) {
            m_table->MoveTo(row);
            found = currentMatches(column, m_text);
        }
    } else {
        m_table->MoveNext();
        while (!m_table->AtEnd() && !found) {
            found = currentMatches(column, m_text);
            if (!found)
                m_table->MoveNext();
        }
    }
    if (!found)
        m_table->MoveToBookmark(back);
    return found;
}
