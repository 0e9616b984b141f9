#pragma once
// The root of the program's exceptions, in place of the class library's
// Exception: a message text that the message loop shows as it stands.
#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception
{
public:
    explicit Exception(const QString &message) : message_(message), utf8_(message.toUtf8()) {}
    const QString &Message() const { return message_; }
    const char *what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// Declares an exception class with a fixed or given message.
#define TOLVEX_DECLARE_EXCEPTION(Name, Base)                          \
    class Name : public Base                                          \
    {                                                                 \
    public:                                                           \
        explicit Name(const QString &message) : Base(message) {}      \
    };

// The class library's list index and list operation errors.
TOLVEX_DECLARE_EXCEPTION(EStringListError, Exception)
// A text that does not read as a number or a date.
TOLVEX_DECLARE_EXCEPTION(EConvertError, Exception)
// A refused operation whose message the operator is meant to read.
TOLVEX_DECLARE_EXCEPTION(EAbort, Exception)
// A cast of an object to a class it does not belong to ("Invalid class
// typecast").
TOLVEX_DECLARE_EXCEPTION(EInvalidCast, Exception)
