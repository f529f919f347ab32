#include "app/ConnectionsController.h"

#include "app/ComboItems.h"
#include "app/PendingUpdatesQuestion.h"
#include "data/Exceptions.h"
#include "data/TDatabase.h"
#include "data/TTable.h"
#include "data/TransferSides.h"
#include "data/UserPrompts.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>

namespace {

void copyIfEmpty(QComboBox* into, const QComboBox* from) {
    if (into && into->currentText().isEmpty())
        into->setEditText(from->currentText());
}

}  // namespace

ConnectionsController::ConnectionsController(const ConnectionSide& source,
                                             const ConnectionSide& target, QObject* parent)
    : QObject(parent), m_source(source), m_target(target) {
    bindEvents(m_source);
    bindEvents(m_target);
    m_target.table->SetBeforeClose([](TTable& table) { AskAboutPendingUpdates(table); });
}

void ConnectionsController::bindEvents(ConnectionSide& side) {
    side.database->AfterConnect = [&side](TDatabase& db) {
        side.connectLabel->setText(TransferSides::ConnectText(db));
        side.connectAction->setChecked(true);
    };
    side.database->AfterDisconnect = [&side](TDatabase&) {
        side.connectLabel->setText(QStringLiteral("No connect."));
        side.connectAction->setChecked(false);
    };
    side.table->SetAfterOpen([&side](TTable& table) {
        side.tableLabel->setText(QStringLiteral("Open ") + table.TableName());
        side.openAction->setChecked(true);
    });
    side.table->SetAfterClose([&side](TTable&) {
        side.tableLabel->setText(QStringLiteral("Not opened"));
        side.openAction->setChecked(false);
    });
}

void ConnectionsController::aFromConnectExecute() {
    connectSide(m_source, m_target.aliasBox);
}

void ConnectionsController::aToConnectExecute() {
    connectSide(m_target, nullptr);
}

void ConnectionsController::aFromReopenExecute() {
    openSide(m_source, m_target.tableBox);
}

void ConnectionsController::aToReopenExecute() {
    openSide(m_target, nullptr);
}

void ConnectionsController::aCommitExecute() {
    m_target.table->CommitPendingUpdates();
}

void ConnectionsController::aRollBackExecute() {
    m_target.table->CancelPendingUpdates();
}

void ConnectionsController::connectSide(ConnectionSide& side, QComboBox* copyAliasInto) {
    TDatabase& db = *side.database;
    // A click on the toggle button has flipped it; it shows the real state until this ends.
    side.connectAction->setChecked(db.Connected());
    // For the target this may ask about pending updates; a refused close ends the command here.
    db.Disconnect();
    db.Params().clear();
    db.SetAliasName(side.aliasBox->currentText());
    try {
        db.Connect();
    } catch (const Exception& error) {
        Prompts().message(QStringLiteral("Can`t connect to database \"%1\":\n\r").arg(side.title) +
                              error.message(),
                          QStringLiteral("Can`t connect !"), UserPrompts::Ok,
                          UserPrompts::Icon::Information);
    }
    // After a failed connect this is the second attempt; its error ends the command.
    SetItemsKeepingText(side.tableBox, {});
    QStringList tables;
    db.ReadTableList(tables);
    SetItemsKeepingText(side.tableBox, tables);
    copyIfEmpty(copyAliasInto, side.aliasBox);
    side.connectAction->setChecked(db.Connected());
}

void ConnectionsController::openSide(ConnectionSide& side, QComboBox* copyTableInto) {
    TTable& table = *side.table;
    side.openAction->setChecked(table.Active());
    table.CloseTable();
    table.SetTableName(side.tableBox->currentText());
    table.OpenTable();
    copyIfEmpty(copyTableInto, side.tableBox);
    side.openAction->setChecked(table.Active());
}
