#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace Inventory {

inline constexpr QStringView InventoryFileName = u"pezzarium.txt";

// The inventory's full path inside folder.
QString InventoryPath(const QString &folder);

// True when an ordinary, visible file of that name exists in folder;
// a folder of that name counts as absent.
bool InventoryExists(const QString &folder);

// UTF-8 when the bytes are valid UTF-8 (a leading byte-order mark is skipped),
// Windows-1252 otherwise, so files from older Windows setups keep their accents.
QString DecodeInventory(const QByteArray &bytes);

// Each line of text followed by CR LF: a line ends at CR LF, CR or LF, and the
// last line counts even without a line end.
QString JoinLines(QStringView text);

// The list text that start-up shows: every line followed by CR LF, then each
// pair of line ends in a row collapsed into one, so the empty line that every
// save leaves at the end does not show.
QString ListTextFromFile(QStringView text);

// The copy of the previous inventory that every save keeps beside it.
QString BackupPath(const QString &folder);

struct FileResult
{
    bool ok = true;
    QString path;  // the file that could not be read or written
    QString error; // why, in the system's words
};

struct ReadResult : FileResult
{
    QString text; // the whole file, decoded; empty when the file is absent
};

// Reads and decodes the inventory; an absent file reads as empty.
ReadResult ReadInventory(const QString &folder);

// Keeps the file as it is now in the backup, then writes the list text and one
// CR LF as UTF-8. Both files are replaced atomically: when anything fails, the
// inventory stays as it was and the save stops.
FileResult WriteInventory(const QString &folder, const QString &listText);

// One window's view of the inventory file: what it last read or wrote. Reading
// an unchanged file (same size and modification time) costs one stat, and a
// save can tell whether another program changed the file in the meantime.
class InventoryFile
{
public:
    explicit InventoryFile(QString folder);

    const QString &folder() const { return m_folder; }

    // The file's text, decoded, with its own line ends: what a search needs.
    ReadResult readText();
    // The file as start-up shows it (ListTextFromFile).
    ReadResult readListText();
    FileResult write(const QString &listText);

    // True when the file now holds other lines than this window last read or
    // wrote. A file that is gone (or is a folder) counts as unchanged, so that
    // saving simply writes it again; a file that cannot be read counts as changed.
    bool changedSinceLastSeen();

private:
    struct Stamp
    {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;

        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    Stamp currentStamp() const;
    bool seenIsCurrent(const Stamp &now) const;
    void remember(const Stamp &stamp, const QString &text, bool isListText);
    const QString &seenListText();

    QString m_folder;
    bool m_seen = false;
    Stamp m_seenStamp;
    // A file modified just before it was seen may change again within the same
    // tick of the file system's clock, keeping size and time: such a stamp is
    // not trusted, and the next look compares the text itself.
    bool m_stampTrusted = false;
    // The text last read or written, turned into list text only when asked for.
    QString m_seenText;
    bool m_seenIsListText = false;
};

} // namespace Inventory
