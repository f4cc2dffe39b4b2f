#pragma once

#include "fileresult.h"
#include "inventoryread.h"

#include <QDateTime>
#include <QString>

namespace Inventory {

// One window's view of the inventory file: what it last read or wrote. A
// search re-reads an unchanged file (same size and modification time) for the
// cost of one look at it; a save always compares the file's text, so that a
// change by another program is noticed whatever its size and time.
class InventoryFile
{
public:
    explicit InventoryFile(QString folder);

    const QString &folder() const { return m_folder; }

    // The file's text, decoded, with its own line ends: what a search needs.
    ReadResult readText();

    struct Current : ReadResult
    {
        // The file holds other text than this window last read or wrote.
        bool changed = false;
    };
    // The file as it is now, read whatever its stamp, just before a save
    // overwrites it. A file that is gone is unchanged: saving simply writes it
    // again. Anything but an ordinary file is left for the save to refuse.
    Current readBeforeOverwrite();

    // Writes the list text in the encoding the file had when last read (the
    // system's for a new file); kept afterwards as the file's text, so a list
    // text handed over with room for one more CR LF is not copied.
    FileResult write(QString listText);

private:
    struct Stamp
    {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;

        friend bool operator==(const Stamp &, const Stamp &) = default;
    };
    Stamp currentStamp() const;
    void remember(const Stamp &stamp, const QString &text, TextEncoding encoding);

    QString m_folder;
    bool m_seen = false;
    Stamp m_seenStamp;
    // A file modified just before it was seen may change again within the same
    // tick of the file system's clock, keeping size and time: such a stamp is
    // not trusted, and the next search reads the file again.
    bool m_stampTrusted = false;
    QString m_seenText; // the file's text as last read or written
    TextEncoding m_seenEncoding = TextEncoding::System;
    // What the next save writes in: the file's own encoding as last read,
    // also when its text had changed.
    TextEncoding m_encoding = TextEncoding::System;
};

} // namespace Inventory
