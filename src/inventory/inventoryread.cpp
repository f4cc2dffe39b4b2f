#include "inventoryread.h"

#include "filehold.h"
#include "holdretry.h"
#include "inventorypath.h"
#include "inventorysave_platform.h"
#include "textencoding.h"

#include <QFile>

#include <array>

namespace Inventory {

FileFailure TooLarge(const QString &path, qint64 size)
{
    return Failure(path, {FileProblem::TooLarge, 0, {}, size, LargestInventory});
}

FileFailure NotAFileFailure(const QString &path)
{
    return Failure(path, {FileProblem::NotAFile});
}

FileResult<QByteArray> ReadBytes(const QString &path)
{
    QFile file(path);
    const FileError opened = RetryWhileHeld([&file] { return OpenForReading(file); }, HeldByAnotherProgram);
    if (opened.problem != FileProblem::None)
        return Failure(path, opened);
    return ReadBytes(file, path);
}

FileResult<QByteArray> ReadBytes(QFile &file, const QString &path)
{
    const qint64 size = file.size();
    if (size > LargestInventory)
        return TooLarge(path, size);

    QByteArray bytes(size, Qt::Uninitialized);
    qint64 got = size > 0 ? file.read(bytes.data(), size) : 0;
    bytes.resize(qMax(got, qint64(0)));
    // Read on to the end, which a file that grew since its size was taken has
    // not reached yet, but never past the limit.
    std::array<char, std::size_t(64) * 1024> chunk{};
    while (got >= 0) {
        got = file.read(chunk.data(), chunk.size());
        if (got <= 0)
            break;
        if (bytes.size() + got > LargestInventory)
            return TooLarge(path, bytes.size() + got);
        bytes.append(chunk.data(), got);
    }
    if (got < 0 || file.error() != QFileDevice::NoError)
        return Failure(path, LastFileError(file));
    return bytes;
}

FileResult<InventoryText> ReadInventory(const QString &folder, const QString &lastSeen,
                                        const FileEncoding &lastSeenEncoding)
{
    const QString path = InventoryPath(folder);
    return ReadInventory(path, ResolvePath(path), lastSeen, lastSeenEncoding);
}

FileResult<InventoryText> ReadInventory(const QString &path, const ResolvedPath &target, const QString &lastSeen,
                                        const FileEncoding &lastSeenEncoding)
{
    switch (target.kind) {
    case PathKind::Absent:
        return InventoryText{};
    case PathKind::NotAFile:
        return NotAFileFailure(path);
    case PathKind::Unresolvable:
        return Failure(target.path, target.error);
    case PathKind::OrdinaryFile:
        break;
    }
    const FileResult<QByteArray> file = ReadBytes(target.path);
    if (!file.ok())
        return file.failure();
    // What the encoder writes reads back as the text it was given.
    if (!lastSeen.isEmpty() && file.value() == EncodeInventory({lastSeen}, lastSeenEncoding).bytes)
        return InventoryText{true, lastSeen, lastSeenEncoding};
    DecodedText decoded = DecodeInventory(file.value());
    if (decoded.failure)
        return Failure(target.path, {*decoded.failure});
    return InventoryText{true, std::move(decoded.text), std::move(decoded.encoding)};
}

} // namespace Inventory
