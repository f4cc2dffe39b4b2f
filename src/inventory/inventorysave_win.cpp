#include "inventorysave_platform.h"

#include "filehold.h"
#include "holdretry.h"
#include "inventoryread.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <initializer_list>
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

// Why the Win32 call that just failed did.
FileError LastError()
{
    return SystemError(int(GetLastError()));
}

// The path as the Win32 calls below take it: absolute, with backslashes and
// the \\?\ prefix, which lifts the limit of 260 characters (and with it any
// rewriting of the name, so it is cleaned here).
std::wstring Win32Path(const QString &path)
{
    const QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.startsWith(QStringLiteral("\\\\?\\")))
        return native.toStdWString();
    if (native.startsWith(QStringLiteral("\\\\"))) // \\server\share
        return (QStringLiteral("\\\\?\\UNC\\") + native.mid(2)).toStdWString();
    return (QStringLiteral("\\\\?\\") + native).toStdWString();
}

// Whether another program has the file open without letting others delete
// or rename it, which is what a replace needs.
bool HeldNow(const std::wstring &file)
{
    const HANDLE handle = CreateFileW(file.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(handle);
    return false;
}

// Calls call (a Win32 call that returns whether it worked) again while its
// failure means that another program holds a file, and gives the error of
// the last call: a hold when one of files is still held. Access denied, which
// a hold often gives, says no more than that by itself.
template<typename Call>
FileError TryWhileHeld(const Call &call, std::initializer_list<const std::wstring *> files)
{
    FileError error = RetryWhileHeld([&call] { return call() ? FileError{} : LastError(); }, HeldByAnotherProgram);
    if (HeldByAnotherProgram(error)
        && std::any_of(files.begin(), files.end(), [](const std::wstring *file) { return HeldNow(*file); }))
        error.problem = FileProblem::InUse;
    return error;
}

// A file of this save beside the inventory, under a free name of its own.
// Whatever this save put under that name is deleted when this goes, unless
// released: a save that fails leaves nothing behind.
class OwnFile
{
public:
    explicit OwnFile(const QString &folder)
    {
        do {
            const quint64 random = QRandomGenerator::global()->generate64();
            m_name = QDir(folder).filePath(QStringLiteral(".pezzarium-%1").arg(random, 16, 16, QLatin1Char('0')));
            m_path = Win32Path(m_name);
        } while (GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES);
    }
    ~OwnFile()
    {
        if (m_owned)
            TryWhileHeld([this] { return DeleteFileW(m_path.c_str()); }, {});
    }
    OwnFile(const OwnFile &) = delete;
    OwnFile &operator=(const OwnFile &) = delete;

    const QString &name() const { return m_name; }
    const std::wstring &path() const { return m_path; }
    void own() { m_owned = true; }
    void release() { m_owned = false; }

    // Makes the file with bytes in it, on the disk before it takes any
    // other file's place: a power cut then cannot leave a short file there.
    FileError write(const QByteArray &bytes)
    {
        const HANDLE file =
            CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return LastError();
        m_owned = true;
        FileError error;
        for (qsizetype written = 0; written < bytes.size() && error.problem == FileProblem::None;) {
            DWORD more = 0;
            if (!WriteFile(file, bytes.constData() + written, DWORD(bytes.size() - written), &more, nullptr))
                error = LastError();
            else if (more == 0)
                error = SystemError(ERROR_WRITE_FAULT);
            written += more;
        }
        if (error.problem == FileProblem::None && !FlushFileBuffers(file))
            error = LastError();
        CloseHandle(file);
        return error;
    }

private:
    QString m_name;
    std::wstring m_path; // m_name as Win32 takes it
    bool m_owned = false;
};

// ReplaceFile gives the new file the attributes of the one it replaces;
// where it does not (Wine), they are carried here: a hidden inventory stays
// hidden.
void CarryAttributes(const std::wstring &file, DWORD before)
{
    constexpr DWORD Carried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD now = GetFileAttributesW(file.c_str());
    if (before == INVALID_FILE_ATTRIBUTES || now == INVALID_FILE_ATTRIBUTES || (before & Carried & ~now) == 0)
        return;
    SetFileAttributesW(file.c_str(), (now & ~DWORD(FILE_ATTRIBUTE_NORMAL)) | (before & Carried));
}

// The inventory as it was, now at previous, becomes the backup. The backup
// is this program's own file: a read-only attribute on it keeps nothing safe
// and would refuse every save's backup from then on.
FileDone KeepAsBackup(OwnFile &previous, const QString &backup)
{
    const std::wstring name = Win32Path(backup);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return NotAFileFailure(backup);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)
        && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        const DWORD writable = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
        SetFileAttributesW(name.c_str(), writable != 0 ? writable : DWORD(FILE_ATTRIBUTE_NORMAL));
    }
    // A link of that name is replaced, never written through.
    FileError error = TryWhileHeld(
        [&] { return MoveFileExW(previous.path().c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING); }, {&name});
    if (error.problem != FileProblem::None)
        return Failure(backup, std::move(error));
    previous.release();
    return {};
}

// ReplaceFile stopped half-way: the inventory as it was stands at previous,
// and the new file under its temporary name. The old file goes back to its
// name, or else to the backup's; it is never deleted.
SaveFailure PutBack(const QString &path, OwnFile &previous, FileError error)
{
    SaveFailure failed(Failure(path, std::move(error)));
    const std::wstring file = Win32Path(path);
    const FileError putBack =
        TryWhileHeld([&] { return MoveFileExW(previous.path().c_str(), file.c_str(), 0); }, {&previous.path()});
    if (putBack.problem == FileProblem::None)
        return failed;
    failed.damaged = true;
    const QString backup = BackupPath(path);
    const bool backedUp = MoveFileExW(previous.path().c_str(), Win32Path(backup).c_str(), MOVEFILE_REPLACE_EXISTING);
    failed.previousVersion = backedUp ? backup : previous.name();
    return failed;
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
    if (known != Known.end())
        return {known->second, code};
    return {FileProblem::Other, code, qt_error_string(code)};
}

ResolvedPath ResolvePath(const QString &path)
{
    // A symbolic link is followed to the file that is read and written, with
    // the backup beside it; a save replaces that file and the link stays.
    QFileInfo info(path);
    for (int followed = 0; info.isSymbolicLink(); ++followed) {
        if (followed == 40)
            return {PathKind::Unresolvable, path, SystemError(ERROR_CANT_RESOLVE_FILENAME)};
        info.setFile(info.symLinkTarget());
    }
    if (!info.exists())
        return {PathKind::Absent, info.filePath()};
    return {info.isFile() ? PathKind::OrdinaryFile : PathKind::NotAFile, info.filePath()};
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

// The new file is written beside the inventory and then takes its place in
// one ReplaceFile, which keeps the inventory's access rights, creation time
// and attributes. Only that step, and the backup's, are tried again while
// another program holds a file; a folder the user may not write in, a full
// disk or a missing folder fail at once.
SaveResult SaveWithBackup(const QString & /*inventory*/, const ResolvedPath &target, const QByteArray &bytes)
{
    const QString &path = target.path;
    const std::wstring file = Win32Path(path);
    const DWORD attributes = GetFileAttributesW(file.c_str());
    // Refused before anything is written.
    if (target.kind == PathKind::OrdinaryFile && attributes != INVALID_FILE_ATTRIBUTES
        && (attributes & FILE_ATTRIBUTE_READONLY))
        return Failure(path, {FileProblem::ReadOnlyFile});
    const QString folder = QFileInfo(path).absolutePath();
    OwnFile replacement(folder);
    if (FileError error = replacement.write(bytes); error.problem != FileProblem::None)
        return Failure(path, std::move(error));

    if (target.kind == PathKind::Absent) {
        FileError error = TryWhileHeld([&] { return MoveFileExW(replacement.path().c_str(), file.c_str(), 0); },
                                       {&replacement.path()});
        if (error.problem != FileProblem::None)
            return Failure(path, std::move(error));
        replacement.release();
        return Written{};
    }

    // The inventory as it was goes to a name of its own first, and from there
    // to the backup: a backup that cannot be replaced holds up nothing.
    OwnFile previous(folder);
    FileError error = TryWhileHeld(
        [&] {
            return ReplaceFileW(file.c_str(), replacement.path().c_str(), previous.path().c_str(),
                                REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr);
        },
        {&file, &replacement.path()});
    if (error.code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        return PutBack(path, previous, std::move(error));
    if (error.problem != FileProblem::None)
        return Failure(path, std::move(error));
    replacement.release();
    previous.own();
    CarryAttributes(file, attributes);
    const FileDone backup = KeepAsBackup(previous, BackupPath(path));
    if (!backup.ok())
        return Written{{}, backup.failure()};
    return Written{};
}

} // namespace Inventory
