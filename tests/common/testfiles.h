#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <optional>

// Files as the suites of every layer make and read them.

// Two records as a save writes them: each with its CR LF, and the empty line
// that every save leaves at the end.
inline const QByteArray TwoRecords = "[Box]: A1 [Item]: BC547 [Nr]: 12 [Type]: Transistor\r\n"
                                     "[Box]: A2 [Item]: 1N4148 [Nr]: 5 [Type]: Varie\r\n\r\n";

// What FileBytes gives for a file that is not there or cannot be read: no
// inventory holds it.
inline const QByteArray Unreadable = "<unreadable>";

inline QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : Unreadable;
}

// A file saved long enough ago that a search trusts its size and time, as
// the program usually finds its inventory.
inline QDateTime AnHourAgo()
{
    return QDateTime::currentDateTime().addSecs(-3600);
}

// The file at path holding bytes, modified at the time given (now when none);
// false when it could not be written.
inline bool WriteFile(const QString &path, const QByteArray &bytes, std::optional<QDateTime> modified = {})
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    return !modified || file.setFileTime(*modified, QFileDevice::FileModificationTime);
}
