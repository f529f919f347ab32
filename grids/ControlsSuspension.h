#pragma once

#include "data/TTable.h"

#include <QPointer>

// Holds a table's bound controls suspended for a scope, so that they repaint once at its end,
// also when the scope is left by an error.
class ControlsSuspension {
public:
    explicit ControlsSuspension(TTable* table) : m_table(table) {
        if (m_table)
            m_table->SuspendControls();
    }
    ~ControlsSuspension() {
        if (m_table)
            m_table->ResumeControls();
    }
    ControlsSuspension(const ControlsSuspension&) = delete;
    ControlsSuspension& operator=(const ControlsSuspension&) = delete;

private:
    QPointer<TTable> m_table;
};
