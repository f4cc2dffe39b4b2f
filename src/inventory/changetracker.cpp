#include "changetracker.h"

#include "inventorypath.h"
#include "inventorysave.h"

#include <QFileInfo>

namespace Inventory {

ChangeTracker::ChangeTracker(QString folder) : m_folder(std::move(folder)) {}

ChangeTracker::Stamp ChangeTracker::currentStamp() const
{
    const QFileInfo info(InventoryPath(m_folder));
    if (!info.isFile())
        return {};
    return {true, info.size(), info.lastModified()};
}

void ChangeTracker::remember(const Stamp &stamp, const QString &text, const FileEncoding &encoding)
{
    m_hasReadOrWritten = true;
    m_stamp = stamp;
    // Two seconds cover the coarsest clocks in use (FAT keeps even seconds).
    m_stampTrusted = !stamp.exists || stamp.modified < QDateTime::currentDateTime().addSecs(-2);
    m_textEncoding = encoding;
    m_saveEncoding = encoding;
    m_kept.keep(text);
}

FileResult<InventoryText> ChangeTracker::readText()
{
    // The stamp is taken before reading: a change that lands in between makes
    // the next stamp differ, so it is read then.
    const Stamp now = currentStamp();
    if (m_hasReadOrWritten && m_stampTrusted && now == m_stamp)
        return InventoryText{now.exists, m_kept.text(), m_textEncoding};
    FileResult<InventoryText> read = ReadInventory(m_folder, m_kept.text(), m_textEncoding);
    if (read.ok())
        remember(now, read->text, read->encoding);
    return read;
}

FileResult<ChangeTracker::OverwriteCheck> ChangeTracker::readBeforeOverwrite()
{
    const Stamp now = currentStamp();
    const QString path = InventoryPath(m_folder);
    const ResolvedPath target = ResolvePath(path);
    if (target.kind == PathKind::NotAFile || target.kind == PathKind::Unresolvable)
        return OverwriteCheck{};
    FileResult<InventoryText> read = ReadInventory(path, target, m_kept.text(), m_textEncoding);
    if (!read.ok())
        return read.failure();
    OverwriteCheck check{std::move(read.value()), false};
    m_saveEncoding = check.file.encoding;
    if (!check.file.exists)
        return check;
    // Text, not bytes: the same text in another encoding is no change.
    check.changed = !m_hasReadOrWritten || !m_stamp.exists || check.file.text != m_kept.text();
    if (!check.changed)
        remember(now, check.file.text, check.file.encoding); // touched, not changed
    return check;
}

SaveResult ChangeTracker::write(ListText list)
{
    SaveResult result = WriteInventory(m_folder, list.lines(), m_saveEncoding);
    // A save of the text the file held keeps its version, and so the list's
    // laid-out whole inventory.
    if (result.ok())
        remember(currentStamp(), std::move(list).withSavedLineEnd(), result->encoding);
    return result;
}

} // namespace Inventory
