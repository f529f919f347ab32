#include "tests/data/DriverHarness.h"

#include <QDir>
#include <QTemporaryDir>

TFieldType DriverHarness::fieldType(const QString& generic) const {
    static const QMap<QString, TFieldType> types = {
        {QStringLiteral("INTEGER"), ftInteger},    {QStringLiteral("SMALLINT"), ftSmallint},
        {QStringLiteral("BIGINT"), ftLargeint},    {QStringLiteral("SERIAL"), ftAutoInc},
        {QStringLiteral("DOUBLE"), ftFloat},       {QStringLiteral("MONEY"), ftCurrency},
        {QStringLiteral("DATE"), ftDate},          {QStringLiteral("TIME"), ftTime},
        {QStringLiteral("TIMESTAMP"), ftDateTime}, {QStringLiteral("BOOLEAN"), ftBoolean},
        {QStringLiteral("BLOB"), ftBlob},          {QStringLiteral("CLOB"), ftMemo}};
    if (generic.startsWith(QLatin1String("VARCHAR")))
        return ftString;
    if (generic.startsWith(QLatin1String("CHAR")))
        return ftFixedChar;
    if (generic.startsWith(QLatin1String("NUMERIC")))
        return ftBCD;
    return types.value(generic, ftUnknown);
}

std::vector<std::shared_ptr<DriverHarness>>& DriverHarnesses() {
    static std::vector<std::shared_ptr<DriverHarness>> harnesses;
    return harnesses;
}

namespace {

class SqliteHarness : public DriverHarness {
public:
    QString name() const override { return QStringLiteral("SQLite"); }

    QMap<QString, QString> createDatabase(const QString& tag) override {
        // SQLite creates the file on first open; an empty file is a valid empty database.
        const QString path = m_dir.filePath(QStringLiteral("%1-%2.db").arg(tag).arg(++m_count));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        return {{QStringLiteral("DRIVER"), QStringLiteral("SQLITE")},
                {QStringLiteral("PATH"), path}};
    }

    QString columnType(const QString& generic) const override {
        if (generic == QLatin1String("SERIAL"))
            return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
        return generic;
    }

private:
    QTemporaryDir m_dir;
    int m_count = 0;
};

const RegisterDriverHarness registerSqlite(std::make_shared<SqliteHarness>());

}  // namespace
