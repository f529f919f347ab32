#pragma once

#include <QIODevice>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// The engine's own alias configuration: an INI file, one section per alias, kept in file order.
struct AliasDefinition {
    QString name;
    QMap<QString, QString> params;  // keys in upper case: DRIVER, PATH, SERVER NAME, ...
};

class AliasConfig {
public:
    // $ROWCART_ALIASES, else $XDG_CONFIG_HOME/rowcart/aliases.conf (~/.config when unset).
    static QString defaultPath();

    // Reads the file. Throws EDatabaseError naming the file and line when it is malformed or
    // unreadable.
    static AliasConfig load(const QString& path);
    // The same for text read from `device`; `path` names it in messages and anchors PATH.
    static AliasConfig parse(QIODevice& device, const QString& path);

    // Creates the file with the demo aliases DEMO and WORK, and their databases beside it, when
    // it does not exist yet. Files already there keep their names and contents: a demo database
    // takes the next free name instead. A link to nowhere as the file is an error.
    static void ensureDefault(const QString& path);

    const QVector<AliasDefinition>& aliases() const { return m_aliases; }
    const AliasDefinition* find(const QString& name) const;
    // Adds an alias after the file's own (data sources the system knows of).
    void append(AliasDefinition alias) { m_aliases.append(std::move(alias)); }
    const QString& path() const { return m_path; }

private:
    QString m_path;
    QVector<AliasDefinition> m_aliases;
};
