#pragma once

#include "app/ConnectionSide.h"

#include <QObject>

// Connects the two sides to their aliases, opens their tables, and commits or cancels the
// target's pending updates; keeps each side's labels and checked actions in step with the
// engine's events.
class ConnectionsController : public QObject {
    Q_OBJECT
public:
    ConnectionsController(const ConnectionSide& source, const ConnectionSide& target,
                          QObject* parent);

    void aFromConnectExecute();
    void aToConnectExecute();
    void aFromReopenExecute();
    void aToReopenExecute();
    void aCommitExecute();
    void aRollBackExecute();

private:
    void bindEvents(ConnectionSide& side);
    // `copyAliasInto`/`copyTableInto`: a box that receives this side's text when it is empty.
    void connectSide(ConnectionSide& side, QComboBox* copyAliasInto);
    void openSide(ConnectionSide& side, QComboBox* copyTableInto);

    ConnectionSide m_source;
    ConnectionSide m_target;
};
