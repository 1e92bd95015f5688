#pragma once

#include <QString>
#include <exception>

// Runtime error raised by the document, the line store and the window handlers. Nothing below the
// window catches it: it travels up to the application's error box, which shows message().
class EAppError : public std::exception {
public:
    explicit EAppError(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
    const QString &message() const noexcept { return FMessage; }
    const char *what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};
