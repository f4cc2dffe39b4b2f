#include "inventorysave_platform.h"

#include "inventoryread.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

namespace Inventory {

namespace {

// As many as the system itself follows before it gives up with ELOOP.
constexpr int MostLinksFollowed = 40;

// POSIX ACLs travel as this extended attribute, in the kernel's own format.
constexpr const char *AclAttribute = "system.posix_acl_access";

FileFailure SystemFailure(const QByteArray &path, int code)
{
    return Failure(QFile::decodeName(path), SystemError(code));
}

std::optional<FileFailure> StaleBackup(const FileDone &backup)
{
    if (backup.ok())
        return std::nullopt;
    return backup.failure();
}

QByteArray FolderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.first(slash);
}

bool SameFile(const struct stat &one, const struct stat &other)
{
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// An open file descriptor, closed when it goes.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

// A file being written beside the one it replaces. Until it is put in place
// it has no name where the file system allows (so that even a save cut short
// by a crash leaves nothing behind), a random one elsewhere; whatever happens,
// it is gone unless put in place.
class NewFile
{
public:
    explicit NewFile(QByteArray folder) : m_folder(std::move(folder)) {}
    ~NewFile()
    {
        if (!m_name.isEmpty())
            unlink(m_name.constData());
    }
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    int fd() const { return m_fd.get(); }

    // 0, or the errno why the file could not be made.
    int create(mode_t mode)
    {
        m_fd.reset(open(m_folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        if (fd() >= 0)
            return 0;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return errno;
        return withFreeName([this, mode](const QByteArray &name) {
            m_fd.reset(open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
            return fd() >= 0;
        });
    }

    // Replaces the name as (whatever stands there: a link is replaced, never
    // followed) with this file, in one step. 0, or the errno why not.
    int putInPlace(const QByteArray &as)
    {
        if (m_name.isEmpty()) {
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd());
            const int code = withFreeName([&self](const QByteArray &name) {
                return linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0;
            });
            if (code != 0)
                return code;
        }
        if (rename(m_name.constData(), as.constData()) != 0)
            return errno;
        m_name.clear();
        return 0;
    }

    // The file as a second name of existing, not yet in place.
    int linkTo(const QByteArray &existing)
    {
        return withFreeName([&existing](const QByteArray &name) {
            return linkat(AT_FDCWD, existing.constData(), AT_FDCWD, name.constData(), 0) == 0;
        });
    }

private:
    // Tries make with fresh random names in the folder until one is free.
    template<typename Make> int withFreeName(const Make &make)
    {
        constexpr std::string_view Letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        for (int attempt = 0; attempt < 100; ++attempt) {
            QByteArray name = m_folder + "/.pezzarium-";
            for (int i = 0; i < 8; ++i)
                name += Letters[QRandomGenerator::global()->bounded(int(Letters.size()))];
            if (make(name)) {
                m_name = name;
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }

    QByteArray m_folder;
    QByteArray m_name; // empty while the file has none of its own
    Descriptor m_fd;
};

int WriteAll(int fd, const QByteArray &bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t more = pwrite(fd, bytes.constData() + written, size_t(bytes.size() - written), off_t(written));
        if (more < 0 && errno != EINTR)
            return errno;
        if (more == 0) // no room and no error: never loop on it
            return EIO;
        written += qMax(more, ssize_t(0));
    }
    return 0;
}

// The mode that gives no one more than the ACL did, where the ACL cannot
// travel. With an ACL, the mode's group bits are its mask; the owning group
// had only what its own entry and the mask both allow, and the users and
// groups named in it get nothing.
mode_t ModeWithoutAcl(mode_t mode, const QByteArray &acl)
{
    // A 4-byte version, then entries of tag, permissions (16 bits each) and
    // id (32 bits), little-endian.
    constexpr quint16 GroupObject = 0x04;
    constexpr quint16 Mask = 0x10;
    unsigned group = 0;
    unsigned mask = 07;
    for (qsizetype at = 4; at + 8 <= acl.size(); at += 8) {
        const auto tag = qFromLittleEndian<quint16>(acl.constData() + at);
        const auto permissions = qFromLittleEndian<quint16>(acl.constData() + at + 2) & 07u;
        if (tag == GroupObject)
            group = permissions;
        else if (tag == Mask)
            mask = permissions;
    }
    return (mode & ~mode_t(S_IRWXG)) | mode_t((group & mask) << 3);
}

// What fill (a getxattr or listxattr call) gives into a buffer of the size it
// asks for when given none; nothing when it fails. The size is asked again
// when the value grew between the two calls.
template<typename Fill> std::optional<QByteArray> GrownToFit(const Fill &fill)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = fill(nullptr, 0);
        if (size < 0)
            return std::nullopt;
        QByteArray value(size, Qt::Uninitialized);
        const ssize_t got = fill(value.data(), size_t(value.size()));
        if (got >= 0)
            return value.first(got);
        if (errno != ERANGE)
            return std::nullopt;
    }
    return std::nullopt;
}

// The value of one extended attribute of path; nothing when it cannot be read.
std::optional<QByteArray> Attribute(const QByteArray &path, const char *name)
{
    return GrownToFit(
        [&path, name](char *value, size_t size) { return getxattr(path.constData(), name, value, size); });
}

// The names of path's extended attributes, each ended by a NUL.
QByteArray AttributeNames(const QByteArray &path)
{
    return GrownToFit([&path](char *names, size_t size) { return listxattr(path.constData(), names, size); })
        .value_or(QByteArray());
}

// The new file gets the access of the file at from: its mode, then its
// extended attributes, the ACL among them (which also sets the mode's group
// bits from its mask). An attribute the saver may not set stays behind; the
// ACL, if it must, takes away what it gave (ModeWithoutAcl).
void CarryAccess(const QByteArray &from, int to, mode_t mode)
{
    fchmod(to, mode);
    const QByteArray names = AttributeNames(from);
    for (qsizetype at = 0; at < names.size(); at += qsizetype(qstrlen(names.constData() + at)) + 1) {
        const char *name = names.constData() + at;
        const std::optional<QByteArray> value = Attribute(from, name);
        const bool carried = value && fsetxattr(to, name, value->constData(), size_t(value->size()), 0) == 0;
        if (!carried && std::strcmp(name, AclAttribute) == 0)
            fchmod(to, ModeWithoutAcl(mode, value.value_or(QByteArray())));
    }
}

// A backup is never written through: it is made as a new file, which then
// replaces whatever name stands there. Only a folder or a special file of
// that name, which someone made on purpose, is left alone. existing: what
// stands there (zero when nothing does).
std::optional<FileFailure> BackupRefused(const QByteArray &backup, struct stat &existing)
{
    if (lstat(backup.constData(), &existing) != 0)
        existing = {};
    else if (!S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode))
        return NotAFileFailure(QFile::decodeName(backup));
    return std::nullopt;
}

// The backup as a copy of bytes, with the access of the file (info) as far as
// the saver may give it, and its owner's right to write it: a read-only
// backup would refuse every later save.
FileDone CopyAsBackup(const QByteArray &file, const QByteArray &backup, const struct stat &info,
                      const QByteArray &bytes)
{
    struct stat existing {};
    if (std::optional<FileFailure> refused = BackupRefused(backup, existing))
        return *refused;
    NewFile copy(FolderOf(file));
    int code = copy.create(0600);
    if (code == 0) {
        if (fchown(copy.fd(), info.st_uid, info.st_gid) != 0) {
            // Not root: the group alone, where the saver belongs to it.
            [[maybe_unused]] const int groupKept = fchown(copy.fd(), uid_t(-1), info.st_gid);
        }
        code = WriteAll(copy.fd(), bytes);
    }
    if (code == 0) {
        CarryAccess(file, copy.fd(), (info.st_mode & 07777) | S_IWUSR);
        code = fdatasync(copy.fd()) == 0 ? copy.putInPlace(backup) : errno;
    }
    if (code != 0)
        return SystemFailure(backup, code);
    return {};
}

// The file as it is now stays as the backup under a second name: nothing to
// copy, and it keeps every right of the file by being it. A copy where the
// file system has no second names.
FileDone KeepBackup(const QByteArray &file, const QByteArray &backup, const struct stat &info)
{
    struct stat existing {};
    if (std::optional<FileFailure> refused = BackupRefused(backup, existing))
        return *refused;
    if (SameFile(existing, info))
        return {}; // left by a save cut short: it already is the file as it is now
    NewFile link(FolderOf(file));
    int code = link.linkTo(file);
    if (code == EPERM || code == EXDEV || code == EMLINK || code == ENOTSUP) {
        const FileResult<QByteArray> previous = ReadBytes(QFile::decodeName(file));
        if (!previous.ok())
            return previous.failure();
        return CopyAsBackup(file, backup, info, previous.value());
    }
    if (code == 0)
        code = link.putInPlace(backup);
    if (code != 0)
        return SystemFailure(backup, code);
    return {};
}

// Writes a new file beside the old one and renames it over it, after linking
// the old one as the backup: atomic, a reader sees the whole old file or the
// whole new one. Only where the new file can be the old one in every respect,
// the same owner and group first (root may give any; others only their own
// file in one of their groups); nothing when it cannot.
std::optional<SaveResult> Replace(const QByteArray &file, const QByteArray &backup, const struct stat &info,
                                  const QByteArray &bytes)
{
    NewFile replacement(FolderOf(file));
    int code = replacement.create(0600);
    if (code == EACCES || code == EPERM)
        return std::nullopt; // a folder the saver may not write in
    if (code == 0 && fchown(replacement.fd(), info.st_uid, info.st_gid) != 0)
        return std::nullopt;
    if (code == 0)
        code = WriteAll(replacement.fd(), bytes);
    if (code == 0) {
        CarryAccess(file, replacement.fd(), info.st_mode & 07777);
        code = fdatasync(replacement.fd()) == 0 ? 0 : errno;
    }
    if (code != 0)
        return SaveResult(SystemFailure(file, code));
    const FileDone kept = KeepBackup(file, backup, info);
    code = replacement.putInPlace(file);
    if (code != 0)
        return SaveResult(SystemFailure(file, code));
    return Written{{}, StaleBackup(kept)};
}

// Room for the open file to grow from size to newSize, taken before anything
// is written, so that a full disk leaves the file untouched.
int Reserve(int fd, qint64 size, qint64 newSize)
{
    if (newSize <= size)
        return 0;
    const int code = posix_fallocate(fd, 0, off_t(newSize));
    if (code == 0 || code == EOPNOTSUPP || code == EINVAL) // EINVAL: not on this file system
        return 0;
    [[maybe_unused]] const int shrunk = ftruncate(fd, off_t(size));
    return code;
}

// Gives the open file these bytes and nothing more.
int Overwrite(int fd, const QByteArray &bytes)
{
    if (const int code = WriteAll(fd, bytes))
        return code;
    if (ftruncate(fd, off_t(bytes.size())) != 0 || fdatasync(fd) != 0)
        return errno;
    return 0;
}

// Writes the file where it stands, so that it stays one file with all its
// names, its owner and its rights: for a file with several names, and where
// the saver may write the file but not replace it (another user's file, a
// folder the saver may not write in, a sticky folder). Not atomic: while it is
// written, a reader may see part of the new text, and a crash or a power cut
// in that moment leaves a mix of both. So the backup, a copy, is made first;
// a write that fails puts the previous bytes back.
SaveResult WriteInPlace(const QByteArray &file, const QByteArray &backup, const QByteArray &bytes)
{
    // O_NOFOLLOW: a link put there since the path was followed is refused.
    const Descriptor fd(open(file.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0)
        return SystemFailure(file, errno);
    if (!S_ISREG(info.st_mode))
        return NotAFileFailure(QFile::decodeName(file));
    QFile opened;
    if (!opened.open(fd.get(), QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle))
        return SystemFailure(file, EBADF);
    const FileResult<QByteArray> previous = ReadBytes(opened, QFile::decodeName(file));
    if (!previous.ok())
        return previous.failure();

    const FileDone copied = CopyAsBackup(file, backup, info, previous.value());
    if (const int code = Reserve(fd.get(), previous->size(), bytes.size()))
        return SystemFailure(file, code);
    if (const int failed = Overwrite(fd.get(), bytes)) {
        SaveFailure failure(SystemFailure(file, failed));
        failure.damaged = Overwrite(fd.get(), previous.value()) != 0;
        if (failure.damaged && copied.ok())
            failure.previousVersion = QFile::decodeName(backup);
        return failure;
    }
    return Written{{}, StaleBackup(copied)};
}

SaveResult WriteNewFile(const QByteArray &file, const QByteArray &bytes)
{
    NewFile created(FolderOf(file));
    int code = created.create(0666); // as the umask allows, like any new file
    if (code == 0)
        code = WriteAll(created.fd(), bytes);
    if (code == 0)
        code = fdatasync(created.fd()) == 0 ? created.putInPlace(file) : errno;
    if (code != 0)
        return SystemFailure(file, code);
    return Written{};
}

// A link that another user put in a shared folder anyone may write in, with
// the sticky bit: following it would let them choose which of the saver's
// files a save overwrites. The system itself refuses to follow such a link
// (fs.protected_symlinks), but only where it follows the path itself.
bool PlantedLink(const QByteArray &link, const struct stat &info)
{
    struct stat folder {};
    if (stat(FolderOf(link).constData(), &folder) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return shared && info.st_uid != geteuid() && info.st_uid != folder.st_uid;
}

ResolvedPath Unresolvable(const QByteArray &path, int code)
{
    return {PathKind::Unresolvable, QFile::decodeName(path), SystemError(code)};
}

} // namespace

FileError SystemError(int code)
{
    // The common reasons, which the window words itself.
    constexpr std::array Known{
        std::pair{EACCES, FileProblem::PermissionDenied}, std::pair{EPERM, FileProblem::PermissionDenied},
        std::pair{EROFS, FileProblem::ReadOnlyDisk},      std::pair{ENOSPC, FileProblem::NoSpace},
        std::pair{EDQUOT, FileProblem::NoSpace},          std::pair{EBUSY, FileProblem::InUse},
        std::pair{ETXTBSY, FileProblem::InUse},           std::pair{ENOENT, FileProblem::NotFound},
        std::pair{ENOTDIR, FileProblem::NotFound},        std::pair{ELOOP, FileProblem::LinkLoop},
        std::pair{ENAMETOOLONG, FileProblem::NameTooLong}, std::pair{EISDIR, FileProblem::NotAFile},
    };
    const auto *known =
        std::find_if(Known.begin(), Known.end(), [code](const auto &reason) { return reason.first == code; });
    return {known == Known.end() ? FileProblem::Other : known->second, code,
            QString::fromLocal8Bit(std::strerror(code))};
}

ResolvedPath ResolvePath(const QString &path)
{
    QByteArray name = QFile::encodeName(path);
    for (int followed = 0;; ++followed) {
        // A name that does not turn into text and back would be written as
        // another name.
        if (QFile::encodeName(QFile::decodeName(name)) != name)
            return Unresolvable(name, EILSEQ);
        struct stat info {};
        if (lstat(name.constData(), &info) != 0) {
            if (errno != ENOENT)
                return Unresolvable(name, errno);
            // Nothing there: a save creates the file, if its folder is there.
            struct stat folder {};
            if (stat(FolderOf(name).constData(), &folder) != 0)
                return Unresolvable(name, errno);
            if (!S_ISDIR(folder.st_mode))
                return Unresolvable(name, ENOTDIR);
            return {PathKind::Absent, QFile::decodeName(name)};
        }
        if (!S_ISLNK(info.st_mode))
            return {S_ISREG(info.st_mode) ? PathKind::OrdinaryFile : PathKind::NotAFile, QFile::decodeName(name)};
        if (followed == MostLinksFollowed)
            return Unresolvable(QFile::encodeName(path), ELOOP);
        if (PlantedLink(name, info))
            return Unresolvable(name, EACCES);
        // Some file systems give a link's length as 0.
        QByteArray target(qMax(qint64(info.st_size), qint64(PATH_MAX)) + 1, Qt::Uninitialized);
        const ssize_t length = readlink(name.constData(), target.data(), size_t(target.size()));
        if (length < 0 || length >= target.size())
            return Unresolvable(name, length < 0 ? errno : ELOOP);
        target.truncate(length);
        name = target.startsWith('/') ? target : FolderOf(name) + '/' + target;
    }
}

FileError OpenForReading(QFile &file)
{
    const QByteArray name = QFile::encodeName(file.fileName());
    // Non-blocking: a FIFO put in the file's place since it was looked at
    // must not hang the program.
    Descriptor fd(open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0)
        return SystemError(errno);
    if (!S_ISREG(info.st_mode))
        return {FileProblem::NotAFile};
    if (!file.open(fd.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return {FileProblem::Other, 0, file.errorString()};
    fd.release();
    return {};
}

FileError LastFileError(const QFileDevice &file)
{
    FileError error = SystemError(errno);
    if (error.problem == FileProblem::Other)
        error.systemText = file.errorString();
    return error;
}

SaveResult SaveWithBackup(const QString &inventory, const ResolvedPath &target, const QByteArray &bytes)
{
    const QByteArray file = QFile::encodeName(target.path);
    if (target.kind == PathKind::Absent)
        return WriteNewFile(file, bytes);
    // Refused before the backup is touched.
    if (faccessat(AT_FDCWD, file.constData(), W_OK, AT_EACCESS) != 0) {
        if (errno == EACCES)
            return Failure(target.path, {FileProblem::ReadOnlyFile});
        return SystemFailure(file, errno);
    }
    // Earlier versions made the backup under this name first, beside the
    // inventory's own name; one that a save cut short left behind would count
    // as another name of the file.
    unlink(QFile::encodeName(BackupPath(inventory) + QStringLiteral(".new")).constData());
    struct stat info {};
    if (stat(file.constData(), &info) != 0)
        return SystemFailure(file, errno);
    const QByteArray backup = QFile::encodeName(BackupPath(target.path));
    // The file's other names, but for a backup that a save cut short left
    // as one of them.
    nlink_t names = info.st_nlink;
    struct stat existing {};
    if (names > 1 && lstat(backup.constData(), &existing) == 0 && SameFile(existing, info))
        --names;
    if (names <= 1) {
        if (std::optional<SaveResult> replaced = Replace(file, backup, info, bytes))
            return *replaced;
    }
    return WriteInPlace(file, backup, bytes);
}

} // namespace Inventory
