#pragma once

#include "fileresult.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace Inventory {

inline constexpr QStringView InventoryFileName = u"pezzarium.txt";

// The inventory's full path inside folder.
QString InventoryPath(const QString &folder);

// The copy of the previous file that every save keeps beside the file it writes.
QString BackupPath(const QString &file);

enum class PathKind {
    Absent,       // nothing there: a save creates the file
    OrdinaryFile, // a file, directly or through symbolic links
    NotAFile,     // a folder, FIFO, socket or device: never read, never replaced
    Unresolvable, // a link loop, or a path that cannot be followed: never replaced
};

struct ResolvedPath
{
    PathKind kind = PathKind::Absent;
    // The file that is read and written: the path with its symbolic links
    // followed (Absent: where a save creates it). Unresolvable: the name at
    // which following the path failed.
    QString path;
    FileError error = {}; // Unresolvable: why
};

// What stands at path, its symbolic links followed.
ResolvedPath ResolvePath(const QString &path);

PathKind KindOfPath(const QString &path);

// The folder of the executable whose path the system gives as these bytes.
// Nothing when they are no absolute path that turns into text and back
// unchanged (a folder name that is not valid UTF-8): a path read with
// replacement characters would name some other folder.
std::optional<QString> FolderOfExecutable(const QByteArray &executablePath);

} // namespace Inventory
