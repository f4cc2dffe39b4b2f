#pragma once

#include "fileresult.h"
#include "inventorypath.h"
#include "textencoding.h"

#include <QByteArray>
#include <QString>

class QFile;

namespace Inventory {

// The largest inventory that is read. The list needs about six times the
// file's size in memory, so this keeps a whole inventory within 1.5 GiB;
// at some 55 bytes a record it is about five million records.
inline constexpr qint64 LargestInventory = qint64(256) * 1024 * 1024;

// The bytes of the ordinary file at path, at most LargestInventory of them;
// a larger file is refused with its size, also when it grows while read.
FileResult<QByteArray> ReadBytes(const QString &path);
// The same of a file already open, named path in a failure.
FileResult<QByteArray> ReadBytes(QFile &file, const QString &path);

struct InventoryText
{
    bool exists = false;     // false: no inventory yet, which is no failure
    QString text;            // the whole file, decoded, with its own line ends
    FileEncoding encoding{}; // what the file was read in
};

// Reads and decodes the inventory. Anything but an ordinary file there (a
// folder, a FIFO, a device, a link that cannot be followed) is refused, and
// never opened. When the bytes are
// just those of lastSeen (the text last seen, in the encoding it was seen in),
// that very string is given back without decoding.
FileResult<InventoryText> ReadInventory(const QString &folder, const QString &lastSeen = {},
                                        const FileEncoding &lastSeenEncoding = {});
// The same, of the inventory at path as ResolvePath found it.
FileResult<InventoryText> ReadInventory(const QString &path, const ResolvedPath &target, const QString &lastSeen,
                                        const FileEncoding &lastSeenEncoding);

// A file of size bytes at path is over the limit.
FileFailure TooLarge(const QString &path, qint64 size);

// Why the thing at path is neither read nor replaced.
FileFailure NotAFileFailure(const QString &path);

} // namespace Inventory
