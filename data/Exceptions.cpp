#include "data/Exceptions.h"

#include <QStringList>

Exception::Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

void Exception::setMessage(const QString& message) {
    m_message = message;
    m_utf8 = message.toUtf8();
}

EDBEngineError::EDBEngineError(QString message, QString code, bool connectionUsable)
    : EDatabaseError(std::move(message)),
      m_code(std::move(code)),
      m_connectionUsable(connectionUsable) {}
