#include "data/Exceptions.h"

#include <QStringList>

Exception::Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

void Exception::setMessage(const QString& message) {
    m_message = message;
    m_utf8 = message.toUtf8();
}

EDBEngineError::EDBEngineError(QString message, QString code, bool connectionUsable,
                               FailureCause cause)
    : EDatabaseError(std::move(message)),
      m_code(std::move(code)),
      m_connectionUsable(connectionUsable),
      m_cause(cause) {}

FailureCause EDBEngineError::CauseOfSqlState(const QString& state) {
    return state.startsWith(QLatin1String("22")) || state.startsWith(QLatin1String("23"))
               ? FailureCause::Values
               : FailureCause::Engine;
}
