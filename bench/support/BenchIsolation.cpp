#include "bench/support/BenchIsolation.h"

#include <QByteArray>
#include <QTemporaryDir>

void IsolateFromUserSettings() {
    static QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toUtf8());
    // A benchmark names its own alias file; without one, none of the user's is found.
    qputenv("ROWCART_ALIASES", folder.filePath(QStringLiteral("aliases.conf")).toUtf8());
}
