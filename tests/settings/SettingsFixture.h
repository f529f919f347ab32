#pragma once

#include "settings/SettingsStore.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QVariant>

// Every test starts and ends without the Quorvex key, inside the test process's own
// XDG_CONFIG_HOME.
class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(keyFolder()).removeRecursively();
        ScriptedPrompts::instance().reset();
    }
    void TearDown() override {
        QDir(keyFolder()).removeRecursively();
        EXPECT_TRUE(ScriptedPrompts::instance().allAnswersUsed());
        ScriptedPrompts::instance().reset();
    }

    static QString keyFolder() {
        return SettingsStore::configFolder() + QStringLiteral("/Quorvex");
    }
    static QString settingsFile() { return keyFolder() + QStringLiteral("/Rowcart.conf"); }

    // What the store holds under `name`, as QSettings reads it (invalid when missing).
    static QVariant stored(const QString& name) {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        return settings.value(name);
    }
    static QStringList storedNames() {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        return settings.allKeys();
    }
    static void store(const QString& name, const QVariant& value) {
        QDir().mkpath(keyFolder());
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.setValue(name, value);
    }
    // A hand-edited store.
    static void writeFile(const QByteArray& text) {
        QDir().mkpath(keyFolder());
        QFile file(settingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    static QByteArray fileContents() {
        QFile file(settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    static QList<ScriptedPrompts::Message> messages() {
        return ScriptedPrompts::instance().messages();
    }
};
