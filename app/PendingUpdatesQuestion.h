#pragma once

class TTable;

// Asked before the target table closes while it holds pending updates: Yes commits them, No
// drops them, Cancel refuses the close with the silent abort. A failed commit refuses the close
// with its own error. Without pending updates it asks nothing.
void AskAboutPendingUpdates(TTable& table);
