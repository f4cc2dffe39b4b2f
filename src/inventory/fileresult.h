#pragma once

#include <QString>

#include <type_traits>
#include <utility>
#include <variant>

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

// What stopped an operation on a file: which file, and why.
struct FileFailure
{
    QString path;         // the file that could not be read or written
    FileError error = {}; // why
};

inline FileFailure Failure(const QString &path, FileError error)
{
    return {path, std::move(error)};
}

// The one result shape of the inventory layer: what an operation on a file
// gives, or the failure that stopped it. Failed is FileFailure, or a type
// that holds one and says more (see SaveFailure).
template<typename Value, typename Failed = FileFailure>
class [[nodiscard]] FileResult
{
public:
    FileResult() = default; // a default Value: done
    FileResult(Value value) : m_outcome(std::move(value)) {} // NOLINT(google-explicit-constructor)
    FileResult(Failed failure) : m_outcome(std::move(failure)) {} // NOLINT(google-explicit-constructor)
    FileResult(FileFailure failure) // NOLINT(google-explicit-constructor)
        requires(!std::is_same_v<Failed, FileFailure>)
        : m_outcome(Failed(std::move(failure)))
    {
    }

    bool ok() const { return std::holds_alternative<Value>(m_outcome); }

    // Only when ok().
    const Value &value() const { return std::get<Value>(m_outcome); }
    Value &value() { return std::get<Value>(m_outcome); }
    const Value *operator->() const { return &value(); }
    Value *operator->() { return &value(); }

    // Only when not ok().
    const Failed &failure() const { return std::get<Failed>(m_outcome); }

private:
    std::variant<Value, Failed> m_outcome;
};

// Done, or the failure that stopped it.
using FileDone = FileResult<std::monostate>;

} // namespace Inventory
