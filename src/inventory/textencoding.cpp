#include "textencoding.h"

#include "lines.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Inventory {

namespace {

// Windows-1252 for bytes 0x80..0x9F; the five unassigned bytes keep their
// C1 code points so that no byte is ever lost in decoding.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendWindows1252(QString &text, QByteArrayView bytes)
{
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        text += (b >= 0x80 && b <= 0x9F) ? QChar(Windows1252High[b - 0x80]) : QChar(b);
    }
}

std::optional<QByteArray> Windows1252(std::initializer_list<QStringView> pieces)
{
    qsizetype size = 0;
    for (const QStringView piece : pieces)
        size += piece.size();
    QByteArray bytes(size, Qt::Uninitialized);
    char *out = bytes.data();
    for (const QStringView piece : pieces) {
        for (const QChar c : piece) {
            const char16_t u = c.unicode();
            if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
                *out++ = char(u);
                continue;
            }
            const auto *high = std::find(Windows1252High.begin(), Windows1252High.end(), u);
            if (high == Windows1252High.end())
                return std::nullopt;
            *out++ = char(0x80 + (high - Windows1252High.begin()));
        }
    }
    return bytes;
}

#ifdef Q_OS_WIN
// Where the ANSI code page is UTF-8 itself (a choice Windows offers), it
// could not keep the bytes of other files' lines: Windows-1252 does.
bool AnsiCodePageInUse()
{
    static const bool inUse = GetACP() != CP_UTF8;
    return inUse;
}

// The ANSI bytes of the pieces, when they all read back as the same text:
// the system's conversion quietly puts a look-alike or "?" for a character
// that the code page lacks.
std::optional<QByteArray> Ansi(std::initializer_list<QStringView> pieces)
{
    QStringEncoder encoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    QByteArray bytes;
    for (const QStringView piece : pieces)
        bytes += QByteArray(encoder.encode(piece));
    if (encoder.hasError())
        return std::nullopt;
    QStringDecoder decoder(QStringConverter::System, QStringConverter::Flag::Stateless);
    const QString back = decoder.decode(bytes);
    qsizetype at = 0;
    for (const QStringView piece : pieces) {
        if (back.size() - at < piece.size() || QStringView(back).sliced(at, piece.size()) != piece)
            return std::nullopt;
        at += piece.size();
    }
    if (at != back.size())
        return std::nullopt;
    return bytes;
}
#endif

void AppendEightBit(QString &text, QByteArrayView line)
{
#ifdef Q_OS_WIN
    if (AnsiCodePageInUse()) {
        QStringDecoder ansi(QStringConverter::System, QStringConverter::Flag::Stateless);
        text += ansi.decode(line);
        return;
    }
#endif
    AppendWindows1252(text, line);
}

std::optional<QByteArray> EightBitBytes(std::initializer_list<QStringView> pieces)
{
#ifdef Q_OS_WIN
    if (AnsiCodePageInUse())
        return Ansi(pieces);
#endif
    return Windows1252(pieces);
}

QByteArray Unicode(std::initializer_list<QStringView> pieces, QStringConverter::Encoding encoding,
                   bool byteOrderMark)
{
    // The mark is written here, since the encoder writes none for an empty text.
    QStringEncoder encoder(encoding);
    QByteArray bytes;
    if (byteOrderMark)
        bytes = encoder.encode(QStringView(u"\uFEFF"));
    for (const QStringView piece : pieces) {
        QByteArray encoded = encoder.encode(piece);
        if (bytes.isEmpty())
            bytes = std::move(encoded);
        else
            bytes += encoded;
    }
    return bytes;
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

std::optional<TextEncoding> MarkedEncoding(QStringConverter::Encoding marked)
{
    switch (marked) {
    case QStringConverter::Utf16LE:
        return TextEncoding::Utf16LittleEndian;
    case QStringConverter::Utf16BE:
        return TextEncoding::Utf16BigEndian;
    case QStringConverter::Utf32LE:
        return TextEncoding::Utf32LittleEndian;
    case QStringConverter::Utf32BE:
        return TextEncoding::Utf32BigEndian;
    default:
        return std::nullopt;
    }
}

} // namespace

DecodedText DecodeInventory(QByteArrayView bytes)
{
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
    if (marked && *marked != QStringConverter::Utf8) {
        QStringDecoder wide(*marked); // skips the byte-order mark
        return {wide.decode(bytes), MarkedEncoding(*marked).value_or(TextEncoding::Utf8)};
    }
    if (marked)
        bytes = bytes.sliced(3);

    // Only the file's first byte-order mark is skipped, above; one that
    // starts a line is a character of that line.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    if (std::optional<QString> whole = Utf8(utf8, bytes)) {
        // As many characters as bytes: ASCII only, which suits every encoding.
        const bool ascii = whole->size() == bytes.size();
        const TextEncoding encoding =
            marked ? TextEncoding::Utf8WithBom : ascii ? TextEncoding::System : TextEncoding::Utf8;
        return {std::move(*whole), encoding};
    }

    // CR and LF are single bytes in both encodings, so lines can be told
    // apart before either is chosen.
    bool utf8Lines = false;
    QString text;
    text.reserve(bytes.size());
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && !IsLineBreak(bytes[end]))
            ++end;
        const QByteArrayView line = bytes.sliced(pos, end - pos);
        if (std::optional<QString> decoded = Utf8(utf8, line)) {
            utf8Lines = utf8Lines || decoded->size() != line.size();
            text += *decoded;
        } else {
            AppendEightBit(text, line);
        }
        for (pos = end; pos < bytes.size() && IsLineBreak(bytes[pos]); ++pos)
            text += QLatin1Char(bytes[pos]);
    }
    // Some lines in the code page: the file is in it, unless other lines are
    // UTF-8 too, and only UTF-8 can hold both.
    TextEncoding encoding = TextEncoding::EightBit;
    if (marked)
        encoding = TextEncoding::Utf8WithBom;
    else if (utf8Lines)
        encoding = TextEncoding::Utf8;
    return {std::move(text), encoding};
}

EncodedText EncodeInventory(std::initializer_list<QStringView> pieces, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::System:
#ifdef Q_OS_WIN
        if (AnsiCodePageInUse())
            return EncodeInventory(pieces, TextEncoding::EightBit);
#endif
        break;
    case TextEncoding::EightBit:
        if (std::optional<QByteArray> eightBit = EightBitBytes(pieces))
            return {std::move(*eightBit), TextEncoding::EightBit};
        break;
    case TextEncoding::Utf8:
        break;
    case TextEncoding::Utf8WithBom:
        return {Unicode(pieces, QStringConverter::Utf8, true), encoding};
    case TextEncoding::Utf16LittleEndian:
        return {Unicode(pieces, QStringConverter::Utf16LE, true), encoding};
    case TextEncoding::Utf16BigEndian:
        return {Unicode(pieces, QStringConverter::Utf16BE, true), encoding};
    case TextEncoding::Utf32LittleEndian:
        return {Unicode(pieces, QStringConverter::Utf32LE, true), encoding};
    case TextEncoding::Utf32BigEndian:
        return {Unicode(pieces, QStringConverter::Utf32BE, true), encoding};
    }
    return {Unicode(pieces, QStringConverter::Utf8, false), TextEncoding::Utf8};
}

} // namespace Inventory
