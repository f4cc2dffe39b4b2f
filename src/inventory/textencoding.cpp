#include "textencoding.h"

#include "codepage.h"
#include "linebreaks.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace Inventory {

namespace {

constexpr QByteArrayView Utf8Mark("\xEF\xBB\xBF", 3);
constexpr QByteArrayView Utf16LittleEndianMark("\xFF\xFE", 2);
constexpr QByteArrayView Utf16BigEndianMark("\xFE\xFF", 2);
constexpr QByteArrayView Utf32LittleEndianMark("\xFF\xFE\0\0", 4);
constexpr QByteArrayView Utf32BigEndianMark("\0\0\xFE\xFF", 4);

enum class ByteOrder { LittleEndian, BigEndian };

QString Utf16Text(QByteArrayView bytes, ByteOrder order)
{
    // Unit by unit, lone surrogates included, so that the text encodes back
    // to the very bytes.
    QString text(bytes.size() / 2, Qt::Uninitialized);
    if (order == ByteOrder::LittleEndian)
        qFromLittleEndian<char16_t>(bytes.data(), text.size(), text.data());
    else
        qFromBigEndian<char16_t>(bytes.data(), text.size(), text.data());
    return text;
}

char32_t Utf32Unit(QByteArrayView bytes, qsizetype at, ByteOrder order)
{
    return order == ByteOrder::LittleEndian ? qFromLittleEndian<quint32>(bytes.data() + at)
                                            : qFromBigEndian<quint32>(bytes.data() + at);
}

// Nothing when a unit is no character: a surrogate, or beyond U+10FFFF.
std::optional<QString> Utf32Text(QByteArrayView bytes, ByteOrder order)
{
    QString text;
    text.reserve(bytes.size() / 4);
    for (qsizetype at = 0; at + 4 <= bytes.size(); at += 4) {
        const char32_t unit = Utf32Unit(bytes, at, order);
        if (unit > 0x10FFFF || QChar::isSurrogate(unit))
            return std::nullopt;
        text += QChar::fromUcs4(unit);
    }
    return text;
}

bool HasUtf32LineBreak(QByteArrayView bytes, ByteOrder order)
{
    for (qsizetype at = 0; at + 4 <= bytes.size(); at += 4) {
        if (IsLineBreak(Utf32Unit(bytes, at, order)))
            return true;
    }
    return false;
}

// UTF-16 without a byte-order mark, as some programs write it: a line end
// there is a CR or LF byte paired with a NUL, and never the bytes CR LF side
// by side, which every 8-bit or UTF-8 file of more than one line holds.
std::optional<ByteOrder> Utf16OrderWithoutMark(QByteArrayView bytes)
{
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes.indexOf(QByteArrayView("\r\n")) >= 0)
        return std::nullopt;
    bool littleEndianBreak = false;
    bool bigEndianBreak = false;
    qsizetype nulsFirst = 0;
    qsizetype nulsSecond = 0;
    for (qsizetype at = 0; at < bytes.size(); at += 2) {
        const char first = bytes[at];
        const char second = bytes[at + 1];
        littleEndianBreak = littleEndianBreak || (second == 0 && IsLineBreak(first));
        bigEndianBreak = bigEndianBreak || (first == 0 && IsLineBreak(second));
        nulsFirst += first == 0;
        nulsSecond += second == 0;
    }
    if (littleEndianBreak && bigEndianBreak)
        return nulsFirst > nulsSecond ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
    if (littleEndianBreak)
        return ByteOrder::LittleEndian;
    if (bigEndianBreak)
        return ByteOrder::BigEndian;
    return std::nullopt;
}

// The whole of bytes as UTF-8, or nothing when they are not valid UTF-8.
// Stateless: a sequence cut off at the end is an error, not a wait for more.
std::optional<QString> Utf8(QStringDecoder &decoder, QByteArrayView bytes)
{
    decoder.resetState();
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

DecodedText Decoded(QString text, TextEncoding kind)
{
    return {std::move(text), kind, std::nullopt};
}

DecodedText Failure(FileProblem why)
{
    return {QString(), TextEncoding::System, why};
}

DecodedText DecodeUtf16(QByteArrayView units, ByteOrder order, TextEncoding kind)
{
    if (units.size() % 2 != 0)
        return Failure(FileProblem::OddUtf16);
    return Decoded(Utf16Text(units, order), kind);
}

DecodedText DecodeUtf32(QByteArrayView units, ByteOrder order, TextEncoding kind)
{
    std::optional<QString> text;
    if (units.size() % 4 == 0)
        text = Utf32Text(units, order);
    if (!text)
        return Failure(FileProblem::InvalidUtf32);
    return Decoded(std::move(*text), kind);
}

// Lines of UTF-8 and of the 8-bit code page, after a UTF-8 byte-order mark
// when marked.
DecodedText DecodeLines(QByteArrayView bytes, bool marked)
{
    // Only the file's first byte-order mark is skipped, by the caller; one
    // that starts a line is a character of that line.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    if (std::optional<QString> whole = Utf8(utf8, bytes)) {
        // As many characters as bytes: ASCII only, which suits every encoding.
        const bool ascii = whole->size() == bytes.size();
        const TextEncoding kind = marked ? TextEncoding::Utf8WithBom
                                         : ascii ? TextEncoding::System : TextEncoding::Utf8;
        return Decoded(std::move(*whole), kind);
    }

    struct Line
    {
        qsizetype start;
        qsizetype length;
        bool eightBit;
    };
    QList<Line> beyondAscii; // needed only for a mixed file
    bool utf8Lines = false;
    QString text;
    text.reserve(bytes.size());
    // CR and LF are single bytes in both encodings, so lines can be told
    // apart before either is chosen.
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && !IsLineBreak(bytes[end]))
            ++end;
        const QByteArrayView line = bytes.sliced(pos, end - pos);
        const qsizetype start = text.size();
        if (std::optional<QString> decoded = Utf8(utf8, line)) {
            text += *decoded;
            if (decoded->size() != line.size()) {
                utf8Lines = true;
                beyondAscii.append({start, decoded->size(), false});
            }
        } else {
            AppendEightBit(text, line);
            beyondAscii.append({start, text.size() - start, true});
        }
        for (pos = end; pos < bytes.size() && IsLineBreak(bytes[pos]); ++pos)
            text += QLatin1Char(bytes[pos]);
    }
    if (!marked && !utf8Lines)
        return Decoded(std::move(text), TextEncoding::EightBit);

    auto mixed = std::make_shared<MixedLines>();
    mixed->byteOrderMark = marked;
    for (const Line &line : beyondAscii)
        mixed->eightBit[text.sliced(line.start, line.length)].append(line.eightBit);
    DecodedText decoded = Decoded(std::move(text), TextEncoding::Mixed);
    decoded.encoding.mixedLines = std::move(mixed);
    return decoded;
}

QString Joined(std::initializer_list<QStringView> pieces)
{
    QString text;
    for (const QStringView piece : pieces)
        text += piece;
    return text;
}

// Nothing when the text holds a lone surrogate, which UTF-8 cannot carry.
std::optional<QByteArray> Utf8Bytes(std::initializer_list<QStringView> pieces, bool byteOrderMark)
{
    QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QByteArray bytes;
    if (byteOrderMark)
        bytes = Utf8Mark.toByteArray();
    for (const QStringView piece : pieces) {
        QByteArray encoded = encoder.encode(piece);
        if (bytes.isEmpty())
            bytes = std::move(encoded);
        else
            bytes += encoded;
    }
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

QByteArray Utf16Bytes(std::initializer_list<QStringView> pieces, ByteOrder order, bool byteOrderMark)
{
    QByteArray bytes;
    if (byteOrderMark)
        bytes = (order == ByteOrder::LittleEndian ? Utf16LittleEndianMark : Utf16BigEndianMark).toByteArray();
    qsizetype at = bytes.size();
    qsizetype size = at;
    for (const QStringView piece : pieces)
        size += 2 * piece.size();
    bytes.resize(size);
    for (const QStringView piece : pieces) {
        if (order == ByteOrder::LittleEndian)
            qToLittleEndian<char16_t>(piece.utf16(), piece.size(), bytes.data() + at);
        else
            qToBigEndian<char16_t>(piece.utf16(), piece.size(), bytes.data() + at);
        at += 2 * piece.size();
    }
    return bytes;
}

// Nothing when the text holds a lone surrogate, which is no character.
std::optional<QByteArray> Utf32Bytes(std::initializer_list<QStringView> pieces, ByteOrder order)
{
    QByteArray bytes = (order == ByteOrder::LittleEndian ? Utf32LittleEndianMark : Utf32BigEndianMark).toByteArray();
    qsizetype size = bytes.size();
    for (const QStringView piece : pieces)
        size += 4 * piece.size();
    bytes.reserve(size);
    std::array<char, 4> unit{};
    // A pair of surrogates may stand across two pieces.
    std::optional<QChar> high;
    for (const QStringView piece : pieces) {
        for (const QChar next : piece) {
            char32_t character = next.unicode();
            if (high) {
                if (!next.isLowSurrogate())
                    return std::nullopt;
                character = QChar::surrogateToUcs4(*std::exchange(high, std::nullopt), next);
            } else if (next.isHighSurrogate()) {
                high = next;
                continue;
            } else if (next.isSurrogate()) {
                return std::nullopt;
            }
            if (order == ByteOrder::LittleEndian)
                qToLittleEndian<quint32>(character, unit.data());
            else
                qToBigEndian<quint32>(character, unit.data());
            bytes.append(unit.data(), unit.size());
        }
    }
    if (high)
        return std::nullopt;
    return bytes;
}

// Each line beyond ASCII in the encoding its text had in the file (in the
// order of its occurrences), UTF-8 for any other line.
std::optional<QByteArray> MixedBytes(std::initializer_list<QStringView> pieces, const MixedLines &mixed)
{
    const QString text = Joined(pieces);
    QByteArray bytes = mixed.byteOrderMark ? Utf8Mark.toByteArray() : QByteArray();
    QHash<QString, qsizetype> occurrences;
    ForwardLineEnds lineEnds(text);
    for (qsizetype pos = 0; pos < text.size();) {
        const qsizetype end = lineEnds.from(pos);
        const QStringView line = QStringView(text).sliced(pos, end - pos);
        if (std::all_of(line.begin(), line.end(), [](QChar c) { return c.unicode() < 0x80; })) {
            // The same bytes in either encoding; the file's lines beyond
            // ASCII are the only ones it tells apart.
            for (const QChar c : line)
                bytes += char(c.unicode());
        } else {
            std::optional<QByteArray> encoded;
            const auto found = mixed.eightBit.constFind(line.toString());
            const qsizetype occurrence = found == mixed.eightBit.cend() ? 0 : occurrences[found.key()]++;
            if (found != mixed.eightBit.cend() && occurrence < found->size() && found->at(occurrence)) {
                // A line whose 8-bit bytes happen to be valid UTF-8 would read
                // back as UTF-8.
                encoded = EightBitBytes({line});
                if (encoded && encoded->isValidUtf8())
                    encoded.reset();
            }
            if (!encoded)
                encoded = Utf8Bytes({line}, false);
            if (!encoded)
                return std::nullopt;
            bytes += *encoded;
        }
        for (pos = end; pos < text.size() && IsLineBreak(text[pos]); ++pos)
            bytes += char(text[pos].unicode());
    }
    return bytes;
}

std::optional<QByteArray> Bytes(std::initializer_list<QStringView> pieces, TextEncoding kind,
                                const MixedLines *mixed)
{
    switch (kind) {
    case TextEncoding::System:
    case TextEncoding::Utf8:
        return Utf8Bytes(pieces, false);
    case TextEncoding::Utf8WithBom:
        return Utf8Bytes(pieces, true);
    case TextEncoding::Utf16LittleEndian:
        return Utf16Bytes(pieces, ByteOrder::LittleEndian, true);
    case TextEncoding::Utf16BigEndian:
        return Utf16Bytes(pieces, ByteOrder::BigEndian, true);
    case TextEncoding::Utf16LittleEndianWithoutMark:
        return Utf16Bytes(pieces, ByteOrder::LittleEndian, false);
    case TextEncoding::Utf16BigEndianWithoutMark:
        return Utf16Bytes(pieces, ByteOrder::BigEndian, false);
    case TextEncoding::Utf32LittleEndian:
        return Utf32Bytes(pieces, ByteOrder::LittleEndian);
    case TextEncoding::Utf32BigEndian:
        return Utf32Bytes(pieces, ByteOrder::BigEndian);
    case TextEncoding::EightBit:
        return EightBitBytes(pieces);
    case TextEncoding::Mixed:
        if (!mixed)
            return std::nullopt;
        return MixedBytes(pieces, *mixed);
    }
    return std::nullopt;
}

// ASCII without NUL reads back as itself, whatever the encoding meant.
bool IsPlainAscii(QByteArrayView bytes)
{
    if (bytes.indexOf('\0') >= 0)
        return false;
    // A word at a time: a save of a large inventory takes this path.
    quint64 any = 0;
    qsizetype at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        quint64 word = 0;
        std::memcpy(&word, bytes.data() + at, 8);
        any |= word;
    }
    for (; at < bytes.size(); ++at)
        any |= static_cast<unsigned char>(bytes[at]);
    return (any & 0x8080808080808080ULL) == 0;
}

bool StartsWithAMark(QByteArrayView bytes)
{
    return bytes.startsWith(Utf8Mark) || bytes.startsWith(Utf16LittleEndianMark)
           || bytes.startsWith(Utf16BigEndianMark) || bytes.startsWith(Utf32BigEndianMark);
}

// Whether DecodeInventory reads bytes line by line, as UTF-8 and 8-bit
// lines, because nothing in them is taken for a mark or for UTF-16.
bool ReadAsLines(QByteArrayView bytes)
{
    return !StartsWithAMark(bytes) && !Utf16OrderWithoutMark(bytes);
}

// An 8-bit line reads back as 8-bit only when its bytes are no valid UTF-8;
// a line of ASCII reads the same either way.
bool EightBitLinesReadBack(QByteArrayView bytes)
{
    for (qsizetype pos = 0; pos < bytes.size();) {
        qsizetype end = pos;
        bool beyondAscii = false;
        for (; end < bytes.size() && !IsLineBreak(bytes[end]); ++end)
            beyondAscii = beyondAscii || static_cast<unsigned char>(bytes[end]) >= 0x80;
        if (beyondAscii && bytes.sliced(pos, end - pos).isValidUtf8())
            return false;
        pos = end + 1;
    }
    return true;
}

// Whether DecodeInventory reads bytes, written in kind, back as the pieces.
// The common cases are told by what the decoder looks at first; the rest by
// decoding.
bool ReadsBack(QByteArrayView bytes, TextEncoding kind, std::initializer_list<QStringView> pieces,
               const MixedLines *mixed)
{
    switch (kind) {
    case TextEncoding::Utf8:
        // Valid UTF-8, as written: read as such unless taken for a mark or
        // for UTF-16 without one.
        return ReadAsLines(bytes);
    case TextEncoding::Utf8WithBom:
    case TextEncoding::Utf16BigEndian:
    case TextEncoding::Utf32LittleEndian:
    case TextEncoding::Utf32BigEndian:
        return true; // the mark decides, and the units are all valid
    case TextEncoding::Utf16LittleEndian:
        // Text that starts with U+0000 may read as UTF-32: decoded below.
        if (!bytes.startsWith(Utf32LittleEndianMark))
            return true;
        break;
    case TextEncoding::Utf16LittleEndianWithoutMark:
        return !StartsWithAMark(bytes) && Utf16OrderWithoutMark(bytes) == ByteOrder::LittleEndian;
    case TextEncoding::Utf16BigEndianWithoutMark:
        return !StartsWithAMark(bytes) && Utf16OrderWithoutMark(bytes) == ByteOrder::BigEndian;
    case TextEncoding::EightBit:
        // ASCII, the most common 8-bit file, in one quick pass.
        return IsPlainAscii(bytes) || (ReadAsLines(bytes) && EightBitLinesReadBack(bytes));
    case TextEncoding::Mixed:
        // Each line is valid UTF-8, or beyond ASCII and not (MixedBytes sees
        // to it), so read line by line it is the very line: after the mark,
        // or where nothing else is taken for one. Otherwise decoded below.
        if ((mixed && mixed->byteOrderMark) || ReadAsLines(bytes))
            return true;
        break;
    default:
        break;
    }
    qsizetype size = 0;
    for (const QStringView piece : pieces)
        size += piece.size();
    if (bytes.size() == size && IsPlainAscii(bytes))
        return true;
    const DecodedText back = DecodeInventory(bytes);
    if (back.failure || back.text.size() != size)
        return false;
    qsizetype at = 0;
    for (const QStringView piece : pieces) {
        if (QStringView(back.text).sliced(at, piece.size()) != piece)
            return false;
        at += piece.size();
    }
    return true;
}

} // namespace

DecodedText DecodeInventory(QByteArrayView bytes)
{
    if (bytes.startsWith(Utf32LittleEndianMark)) {
        const QByteArrayView units = bytes.sliced(Utf32LittleEndianMark.size());
        if (units.size() % 4 == 0) {
            if (std::optional<QString> text = Utf32Text(units, ByteOrder::LittleEndian))
                return Decoded(std::move(*text), TextEncoding::Utf32LittleEndian);
            if (HasUtf32LineBreak(units, ByteOrder::LittleEndian))
                return Failure(FileProblem::InvalidUtf32);
        }
        // Otherwise UTF-16 whose text starts with U+0000.
    }
    if (bytes.startsWith(Utf32BigEndianMark))
        return DecodeUtf32(bytes.sliced(Utf32BigEndianMark.size()), ByteOrder::BigEndian,
                           TextEncoding::Utf32BigEndian);
    if (bytes.startsWith(Utf16LittleEndianMark))
        return DecodeUtf16(bytes.sliced(Utf16LittleEndianMark.size()), ByteOrder::LittleEndian,
                           TextEncoding::Utf16LittleEndian);
    if (bytes.startsWith(Utf16BigEndianMark))
        return DecodeUtf16(bytes.sliced(Utf16BigEndianMark.size()), ByteOrder::BigEndian,
                           TextEncoding::Utf16BigEndian);
    if (bytes.startsWith(Utf8Mark))
        return DecodeLines(bytes.sliced(Utf8Mark.size()), true);
    if (const std::optional<ByteOrder> order = Utf16OrderWithoutMark(bytes)) {
        return DecodeUtf16(bytes, *order,
                           *order == ByteOrder::LittleEndian ? TextEncoding::Utf16LittleEndianWithoutMark
                                                             : TextEncoding::Utf16BigEndianWithoutMark);
    }
    return DecodeLines(bytes, false);
}

EncodedText EncodeInventory(std::initializer_list<QStringView> pieces, const FileEncoding &encoding)
{
    TextEncoding first = encoding.kind;
    if (first == TextEncoding::System)
        first = SystemEncodingIsEightBit() ? TextEncoding::EightBit : TextEncoding::Utf8;
    // UTF-16 big-endian with its mark reads back whatever the text holds.
    bool firstTried = false;
    for (const TextEncoding kind : {first, TextEncoding::Utf8, TextEncoding::Utf8WithBom,
                                    TextEncoding::Utf16LittleEndian, TextEncoding::Utf16BigEndian}) {
        // The file's own encoding again among the others: it was tried first.
        if (kind == first && std::exchange(firstTried, true))
            continue;
        std::optional<QByteArray> bytes = Bytes(pieces, kind, encoding.mixedLines.get());
        if (bytes && ReadsBack(*bytes, kind, pieces, encoding.mixedLines.get())) {
            FileEncoding written(kind);
            if (kind == TextEncoding::Mixed)
                written.mixedLines = encoding.mixedLines;
            return {std::move(*bytes), std::move(written)};
        }
    }
    Q_UNREACHABLE();
    return {};
}

} // namespace Inventory
