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

// What a failure of the engine lies in. Only one that lies in the values written (a
// constraint, a conversion, a row changed by someone else) can be pinned on a row; any other
// (a full disk, a lock, a lost connection) fails whatever the engine was doing, whichever rows
// it held.
enum class FailureCause { Values, Engine };

// A failure reported by a database engine, with the engine's own code (SQLite extended result
// code or SQLSTATE), whether the connection can still be used and what the failure lies in.
class EDBEngineError : public EDatabaseError {
public:
    EDBEngineError(QString message, QString code, bool connectionUsable = true,
                   FailureCause cause = FailureCause::Engine);

    const QString& code() const { return m_code; }
    bool connectionUsable() const { return m_connectionUsable; }
    bool causedByValues() const { return m_cause == FailureCause::Values; }
    // The cause an SQLSTATE names: data exceptions (class 22) and integrity constraint
    // violations (class 23) lie in the values.
    static FailureCause CauseOfSqlState(const QString& state);
    // Notes added by callers (such as a script line number) that the error report does not show.
    QStringList& notes() { return m_notes; }

private:
    QString m_code;
    bool m_connectionUsable;
    FailureCause m_cause;
    QStringList m_notes;
};
