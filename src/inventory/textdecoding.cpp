#include "textdecoding.h"

#include "lines.h"

#include <QStringDecoder>

#include <array>
#include <optional>

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

} // namespace

QString DecodeInventory(QByteArrayView bytes)
{
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
    if (marked && *marked != QStringConverter::Utf8) {
        QStringDecoder wide(*marked); // skips the byte-order mark
        return wide.decode(bytes);
    }
    if (marked)
        bytes = bytes.sliced(3);

    // Only the file's first byte-order mark is skipped, above; one that
    // starts a line is a character of that line.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    if (std::optional<QString> whole = Utf8(utf8, bytes))
        return *whole;

    // CR and LF are single bytes in both encodings, so lines can be told
    // apart before either is chosen.
    QString text;
    text.reserve(bytes.size());
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = pos;
        while (end < bytes.size() && !IsLineBreak(bytes[end]))
            ++end;
        const QByteArrayView line = bytes.sliced(pos, end - pos);
        if (std::optional<QString> decoded = Utf8(utf8, line))
            text += *decoded;
        else
            AppendWindows1252(text, line);
        for (pos = end; pos < bytes.size() && IsLineBreak(bytes[pos]); ++pos)
            text += QLatin1Char(bytes[pos]);
    }
    return text;
}

} // namespace Inventory
