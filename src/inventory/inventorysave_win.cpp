#include "inventorysave_platform.h"

#include "inventoryread.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include <windows.h>

namespace Inventory {

namespace {

// A file's error, with the system's code where the failing call left one.
FileError ErrorOf(const QFileDevice &file, DWORD code)
{
    FileError error = SystemError(int(code));
    if (file.error() == QFileDevice::ResourceError)
        error.problem = FileProblem::NoSpace;
    if (error.problem == FileProblem::Other)
        error.systemText = file.errorString();
    return error;
}

bool LacksSpace(const QString &path, qint64 needed)
{
    const QStorageInfo volume(QFileInfo(path).absolutePath());
    return volume.isValid() && volume.bytesAvailable() >= 0 && volume.bytesAvailable() < needed;
}

// A write that stops part-way leaves no reason behind ("Unknown error"); the
// free space then tells whether the disk is full.
FileError WriteFailure(const QSaveFile &file, DWORD code, qint64 needed)
{
    const bool unknown = file.errorString() == QCoreApplication::translate("QIODevice", "Unknown error");
    if (unknown && LacksSpace(file.fileName(), needed))
        return {FileProblem::NoSpace, int(code)};
    return ErrorOf(file, code);
}

FileResult SaveBytes(const QString &path, const QByteArray &bytes,
                     std::optional<QFileDevice::Permissions> permissions = std::nullopt)
{
    QSaveFile file(path);
    // Unbuffered, and written until every byte is out: when the disk fills up
    // part-way, the next write fails with the reason, where a single buffered
    // write would stop with none.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Failure(path, ErrorOf(file, GetLastError()));
    if (permissions)
        file.setPermissions(*permissions);
    for (qsizetype written = 0; written < bytes.size();) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0)
            return Failure(path, WriteFailure(file, GetLastError(), bytes.size() - written));
        written += more;
    }
    if (!file.commit())
        return Failure(path, WriteFailure(file, GetLastError(), bytes.size()));
    return {};
}

// The inventory as it is now becomes the backup: a copy, given the
// inventory's permissions.
FileResult KeepBackup(const QString &path)
{
    const QString backup = BackupPath(path);
    if (KindOfPath(backup) == PathKind::NotAFile)
        return NotAFileFailure(backup);
    BytesResult previous = ReadBytes(path);
    if (!previous.ok)
        return previous;
    // Never read-only, though: a read-only backup would refuse every later
    // save, also once the inventory itself may be written again.
    const QFileDevice::Permissions permissions =
        QFile::permissions(path) | QFileDevice::WriteOwner | QFileDevice::WriteUser;
    return SaveBytes(backup, previous.bytes, permissions);
}

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

} // namespace

FileError SystemError(int code)
{
    // The common reasons, which the window words itself.
    constexpr std::array Known{
        std::pair{ERROR_ACCESS_DENIED, FileProblem::PermissionDenied},
        std::pair{ERROR_WRITE_PROTECT, FileProblem::ReadOnlyDisk},
        std::pair{ERROR_DISK_FULL, FileProblem::NoSpace},
        std::pair{ERROR_HANDLE_DISK_FULL, FileProblem::NoSpace},
        std::pair{ERROR_SHARING_VIOLATION, FileProblem::InUse},
        std::pair{ERROR_LOCK_VIOLATION, FileProblem::InUse},
        std::pair{ERROR_FILE_NOT_FOUND, FileProblem::NotFound},
        std::pair{ERROR_PATH_NOT_FOUND, FileProblem::NotFound},
        std::pair{ERROR_CANT_RESOLVE_FILENAME, FileProblem::LinkLoop},
        std::pair{ERROR_FILENAME_EXCED_RANGE, FileProblem::NameTooLong},
    };
    const auto *known = std::find_if(Known.begin(), Known.end(),
                                     [code](const auto &reason) { return reason.first == code; });
    return {known == Known.end() ? FileProblem::Other : known->second, code};
}

ResolvedPath ResolvePath(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {PathKind::Absent, path};
    return {info.isFile() ? PathKind::OrdinaryFile : PathKind::NotAFile, path};
}

FileError OpenForReading(QFile &file)
{
    if (file.open(QIODevice::ReadOnly))
        return {};
    return ErrorOf(file, GetLastError());
}

FileError LastFileError(const QFileDevice &file)
{
    return ErrorOf(file, GetLastError());
}

SaveResult SaveWithBackup(const ResolvedPath &target, const QByteArray &bytes)
{
    const QString &path = target.path;
    if (target.kind == PathKind::OrdinaryFile) {
        // Refused before the backup is touched.
        if (!QFileInfo(path).isWritable())
            return {Failure(path, {FileProblem::ReadOnlyFile})};
        FileResult backup = KeepBackup(path);
        if (!backup.ok)
            return {backup};
    }
    const bool hidden = QFileInfo(path).isHidden();
    SaveResult saved{SaveBytes(path, bytes)};
    if (saved.ok)
        KeepHidden(path, hidden);
    return saved;
}

} // namespace Inventory
