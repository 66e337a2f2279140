#pragma once

#include <QString>
#include <exception>

// The program's own failure: carries one message text for the user.
class Exception : public std::exception {
public:
    explicit Exception(QString message);
    const QString& Message() const { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Ends the current operation silently: no message, no log line.
class EAbort : public Exception {
public:
    EAbort();
};
