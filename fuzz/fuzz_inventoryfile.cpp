// DecodeInventory, EncodeInventory and LoadedList on any file contents,
// and EncodeInventory on any text.

#include "fuzzcheck.h"
#include "loadedlist.h"
#include "linebreaks.h"
#include "textencoding.h"

#include <QByteArray>
#include <QList>
#include <QRegularExpression>

#include <memory>

using namespace Inventory;

namespace {

// Well-formed UTF-8 as Unicode defines it: shortest forms only, no
// surrogates, nothing above U+10FFFF.
bool IsUtf8(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int trail = 0;
        char32_t min = 0, cp = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            trail = 1, min = 0x80, cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trail = 2, min = 0x800, cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trail = 3, min = 0x10000, cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + trail >= bytes.size())
            return false;
        for (int k = 1; k <= trail; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += trail + 1;
    }
    return true;
}

// UTF-16 units of valid UTF-8: one per lead byte, two for a four-byte sequence.
qsizetype Utf16Length(QByteArrayView utf8)
{
    qsizetype length = 0;
    for (const char byte : utf8) {
        const auto b = static_cast<unsigned char>(byte);
        if ((b & 0xC0) != 0x80)
            length += b >= 0xF0 ? 2 : 1;
    }
    return length;
}

bool IsLineEndByte(char byte)
{
    return byte == '\r' || byte == '\n';
}

// The pieces of bytes between runs of line ends, and the runs themselves,
// in order: lines at even indices, line ends at odd ones.
QList<QByteArrayView> Pieces(QByteArrayView bytes)
{
    QList<QByteArrayView> pieces;
    qsizetype pos = 0;
    while (pos <= bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && !IsLineEndByte(bytes[end]))
            ++end;
        pieces.append(bytes.sliced(pos, end - pos));
        if (end == bytes.size())
            break;
        for (pos = end; pos < bytes.size() && IsLineEndByte(bytes[pos]);)
            ++pos;
        pieces.append(bytes.sliced(end, pos - end));
    }
    return pieces;
}

QString WithoutLineEnds(QString text)
{
    text.remove(u'\r');
    text.remove(u'\n');
    return text;
}

bool IsWide(TextEncoding kind)
{
    switch (kind) {
    case TextEncoding::Utf16LittleEndian:
    case TextEncoding::Utf16BigEndian:
    case TextEncoding::Utf32LittleEndian:
    case TextEncoding::Utf32BigEndian:
    case TextEncoding::Utf16LittleEndianWithoutMark:
    case TextEncoding::Utf16BigEndianWithoutMark:
        return true;
    default:
        return false;
    }
}

// Any text, in any encoding the writer may be asked for, reads back as itself.
void CheckTextReadsBack(const QString &text, TextEncoding asked)
{
    FileEncoding encoding(asked);
    if (asked == TextEncoding::Mixed) {
        // Every line of the text taken for an 8-bit line of the file.
        auto mixed = std::make_shared<MixedLines>();
        static const QRegularExpression lineBreak("[\\r\\n]");
        for (const QString &line : text.split(lineBreak))
            mixed->eightBit[line].append(true);
        encoding.mixedLines = std::move(mixed);
    }
    const EncodedText encoded = EncodeInventory({text}, encoding);
    const DecodedText back = DecodeInventory(encoded.bytes);
    FUZZ_CHECK(!back.failure);
    FUZZ_CHECK(back.text == text);
    const TextEncoding written = encoded.encoding.kind;
    FUZZ_CHECK(written == asked || written == TextEncoding::Utf8 || written == TextEncoding::Utf8WithBom
               || written == TextEncoding::Utf16LittleEndian || written == TextEncoding::Utf16BigEndian
               || (asked == TextEncoding::System && written == TextEncoding::EightBit));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    if (size > 0)
        CheckTextReadsBack(Utf16FromBytes(data + 1, size - 1), TextEncoding(data[0] % (int(TextEncoding::Mixed) + 1)));

    const DecodedText decoded = DecodeInventory(bytes);
    if (decoded.failure)
        return 0;
    const QString &text = decoded.text;

    // Whatever was read is written back to the very bytes, in the encoding found.
    const EncodedText encoded = EncodeInventory({text}, decoded.encoding);
    FUZZ_CHECK(encoded.bytes == bytes);

    if (!IsWide(decoded.encoding.kind)) {
        // Line by line: a line that is valid UTF-8 is never altered, any other
        // gives one character per byte; line ends stay as they are.
        const QByteArrayView body = bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3)
                                                                      : QByteArrayView(bytes);
        const QList<QByteArrayView> byteLines = Pieces(body);
        qsizetype at = 0; // position in text
        for (qsizetype i = 0; i < byteLines.size(); ++i) {
            const QByteArrayView piece = byteLines[i];
            if (i % 2 == 1 || IsUtf8(piece)) {
                const QByteArray utf8 = QStringView(text).sliced(at).toUtf8();
                FUZZ_CHECK(utf8.startsWith(piece));
                at += Utf16Length(piece);
            } else {
                FUZZ_CHECK(at + piece.size() <= text.size());
                for (qsizetype k = 0; k < piece.size(); ++k) {
                    const auto b = static_cast<unsigned char>(piece[k]);
                    FUZZ_CHECK((b >= 0x80 && b <= 0x9F) || text[at + k].unicode() == b);
                }
                at += piece.size();
            }
        }
        FUZZ_CHECK(at == text.size());
    }

    // Every line end a CR LF, the last line ended too, and nothing else changed.
    const QString list = LoadedList(text);
    FUZZ_CHECK(list.isEmpty() || list.endsWith(LineEnd));
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i] == u'\r')
            FUZZ_CHECK(i + 1 < list.size() && list[i + 1] == u'\n');
        if (list[i] == u'\n')
            FUZZ_CHECK(i > 0 && list[i - 1] == u'\r');
    }
    FUZZ_CHECK(WithoutLineEnds(list) == WithoutLineEnds(text));
    return 0;
}
