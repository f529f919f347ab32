#include "data/Exceptions.h"
#include "settings/SettingsStore.h"
#include "tests/settings/SettingsFixture.h"

#include <QFileInfo>
#include <QRect>

namespace {

class SettingsStoreTest : public SettingsFixture {
protected:
    SettingsStore m_store{SettingsKeyPath, SettingsSection};

    QString readError(const QString& name) {
        try {
            m_store.readString(name, QString());
        } catch (const Exception& error) {
            return error.message();
        }
        return QString();
    }
    QString writeError(const QString& name) {
        try {
            m_store.writeString(name, QStringLiteral("x"));
        } catch (const Exception& error) {
            return error.message();
        }
        return QString();
    }
};

TEST_F(SettingsStoreTest, KeyPathAndSectionNameTheFolderAndFile) {
    EXPECT_EQ(m_store.filePath(), settingsFile());
    SettingsStore shell(QStringLiteral("Software\\Microsoft\\Windows"),
                        QStringLiteral("Shell Folders"));
    EXPECT_EQ(shell.filePath(), SettingsStore::configFolder() +
                                    QStringLiteral("/Microsoft/Windows/Shell Folders.conf"));
    EXPECT_EQ(SettingsStore::configFolder(),
              QDir::cleanPath(qEnvironmentVariable("XDG_CONFIG_HOME")));
}

TEST_F(SettingsStoreTest, ReadingCreatesTheKeyFolderAndTheFirstWriteTheFile) {
    EXPECT_EQ(m_store.readString(QStringLiteral("FormVersion"), QStringLiteral("dflt")),
              QStringLiteral("dflt"));
    EXPECT_EQ(m_store.readInteger(QStringLiteral("FormVersion"), 7), 7);
    EXPECT_TRUE(QFileInfo(keyFolder()).isDir());
    EXPECT_FALSE(QFileInfo::exists(settingsFile()));

    m_store.writeString(QStringLiteral("eToTable_Text"), QStringLiteral("orders"));
    ASSERT_TRUE(QFileInfo::exists(settingsFile()));
    EXPECT_EQ(stored(QStringLiteral("eToTable_Text")), QVariant(QStringLiteral("orders")));
    EXPECT_EQ(m_store.readString(QStringLiteral("eToTable_Text"), QString()),
              QStringLiteral("orders"));
}

TEST_F(SettingsStoreTest, ValuesAreWrittenAsPlainTextUnderTheirNames) {
    m_store.open(SettingsStore::Access::Full);
    m_store.writeString(QStringLiteral("NormPos"), QStringLiteral("10,20,300,400"));
    m_store.writeInteger(QStringLiteral("ShowCmd"), -3);
    m_store.writeString(QStringLiteral("eFromAlias_Text"), QString());
    m_store.writeString(QStringLiteral("odd"), QStringLiteral("@at;semi"));
    m_store.close();

    EXPECT_EQ(stored(QStringLiteral("NormPos")), QVariant(QStringLiteral("10,20,300,400")));
    EXPECT_EQ(stored(QStringLiteral("ShowCmd")), QVariant(QStringLiteral("-3")));
    EXPECT_EQ(stored(QStringLiteral("eFromAlias_Text")), QVariant(QString()));
    EXPECT_EQ(m_store.readString(QStringLiteral("odd"), QString()), QStringLiteral("@at;semi"));
    EXPECT_EQ(m_store.readString(QStringLiteral("eFromAlias_Text"), QStringLiteral("dflt")),
              QString());
}

TEST_F(SettingsStoreTest, ValuesInAnotherFormThanTextAreOfAnotherType) {
    store(QStringLiteral("bytes"), QByteArray("abc"));
    store(QStringLiteral("rect"), QRect(1, 2, 3, 4));
    store(QStringLiteral("text"), QStringLiteral("fine"));
    // The message names the file, where the value can be mended by hand.
    EXPECT_EQ(readError(QStringLiteral("bytes")),
              QStringLiteral("Invalid data type for 'bytes' in ") + settingsFile());
    EXPECT_EQ(readError(QStringLiteral("rect")),
              QStringLiteral("Invalid data type for 'rect' in ") + settingsFile());
    EXPECT_EQ(readError(QStringLiteral("text")), QString());
    // An integer read fails the same way rather than taking its default.
    EXPECT_THROW(m_store.readInteger(QStringLiteral("bytes"), 1), Exception);
}

TEST_F(SettingsStoreTest, HandEditedValuesReadBackAsTheirText) {
    writeFile(
        "[General]\n"
        "NormPos=10,20,300,400\n"
        "MinMaxPos=-1,-1\n"
        "formversion=3\n"
        "quoted=\"a, b\"\n"
        "eToTable_Text=  orders  \n");
    EXPECT_EQ(m_store.readString(QStringLiteral("NormPos"), QString()),
              QStringLiteral("10,20,300,400"));
    EXPECT_EQ(m_store.readString(QStringLiteral("MinMaxPos"), QString()), QStringLiteral("-1,-1"));
    EXPECT_EQ(m_store.readString(QStringLiteral("quoted"), QString()), QStringLiteral("a, b"));
    EXPECT_EQ(m_store.readInteger(QStringLiteral("FormVersion"), 0), 3);
    EXPECT_EQ(m_store.readInteger(QStringLiteral("eToTable_Text"), -5), -5);

    // A value written under another spelling replaces it rather than standing beside it.
    m_store.writeInteger(QStringLiteral("FormVersion"), 0);
    EXPECT_TRUE(storedNames().contains(QStringLiteral("FormVersion")));
    EXPECT_FALSE(storedNames().contains(QStringLiteral("formversion")));
}

TEST_F(SettingsStoreTest, FailuresToWriteNameTheKeyOrTheValue) {
    // The key's folder is taken by a plain file.
    {
        QFile blocker(keyFolder());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(writeError(QStringLiteral("a")),
              QStringLiteral("Failed to create key %1").arg(settingsFile()));
    EXPECT_EQ(m_store.readString(QStringLiteral("a"), QStringLiteral("dflt")),
              QStringLiteral("dflt"));
    QFile::remove(keyFolder());

    // The store's file is a folder, so nothing can be saved into it.
    ASSERT_TRUE(QDir().mkpath(settingsFile()));
    m_store.open(SettingsStore::Access::Full);
    m_store.writeString(QStringLiteral("first"), QStringLiteral("1"));
    m_store.writeString(QStringLiteral("second"), QStringLiteral("2"));
    try {
        m_store.close();
        ADD_FAILURE() << "the store did not fail";
    } catch (const Exception& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Failed to set data for 'first'"));
    }
    EXPECT_FALSE(m_store.isOpen());
}

}  // namespace
