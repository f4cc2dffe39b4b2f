#include "inventoryfile.h"

#include "texthelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <array>

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

QString DecodeWindows1252(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = (b >= 0x80 && b <= 0x9F) ? QChar(Windows1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

} // namespace

QString InventoryPath(const QString &folder)
{
    return QDir(folder).filePath(InventoryFileName.toString());
}

namespace {

bool IsOrdinaryFile(const QFileInfo &info)
{
    return info.isFile() && !info.isHidden();
}

} // namespace

bool InventoryExists(const QString &folder)
{
    return IsOrdinaryFile(QFileInfo(InventoryPath(folder)));
}

QString DecodeInventory(const QByteArray &bytes)
{
    // Stateless: a sequence cut off at the end is an error, not a wait for more.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeWindows1252(bytes);
}

QString JoinLines(QStringView text)
{
    QString joined;
    joined.reserve(text.size() + text.size() / 16 + LineEnd.size());
    ForEachLine(text, [&joined](QStringView line) {
        joined += line;
        joined += LineEnd;
    });
    return joined;
}

QString ListTextFromFile(QStringView text)
{
    // One pass doing what JoinLines and then replacing every CR LF CR LF by
    // CR LF would do: after each line, a run of k line ends in a row (the
    // line's own and the empty lines after it) becomes k/2 CR LF, rounded up.
    QString list;
    list.reserve(text.size() + LineEnd.size());
    qsizetype nextCr = text.indexOf(u'\r');
    qsizetype nextLf = text.indexOf(u'\n');
    qsizetype pos = 0;
    while (pos < text.size()) {
        if (nextCr >= 0 && nextCr < pos)
            nextCr = text.indexOf(u'\r', pos);
        if (nextLf >= 0 && nextLf < pos)
            nextLf = text.indexOf(u'\n', pos);
        qsizetype lineEnd = text.size();
        if (nextCr >= 0)
            lineEnd = nextCr;
        if (nextLf >= 0 && nextLf < lineEnd)
            lineEnd = nextLf;
        list += text.sliced(pos, lineEnd - pos);
        pos = lineEnd;

        qsizetype lineEnds = pos == text.size() ? 1 : 0; // the last line, unterminated
        for (qsizetype length; (length = LineEndLengthAt(text, pos)) > 0; pos += length)
            ++lineEnds;
        for (qsizetype i = 0; i < (lineEnds + 1) / 2; ++i)
            list += LineEnd;
    }
    return list;
}

QString BackupPath(const QString &folder)
{
    return InventoryPath(folder) + QStringLiteral(".bak");
}

namespace {

struct BytesResult : FileResult
{
    QByteArray bytes;
};

BytesResult ReadBytes(const QString &path)
{
    BytesResult result;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        result.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        result = {{false, path, file.errorString()}, {}};
    return result;
}

FileResult SaveBytes(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // flush() on its own: commit() can report success although writing out
    // the buffered bytes failed (a full disk), which would leave a cut file.
    const bool written = file.open(QIODevice::WriteOnly)
                         && file.write(bytes) == bytes.size()
                         && file.flush()
                         && file.commit();
    if (written)
        return {};
    return {false, path, file.errorString()};
}

} // namespace

ReadResult ReadInventory(const QString &folder)
{
    ReadResult result;
    if (!InventoryExists(folder))
        return result;
    const BytesResult file = ReadBytes(InventoryPath(folder));
    if (!file.ok)
        return {file, {}};
    result.text = DecodeInventory(file.bytes);
    return result;
}

FileResult WriteInventory(const QString &folder, const QString &listText)
{
    if (InventoryExists(folder)) {
        BytesResult previous = ReadBytes(InventoryPath(folder));
        if (!previous.ok)
            return previous;
        FileResult backup = SaveBytes(BackupPath(folder), previous.bytes);
        if (!backup.ok)
            return backup;
    }
    QByteArray bytes = listText.toUtf8();
    bytes += "\r\n";
    return SaveBytes(InventoryPath(folder), bytes);
}

InventoryFile::InventoryFile(QString folder) : m_folder(std::move(folder)) {}

InventoryFile::Stamp InventoryFile::currentStamp() const
{
    const QFileInfo info(InventoryPath(m_folder));
    if (!IsOrdinaryFile(info))
        return {};
    return {true, info.size(), info.lastModified()};
}

bool InventoryFile::seenIsCurrent(const Stamp &now) const
{
    return m_seen && m_stampTrusted && now == m_seenStamp;
}

void InventoryFile::remember(const Stamp &stamp, const QString &text, bool isListText)
{
    // Two seconds cover the coarsest clocks in use (FAT keeps even seconds).
    m_seen = true;
    m_seenStamp = stamp;
    m_stampTrusted = !stamp.exists || stamp.modified < QDateTime::currentDateTime().addSecs(-2);
    m_seenText = text;
    m_seenIsListText = isListText;
}

const QString &InventoryFile::seenListText()
{
    if (!m_seenIsListText) {
        m_seenText = ListTextFromFile(m_seenText);
        m_seenIsListText = true;
    }
    return m_seenText;
}

ReadResult InventoryFile::readText()
{
    // The stamp is taken before reading: a change that lands in between makes
    // the next stamp differ, so it is read then.
    const Stamp now = currentStamp();
    if (seenIsCurrent(now)) {
        ReadResult cached;
        cached.text = m_seenText;
        return cached;
    }
    ReadResult result = ReadInventory(m_folder);
    if (result.ok)
        remember(now, result.text, false);
    return result;
}

ReadResult InventoryFile::readListText()
{
    ReadResult result = readText();
    if (result.ok) {
        result.text.clear(); // drop the shared copy before the conversion
        result.text = seenListText();
    }
    return result;
}

FileResult InventoryFile::write(const QString &listText)
{
    FileResult result = WriteInventory(m_folder, listText);
    if (result.ok) {
        QString written = listText;
        written += LineEnd;
        remember(currentStamp(), written, false);
    }
    return result;
}

bool InventoryFile::changedSinceLastSeen()
{
    const Stamp now = currentStamp();
    if (!now.exists || seenIsCurrent(now))
        return false;
    const ReadResult current = ReadInventory(m_folder);
    if (!current.ok)
        return true;
    const QString currentList = ListTextFromFile(current.text);
    if (m_seen && m_seenStamp.exists && currentList == seenListText()) {
        remember(now, currentList, true); // touched, not changed
        return false;
    }
    return true;
}

} // namespace Inventory
