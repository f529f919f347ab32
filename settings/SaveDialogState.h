#pragma once

#include <QObject>
#include <QString>

// What a save dialog remembers between uses: the last file name and the folder it opens in.
// A window keeps one as a component so that its settings storage can persist both.
class SaveDialogState : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString FileName READ fileName WRITE setFileName)
    Q_PROPERTY(QString InitialDir READ initialDir WRITE setInitialDir)

public:
    explicit SaveDialogState(QObject* parent = nullptr) : QObject(parent) {}

    const QString& fileName() const { return m_fileName; }
    void setFileName(const QString& fileName) { m_fileName = fileName; }
    const QString& initialDir() const { return m_initialDir; }
    void setInitialDir(const QString& initialDir) { m_initialDir = initialDir; }

private:
    QString m_fileName;
    QString m_initialDir;
};
