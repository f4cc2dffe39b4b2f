#pragma once

#include <QString>

namespace Inventory {

// What went wrong with a file, as the window needs it to word the reason: the
// common reasons by name, any other by the system's own code and text.
enum class FileProblem {
    None,
    Other,            // see code and systemText
    NotAFile,         // a folder, FIFO, socket or device
    TooLarge,         // see size and limit
    ReadOnlyFile,     // the file's permissions or attribute forbid writing it
    ReadOnlyDisk,     // the file system is mounted read-only
    PermissionDenied,
    NoSpace,
    InUse,            // another program holds the file
    NotFound,         // the file, or a folder on its path, does not exist
    LinkLoop,         // too many symbolic links, or a loop of them
    NameTooLong,
    OddUtf16,         // UTF-16 with a byte left over at the end
    InvalidUtf32,     // UTF-32 holding a value that is no character
};

struct FileError
{
    FileProblem problem = FileProblem::None;
    int code = 0;       // the system's code (errno; GetLastError on Windows), 0 when none
    QString systemText = {}; // the system's own words, for Other
    qint64 size = 0;    // TooLarge: the file's size
    qint64 limit = 0;   // TooLarge: the largest size accepted
};

struct FileResult
{
    bool ok = true;
    QString path = {};    // the file that could not be read or written
    FileError error = {}; // why
};

inline FileResult Failure(const QString &path, FileError error)
{
    return {false, path, std::move(error)};
}

} // namespace Inventory
