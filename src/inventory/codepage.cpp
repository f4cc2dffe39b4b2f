#include "codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Inventory {

namespace {

// Windows-1252 for bytes 0x80..0x9F; the five unassigned bytes keep their
// C1 code points.
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

} // namespace

bool SystemEncodingIsEightBit()
{
#ifdef Q_OS_WIN
    return AnsiCodePageInUse();
#else
    return false;
#endif
}

void AppendEightBit(QString &text, QByteArrayView bytes)
{
#ifdef Q_OS_WIN
    if (AnsiCodePageInUse()) {
        QStringDecoder ansi(QStringConverter::System, QStringConverter::Flag::Stateless);
        text += ansi.decode(bytes);
        return;
    }
#endif
    AppendWindows1252(text, bytes);
}

std::optional<QByteArray> EightBitBytes(std::initializer_list<QStringView> pieces)
{
#ifdef Q_OS_WIN
    if (AnsiCodePageInUse())
        return Ansi(pieces);
#endif
    return Windows1252(pieces);
}

} // namespace Inventory
