// The error raised when a file cannot be read or written. Commands let it
// travel up to the main window, which shows its text and goes on.
#pragma once

#include <QString>
#include <stdexcept>

class FileError : public std::runtime_error
{
public:
    explicit FileError(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) { }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};
