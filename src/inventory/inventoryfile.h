#pragma once

#include <QByteArray>
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

struct FileResult
{
    bool ok = true;
    QString error; // why reading or writing failed, in the system's words
};

struct ReadResult : FileResult
{
    QString text; // the whole file, decoded; empty when the file is absent
};

// Reads and decodes the inventory; an absent file reads as empty.
ReadResult ReadInventory(const QString &folder);

// Writes the list text and one CR LF as UTF-8. The file is replaced atomically:
// when anything fails, the previous file stays as it was.
FileResult WriteInventory(const QString &folder, const QString &listText);

} // namespace Inventory
