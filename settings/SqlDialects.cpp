#include "settings/SqlDialects.h"

namespace SqlDialects {

const QStringList& Names() {
    static const QStringList names{QStringLiteral("Ansi SQL"), QStringLiteral("Oracle SQL"),
                                   QStringLiteral("Interbase SQL")};
    return names;
}

QString Word(int dialect) {
    return Names().value(dialect).section(QLatin1Char(' '), 0, 0).toLower();
}

int FromWord(const QString& word) {
    for (int dialect = 0; dialect < Names().size(); ++dialect) {
        if (Word(dialect) == word.toLower())
            return dialect;
    }
    return -1;
}

}  // namespace SqlDialects
