#pragma once

#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A PostgreSQL cluster of a test's own, for tests that stop or break the server and must not
// disturb the shared one. Password authentication, listening on 127.0.0.1 only. When the tests
// run as root the server runs as the user postgres, since initdb refuses root.
class PgPrivateCluster {
public:
    static const QString User;
    static const QString Password;

    PgPrivateCluster();
    ~PgPrivateCluster();

    // Creates and starts the cluster; false with a reason when this machine cannot.
    bool create(QString& reason);
    // "fast" ends every session at once; "immediate" is a crash.
    bool stop(const QString& mode = QStringLiteral("fast"));
    bool start();

    // Alias keys for a database of this cluster; USER NAME is set, the password is not.
    QMap<QString, QString> aliasKeys(const QString& database) const;

private:
    bool run(const QString& program, const QStringList& arguments, QString* output = nullptr);

    QString m_bin;
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_port = 0;
    bool m_asPostgres = false;
    bool m_running = false;
};
