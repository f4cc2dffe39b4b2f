#pragma once

#include "fileresult.h"
#include "inventorypath.h"
#include "inventorysave.h"

#include <QByteArray>

class QFile;
class QFileDevice;

// The file system as the inventory's reads and saves use it: one
// implementation per platform, inventorysave_unix.cpp and inventorysave_win.cpp,
// each also giving ResolvePath (inventorypath.h).
namespace Inventory {

// The system's error code (errno; GetLastError on Windows) as a failure.
FileError SystemError(int code);

// Opens file, whose name is set, for reading; nothing but an ordinary file.
// FileProblem::None on success.
FileError OpenForReading(QFile &file);

// Why the last read or write on file failed.
FileError LastFileError(const QFileDevice &file);

// Writes bytes as the file at target (an ordinary file or nothing, see
// ResolvePath), keeping the file as it was as its backup. inventory: the
// inventory's path as the program names it, before its links are followed.
SaveResult SaveWithBackup(const QString &inventory, const ResolvedPath &target, const QByteArray &bytes);

} // namespace Inventory
