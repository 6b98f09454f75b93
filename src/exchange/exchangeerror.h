#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace tamsel::exchange {

// A failure of the exchange: an unsafe or malformed archive, a value the format cannot carry,
// the archiver failing. The message is Chinese and is shown to the user as it stands.
class ExchangeError : public std::exception {
public:
    explicit ExchangeError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace tamsel::exchange
