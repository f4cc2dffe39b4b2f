#include "inventorysave.h"

#include "inventorypath.h"
#include "inventoryread.h"
#include "lines.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <optional>

#ifdef Q_OS_WIN
#include <QDir>

#include <string>

#include <windows.h>
#endif

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#endif

namespace Inventory {

namespace {

bool LacksSpace(const QString &path, qint64 needed)
{
    const QStorageInfo volume(QFileInfo(path).absolutePath());
    return volume.isValid() && volume.bytesAvailable() >= 0 && volume.bytesAvailable() < needed;
}

// A write that stops part-way leaves no reason behind ("Unknown error"); the
// free space then tells whether the disk is full.
QString WriteFailureReason(const QSaveFile &file, qint64 needed)
{
    QString reason = file.errorString();
    const bool unknown = reason == QCoreApplication::translate("QIODevice", "Unknown error");
    if (file.error() == QFileDevice::ResourceError || (unknown && LacksSpace(file.fileName(), needed)))
        return QStringLiteral("spazio esaurito sul disco");
    return reason;
}

#ifdef Q_OS_UNIX
// A new file belongs to whoever saves it, in their own group: in a folder
// shared by a group, after one member's save the others could no longer save.
// The new file takes the owner (which only root may give) and the group of
// the file it stands for, as far as the saver may give them.
void KeepOwnerAndGroup(int file, const QString &like)
{
    struct stat previous {};
    if (file < 0 || stat(QFile::encodeName(like).constData(), &previous) != 0)
        return;
    if (fchown(file, previous.st_uid, previous.st_gid) != 0) {
        // Not root: the group alone, where the saver belongs to it; otherwise
        // the file stays in the saver's group, as with any other program.
        [[maybe_unused]] const int groupKept = fchown(file, static_cast<uid_t>(-1), previous.st_gid);
    }
}
#endif

// Callers make sure that path is an ordinary file or nothing. ownerOf: the
// existing file whose owner and group the new one keeps.
FileResult SaveBytes(const QString &path, const QByteArray &bytes, const QString &ownerOf,
                     std::optional<QFileDevice::Permissions> permissions = std::nullopt)
{
    QSaveFile file(path);
    // Unbuffered, and written until every byte is out: when the disk fills up
    // part-way, the next write fails with the reason, where a single buffered
    // write would stop with none.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, path, file.errorString()};
    if (permissions)
        file.setPermissions(*permissions);
#ifdef Q_OS_UNIX
    KeepOwnerAndGroup(file.handle(), ownerOf);
#else
    Q_UNUSED(ownerOf);
#endif
    for (qsizetype written = 0; written < bytes.size();) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0)
            return {false, path, WriteFailureReason(file, bytes.size() - written)};
        written += more;
    }
    if (!file.commit())
        return {false, path, WriteFailureReason(file, bytes.size())};
    return {};
}

#ifdef Q_OS_UNIX
// The file at path becomes the backup under a second name, through a
// temporary name so that the old backup stays until the new one is there.
bool LinkAsBackup(const QString &path, const QString &backup)
{
    const QByteArray linked = QFile::encodeName(backup + QStringLiteral(".new"));
    unlink(linked.constData()); // left by a save that was cut short
    if (linkat(AT_FDCWD, QFile::encodeName(path).constData(), AT_FDCWD, linked.constData(), AT_SYMLINK_FOLLOW) != 0)
        return false;
    if (rename(linked.constData(), QFile::encodeName(backup).constData()) != 0) {
        unlink(linked.constData());
        return false;
    }
    return true;
}
#endif

// The inventory as it is now becomes the backup. Where the file system allows,
// the backup is the same file under a second name: nothing to copy, and it has
// the inventory's permissions by being it. Elsewhere (Windows, FAT, another
// file system behind a link) it is a copy given those permissions.
FileResult KeepBackup(const QString &folder)
{
    const QString path = InventoryPath(folder);
    const QString backup = BackupPath(folder);
    if (KindOfPath(backup) == PathKind::NotAFile)
        return NotAFileFailure(backup);
#ifdef Q_OS_UNIX
    if (LinkAsBackup(path, backup))
        return {};
#endif
    BytesResult previous = ReadBytes(path);
    if (!previous.ok)
        return previous;
    // Never read-only, though: a read-only backup would refuse every later
    // save, also once the inventory itself may be written again.
    const QFileDevice::Permissions permissions =
        QFile::permissions(path) | QFileDevice::WriteOwner | QFileDevice::WriteUser;
    return SaveBytes(backup, previous.bytes, path, permissions);
}

#ifdef Q_OS_WIN
// Replacing a file drops its attributes; a hidden inventory stays hidden.
void KeepHidden(const QString &path, bool hidden)
{
    if (!hidden)
        return;
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(name.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
}
#endif

} // namespace

SaveResult WriteInventory(const QString &folder, QStringView listText, const FileEncoding &encoding)
{
    const QString path = InventoryPath(folder);
    EncodedText file = EncodeInventory({listText, LineEnd}, encoding);
    // A file over the limit could not be read again: the user would be
    // locked out of their own inventory.
    if (file.bytes.size() > LargestInventory)
        return {TooLarge(path, file.bytes.size())};
    switch (KindOfPath(path)) {
    case PathKind::NotAFile:
        return {NotAFileFailure(path)};
    case PathKind::OrdinaryFile: {
        // Refused before the backup is touched.
        if (!QFileInfo(path).isWritable())
            return {{false, path, QStringLiteral("il file è di sola lettura")}};
        FileResult backup = KeepBackup(folder);
        if (!backup.ok)
            return {backup};
        break;
    }
    case PathKind::Absent:
        break;
    }
#ifdef Q_OS_WIN
    const bool hidden = QFileInfo(path).isHidden();
#endif
    SaveResult saved{SaveBytes(path, file.bytes, path), std::move(file.encoding)};
#ifdef Q_OS_WIN
    if (saved.ok)
        KeepHidden(path, hidden);
#endif
    return saved;
}

} // namespace Inventory
