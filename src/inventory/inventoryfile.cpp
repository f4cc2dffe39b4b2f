#include "inventoryfile.h"

#include "inventorypath.h"
#include "inventorysave.h"
#include "lines.h"

#include <QFileInfo>

namespace Inventory {

InventoryFile::InventoryFile(QString folder) : m_folder(std::move(folder)) {}

InventoryFile::Stamp InventoryFile::currentStamp() const
{
    const QFileInfo info(InventoryPath(m_folder));
    if (!info.isFile())
        return {};
    return {true, info.size(), info.lastModified()};
}

void InventoryFile::remember(const Stamp &stamp, const QString &text, TextEncoding encoding)
{
    // Two seconds cover the coarsest clocks in use (FAT keeps even seconds).
    m_seen = true;
    m_seenStamp = stamp;
    m_stampTrusted = !stamp.exists || stamp.modified < QDateTime::currentDateTime().addSecs(-2);
    m_seenText = text;
    m_seenEncoding = encoding;
    m_encoding = encoding;
}

ReadResult InventoryFile::readText()
{
    // The stamp is taken before reading: a change that lands in between makes
    // the next stamp differ, so it is read then.
    const Stamp now = currentStamp();
    if (m_seen && m_stampTrusted && now == m_seenStamp) {
        ReadResult cached;
        cached.exists = now.exists;
        cached.text = m_seenText;
        cached.encoding = m_seenEncoding;
        return cached;
    }
    ReadResult result = ReadInventory(m_folder, m_seenText, m_seenEncoding);
    if (result.ok)
        remember(now, result.text, result.encoding);
    return result;
}

InventoryFile::Current InventoryFile::readBeforeOverwrite()
{
    const Stamp now = currentStamp();
    Current current;
    if (KindOfPath(InventoryPath(m_folder)) == PathKind::NotAFile)
        return current;
    static_cast<ReadResult &>(current) = ReadInventory(m_folder, m_seenText, m_seenEncoding);
    if (!current.ok)
        return current;
    m_encoding = current.encoding;
    if (!current.exists)
        return current;
    // Shared with the text last seen when unchanged, so this compares at once.
    // Text, not bytes: the same text in another encoding is no change.
    current.changed = !m_seen || !m_seenStamp.exists || current.text != m_seenText;
    if (!current.changed)
        remember(now, current.text, current.encoding); // touched, not changed
    return current;
}

FileResult InventoryFile::write(QString listText)
{
    const SaveResult result = WriteInventory(m_folder, listText, m_encoding);
    if (result.ok) {
        m_seenText.clear(); // not kept beside its successor
        listText += LineEnd;
        remember(currentStamp(), listText, result.encoding);
    }
    return result;
}

} // namespace Inventory
