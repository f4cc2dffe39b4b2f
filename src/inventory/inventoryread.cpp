#include "inventoryread.h"

#include "filehold.h"
#include "holdretry.h"
#include "inventorypath.h"
#include "inventorysave_platform.h"
#include "textencoding.h"

#include <QFile>

#include <array>

namespace Inventory {

namespace {

FileProblem UndecodableProblem(Undecodable why)
{
    return why == Undecodable::OddUtf16 ? FileProblem::OddUtf16 : FileProblem::InvalidUtf32;
}

} // namespace

FileResult TooLarge(const QString &path, qint64 size)
{
    return Failure(path, {FileProblem::TooLarge, 0, {}, size, LargestInventory});
}

FileResult NotAFileFailure(const QString &path)
{
    return Failure(path, {FileProblem::NotAFile});
}

BytesResult ReadBytes(const QString &path)
{
    QFile file(path);
    const FileError opened = RetryWhileHeld([&file] { return OpenForReading(file); }, HeldByAnotherProgram);
    if (opened.problem != FileProblem::None)
        return {Failure(path, opened), {}};
    return ReadBytes(file, path);
}

BytesResult ReadBytes(QFile &file, const QString &path)
{
    BytesResult result;
    const qint64 size = file.size();
    if (size > LargestInventory)
        return {TooLarge(path, size), {}};

    result.bytes.resize(size);
    qint64 got = size > 0 ? file.read(result.bytes.data(), size) : 0;
    result.bytes.resize(qMax(got, qint64(0)));
    // Read on to the end, which a file that grew since its size was taken has
    // not reached yet, but never past the limit.
    std::array<char, std::size_t(64) * 1024> chunk{};
    while (got >= 0) {
        got = file.read(chunk.data(), chunk.size());
        if (got <= 0)
            break;
        if (result.bytes.size() + got > LargestInventory)
            return {TooLarge(path, result.bytes.size() + got), {}};
        result.bytes.append(chunk.data(), got);
    }
    if (got < 0 || file.error() != QFileDevice::NoError)
        return {Failure(path, LastFileError(file)), {}};
    return result;
}

ReadResult ReadInventory(const QString &folder, const QString &lastSeen, const FileEncoding &lastSeenEncoding)
{
    const QString path = InventoryPath(folder);
    ReadResult result;
    const ResolvedPath target = ResolvePath(path);
    switch (target.kind) {
    case PathKind::Absent:
        return result;
    case PathKind::NotAFile:
        return {NotAFileFailure(path), false, {}};
    case PathKind::Unresolvable:
        return {Failure(target.path, target.error), false, {}};
    case PathKind::OrdinaryFile:
        break;
    }
    const BytesResult file = ReadBytes(target.path);
    if (!file.ok)
        return {file, true, {}};
    result.exists = true;
    // What the encoder writes reads back as the text it was given.
    if (!lastSeen.isEmpty()) {
        const EncodedText expected = EncodeInventory({lastSeen}, lastSeenEncoding);
        if (file.bytes == expected.bytes) {
            result.text = lastSeen;
            result.encoding = lastSeenEncoding;
            return result;
        }
    }
    DecodedText decoded = DecodeInventory(file.bytes);
    if (decoded.failure)
        return {Failure(target.path, {UndecodableProblem(*decoded.failure)}), true, {}};
    result.text = std::move(decoded.text);
    result.encoding = decoded.encoding;
    return result;
}

} // namespace Inventory
