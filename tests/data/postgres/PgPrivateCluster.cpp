#include "tests/data/postgres/PgPrivateCluster.h"

#include "tests/support/PgTestServer.h"

#include <pwd.h>
#include <unistd.h>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QProcess>

const QString PgPrivateCluster::User = QStringLiteral("rowcart");
const QString PgPrivateCluster::Password = QStringLiteral("cluster-pass-42");

namespace {

QString serverBinaries() {
    const QString fromEnv = QString::fromLocal8Bit(qgetenv("ROWCART_PG_BIN"));
    if (!fromEnv.isEmpty())
        return fromEnv;
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), numeric);
    for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*it);
        if (QFile::exists(bin + QStringLiteral("/initdb")))
            return bin;
    }
    return QString();
}

}  // namespace

PgPrivateCluster::PgPrivateCluster() = default;

PgPrivateCluster::~PgPrivateCluster() {
    if (m_running)
        stop(QStringLiteral("immediate"));
}

bool PgPrivateCluster::run(const QString& program, const QStringList& arguments, QString* output) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QString path = m_bin + QLatin1Char('/') + program;
    if (m_asPostgres)
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                                  QStringLiteral("--"), path} +
                          arguments);
    else
        process.start(path, arguments);
    const bool finished = process.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PgPrivateCluster::create(QString& reason) {
    m_bin = serverBinaries();
    if (m_bin.isEmpty()) {
        reason = QStringLiteral("PostgreSQL server binaries not found");
        return false;
    }
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                            QStringLiteral("/rowcart-pgfault-XXXXXX"));
    if (!m_dir->isValid()) {
        reason = QStringLiteral("no temporary folder");
        return false;
    }
    if (::geteuid() == 0) {
        const passwd* postgres = ::getpwnam("postgres");
        if (!postgres) {
            reason =
                QStringLiteral("running as root and there is no user postgres to run the server");
            return false;
        }
        m_asPostgres = true;
        if (::chown(QFile::encodeName(m_dir->path()).constData(), postgres->pw_uid,
                    postgres->pw_gid) != 0) {
            reason = QStringLiteral("cannot hand the cluster folder to postgres");
            return false;
        }
    }
    const QString passwordFile = m_dir->filePath(QStringLiteral("pw"));
    {
        QFile file(passwordFile);
        file.open(QIODevice::WriteOnly);
        file.write(Password.toUtf8() + '\n');
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    }
    QString output;
    if (!run(QStringLiteral("initdb"),
             {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-U"),
              User, QStringLiteral("--pwfile=") + passwordFile, QStringLiteral("-A"),
              QStringLiteral("scram-sha-256"), QStringLiteral("--no-sync"), QStringLiteral("-E"),
              QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8")},
             &output)) {
        reason = QStringLiteral("initdb failed: ") + output;
        return false;
    }
    QFile::remove(passwordFile);
    m_port = PgTestServer::freeLoopbackPort();
    if (!start()) {
        reason = QStringLiteral("the server did not start");
        return false;
    }
    return true;
}

bool PgPrivateCluster::start() {
    m_running =
        run(QStringLiteral("pg_ctl"),
            {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-l"),
             m_dir->filePath(QStringLiteral("log")), QStringLiteral("-w"), QStringLiteral("-s"),
             QStringLiteral("-o"),
             QStringLiteral("-h 127.0.0.1 -p %1 -k %2 -c fsync=off").arg(m_port).arg(m_dir->path()),
             QStringLiteral("start")});
    return m_running;
}

bool PgPrivateCluster::stop(const QString& mode) {
    const bool stopped =
        run(QStringLiteral("pg_ctl"),
            {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-m"),
             mode, QStringLiteral("-w"), QStringLiteral("-s"), QStringLiteral("stop")});
    m_running = m_running && !stopped;
    return stopped;
}

QMap<QString, QString> PgPrivateCluster::aliasKeys(const QString& database) const {
    return {{QStringLiteral("DRIVER"), QStringLiteral("POSTGRES")},
            {QStringLiteral("SERVER NAME"), QStringLiteral("127.0.0.1")},
            {QStringLiteral("PORT"), QString::number(m_port)},
            {QStringLiteral("DATABASE NAME"), database},
            {QStringLiteral("USER NAME"), User}};
}
