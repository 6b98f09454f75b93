#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace tamsel::engine {

// Every failure of the engine: a damaged file, a bad statement, a value that does not fit.
// The message is Chinese, names the table (and field or statement position) and is shown
// to the user as it stands.
class EngineError : public std::exception {
public:
    explicit EngineError(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace tamsel::engine
