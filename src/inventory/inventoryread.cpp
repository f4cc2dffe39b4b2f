#include "inventoryread.h"

#include "inventorypath.h"
#include "textencoding.h"

#include <QFile>
#include <QLocale>

#include <array>

namespace Inventory {

namespace {

QString UndecodableReason(Undecodable why)
{
    switch (why) {
    case Undecodable::OddUtf16:
        return QStringLiteral("il file è in UTF-16 ma il suo ultimo byte è spaiato: "
                              "sembra troncato o danneggiato");
    case Undecodable::InvalidUtf32:
        return QStringLiteral("il file è in UTF-32 ma contiene valori che non sono caratteri: "
                              "sembra danneggiato");
    }
    return {};
}

} // namespace

FileResult TooLarge(const QString &path, qint64 size)
{
    const QLocale italian(QLocale::Italian);
    QString sizeText = italian.formattedDataSize(size);
    QString limitText = italian.formattedDataSize(LargestInventory);
    // Rounded alike, the two sizes would read as no problem at all.
    if (sizeText == limitText) {
        sizeText += QStringLiteral(" (%1 byte)").arg(italian.toString(size));
        limitText += QStringLiteral(" (%1 byte)").arg(italian.toString(LargestInventory));
    }
    return {false, path, QStringLiteral("il file è troppo grande (%1; al massimo %2)").arg(sizeText, limitText)};
}

FileResult NotAFileFailure(const QString &path)
{
    return {false, path, QStringLiteral("non è un file ordinario (è una cartella o un dispositivo)")};
}

BytesResult ReadBytes(const QString &path)
{
    BytesResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{false, path, file.errorString()}, {}};
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
        return {{false, path, file.errorString()}, {}};
    return result;
}

ReadResult ReadInventory(const QString &folder, const QString &lastSeen, const FileEncoding &lastSeenEncoding)
{
    const QString path = InventoryPath(folder);
    ReadResult result;
    switch (KindOfPath(path)) {
    case PathKind::Absent:
        return result;
    case PathKind::NotAFile:
        return {NotAFileFailure(path), false, {}};
    case PathKind::OrdinaryFile:
        break;
    }
    const BytesResult file = ReadBytes(path);
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
        return {{false, path, UndecodableReason(*decoded.failure)}, true, {}};
    result.text = std::move(decoded.text);
    result.encoding = decoded.encoding;
    return result;
}

} // namespace Inventory
