#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <exception>

// Every failure the system raises carries a message; handlers catch by these types.
class Exception : public std::exception {
public:
    explicit Exception(QString message);

    const QString& message() const { return m_message; }
    void setMessage(const QString& message);
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// Unwinds like any error but is never shown; a BeforeClose handler raises it to refuse a close.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

// A value that a field cannot take or give in the asked form.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A failure of the database layer itself (closed dataset, missing parameter value, ...).
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A failure reported by a database engine, with the engine's own code (SQLite extended result
// code or SQLSTATE) and whether the connection can still be used.
class EDBEngineError : public EDatabaseError {
public:
    EDBEngineError(QString message, QString code, bool connectionUsable = true);

    const QString& code() const { return m_code; }
    bool connectionUsable() const { return m_connectionUsable; }
    // Notes added by callers (such as a script line number) that the error report does not show.
    QStringList& notes() { return m_notes; }

private:
    QString m_code;
    bool m_connectionUsable;
    QStringList m_notes;
};
