#pragma once

#include "fileresult.h"
#include "inventoryread.h"
#include "inventorysave.h"
#include "keptinventory.h"
#include "listtext.h"
#include "textencoding.h"

#include <QDateTime>
#include <QString>

namespace Inventory {

// Notices other writers of the inventory file. Part of the window's state:
// what this window last read or wrote of the file (its text, kept with a
// version, and the encoding the next save writes in).
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
    FileResult<InventoryText> readText();

    struct OverwriteCheck
    {
        InventoryText file;
        // The file holds other text than this window last read or wrote.
        bool changed = false;
    };
    // The file as it is now, read whatever its stamp, just before a save
    // overwrites it. A file that is gone is unchanged: saving simply writes it
    // again. Anything but an ordinary file, and a link that cannot be
    // followed, is left for the save to refuse.
    FileResult<OverwriteCheck> readBeforeOverwrite();

    // Writes the list in the encoding the file had when last read (the
    // system's for a new file); the text written becomes the kept one.
    SaveResult write(ListText list);

    // The text last read or written, with its version and whole inventory.
    KeptInventory &kept() { return m_kept; }

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
    KeptInventory m_kept;
    FileEncoding m_textEncoding;
    // What the next save writes in: the file's own encoding as last read,
    // also when its text had changed.
    FileEncoding m_saveEncoding;
};

} // namespace Inventory
