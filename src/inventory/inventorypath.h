#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

namespace Inventory {

inline constexpr QStringView InventoryFileName = u"pezzarium.txt";

// The inventory's full path inside folder.
QString InventoryPath(const QString &folder);

// The copy of the previous inventory that every save keeps beside it.
QString BackupPath(const QString &folder);

enum class PathKind {
    Absent,       // nothing there, or a symbolic link that leads nowhere
    OrdinaryFile, // a file, directly or through symbolic links
    NotAFile,     // a folder, FIFO, socket or device: never read, never replaced
};

PathKind KindOfPath(const QString &path);

// The folder of the executable whose path the system gives as these bytes.
// Nothing when they are no absolute path that turns into text and back
// unchanged (a folder name that is not valid UTF-8): a path read with
// replacement characters would name some other folder.
std::optional<QString> FolderOfExecutable(const QByteArray &executablePath);

} // namespace Inventory
