#include "app/PendingUpdatesQuestion.h"

#include "data/Exceptions.h"
#include "data/TTable.h"
#include "data/UserPrompts.h"

void AskAboutPendingUpdates(TTable& table) {
    if (!table.HasPendingUpdates())
        return;
    const UserPrompts::Button answer = Prompts().message(
        QStringLiteral("Cashed updates in \"To\" is not finish ! Commit update ?"),
        QStringLiteral("Commit update?"), UserPrompts::Yes | UserPrompts::No | UserPrompts::Cancel,
        UserPrompts::Icon::Question);
    switch (answer) {
        case UserPrompts::Yes:
            table.CommitPendingUpdates();
            break;
        case UserPrompts::No:
            table.CancelPendingUpdates();
            break;
        default:
            throw EAbort();
    }
}
