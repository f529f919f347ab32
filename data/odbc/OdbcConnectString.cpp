#include "data/odbc/OdbcConnectString.h"

#include "data/Exceptions.h"

namespace {

// The attribute names of a connection string, upper case; braced values are skipped whole.
QStringList attributeNames(const QString& text) {
    QStringList names;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        names.append(text.mid(i, eq - i).trimmed().toUpper());
        i = eq + 1;
        while (i < n && text[i].isSpace())
            ++i;
        if (i < n && text[i] == QLatin1Char('{')) {
            ++i;
            while (i < n) {
                if (text[i] == QLatin1Char('}')) {
                    if (i + 1 < n && text[i + 1] == QLatin1Char('}')) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
        }
        const qsizetype semicolon = text.indexOf(QLatin1Char(';'), i);
        i = semicolon < 0 ? n : semicolon + 1;
    }
    return names;
}

}  // namespace

QString OdbcAttributeValue(const QString& value) {
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{')) &&
                       !value.contains(QLatin1Char('}')) && value.trimmed() == value;
    if (plain)
        return value;
    return QLatin1Char('{') + QString(value).replace(QLatin1Char('}'), QStringLiteral("}}")) +
           QLatin1Char('}');
}

QString OdbcConnectString(const ConnectRequest& request) {
    const QString dsn = request.params.value(QStringLiteral("DSN")).trimmed();
    QString text = request.params.value(QStringLiteral("CONNECTION")).trimmed();
    if (!dsn.isEmpty() && !text.isEmpty()) {
        throw EDBEngineError(
            QStringLiteral("Alias '%1' names both a DSN and a CONNECTION; keep one of them")
                .arg(request.aliasName),
            QString(), false);
    }
    if (!dsn.isEmpty()) {
        text = QStringLiteral("DSN=") + OdbcAttributeValue(dsn);
    } else if (text.isEmpty()) {
        throw EDBEngineError(QStringLiteral("Alias '%1' names neither a DSN nor a CONNECTION")
                                 .arg(request.aliasName),
                             QString(), false);
    } else {
        const QStringList names = attributeNames(text);
        if (names.contains(QLatin1String("PWD")) || names.contains(QLatin1String("PASSWORD"))) {
            throw EDBEngineError(
                QStringLiteral("The CONNECTION of alias '%1' holds a password; remove it, the "
                               "login asks for it")
                    .arg(request.aliasName),
                QString(), false);
        }
    }
    if (!request.userName.isEmpty() || !request.password.isEmpty()) {
        if (!text.endsWith(QLatin1Char(';')))
            text += QLatin1Char(';');
        text += QStringLiteral("UID=") + OdbcAttributeValue(request.userName) +
                QStringLiteral(";PWD=") + OdbcAttributeValue(request.password) + QLatin1Char(';');
    }
    return text;
}
