#pragma once

#include "fileresult.h"
#include "inventoryread.h"
#include "inventorysave.h"
#include "textencoding.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace Inventory {

// One window's view of the inventory file, and the one place that keeps the
// inventory's text between operations:
// - the file's text as this window last read or wrote it, with the encoding
//   the next save writes in;
// - the whole inventory as the list shows it (every non-empty line and a
//   CR LF), built from that text at most once, when first asked for.
// Both change only through a read that finds other text, or a write. Each
// such change gives the text a new version, so whoever shows something made
// from it can tell, by the version alone, whether it is still what the file
// holds. The strings handed out share their data with the kept ones: equal
// strings that share their data compare at once.
//
// A search re-reads an unchanged file (same size and modification time) for
// the cost of one look at it; a save always compares the file's text, so that
// a change by another program is noticed whatever its size and time.
class ChangeTracker
{
public:
    explicit ChangeTracker(QString folder);

    const QString &folder() const { return m_folder; }

    // The file's text, decoded, with its own line ends: what a search needs.
    ReadResult readText();

    struct OverwriteCheck : ReadResult
    {
        // The file holds other text than this window last read or wrote.
        bool changed = false;
    };
    // The file as it is now, read whatever its stamp, just before a save
    // overwrites it. A file that is gone is unchanged: saving simply writes it
    // again. Anything but an ordinary file, and a link that cannot be
    // followed, is left for the save to refuse.
    OverwriteCheck readBeforeOverwrite();

    // Writes the list text in the encoding the file had when last read (the
    // system's for a new file). A list text handed over with room for one
    // more CR LF becomes the kept text without a copy.
    SaveResult write(QString listText);

    quint64 version() const { return m_version; }
    // The whole inventory of the text last read or written.
    const QString &wholeInventory();

    struct StartupList
    {
        QString text;
        // Set when the list is the whole inventory too: its version.
        std::optional<quint64> wholeInventory;
    };
    // The list that start-up shows for the text last read: each pair of line
    // ends in a row collapsed, so the empty line every save leaves at the end
    // does not show. When no empty line is left, that list is the whole
    // inventory as well, and kept as such.
    StartupList startupList();

private:
    struct Stamp
    {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;

        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    Stamp currentStamp() const;
    void remember(const Stamp &stamp, const QString &text, const FileEncoding &encoding);

    QString m_folder;
    bool m_hasReadOrWritten = false;
    Stamp m_stamp; // of the file when last read or written
    // A file modified just before it was seen may change again within the same
    // tick of the file system's clock, keeping size and time: such a stamp is
    // not trusted, and the next search reads the file again.
    bool m_stampTrusted = false;
    QString m_text;
    FileEncoding m_textEncoding;
    quint64 m_version = 0;
    QString m_wholeInventory; // null until asked for
    // What the next save writes in: the file's own encoding as last read,
    // also when its text had changed.
    FileEncoding m_saveEncoding;
};

} // namespace Inventory
