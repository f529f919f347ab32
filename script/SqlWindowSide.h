#pragma once

#include <QString>

class TDatabase;

// What the SQL window needs of the window that owns it: the target it executes into, the
// divider of the options, and the name it proposes when a script is saved.
class SqlWindowSide {
public:
    virtual ~SqlWindowSide() = default;

    // Closes the target table; its pending-updates question may refuse with the silent abort.
    virtual void closeTarget() = 0;
    // Opens the target table again under the name in its box.
    virtual void reopenTarget() = 0;
    virtual TDatabase& targetDatabase() = 0;
    virtual QString scriptDivider() = 0;
    // The file name a save proposes, or empty when the options propose none.
    virtual QString proposedFileName() = 0;
};
