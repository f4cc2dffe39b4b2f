#include "inventorysave.h"

#include "inventorypath.h"
#include "inventoryread.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <optional>

namespace Inventory {

namespace {

bool LacksSpace(const QString &path, qint64 needed)
{
    const QStorageInfo volume(QFileInfo(path).absolutePath());
    return volume.isValid() && volume.bytesAvailable() >= 0 && volume.bytesAvailable() < needed;
}

// A write that stops part-way leaves no reason behind ("Unknown error"); the
// free space then tells whether the disk is full.
QString WriteFailureReason(const QSaveFile &file, qint64 needed)
{
    QString reason = file.errorString();
    const bool unknown = reason == QCoreApplication::translate("QIODevice", "Unknown error");
    if (file.error() == QFileDevice::ResourceError || (unknown && LacksSpace(file.fileName(), needed)))
        return QStringLiteral("spazio esaurito sul disco");
    return reason;
}

FileResult SaveBytes(const QString &path, const QByteArray &bytes,
                     std::optional<QFileDevice::Permissions> permissions = std::nullopt)
{
    if (KindOfPath(path) == PathKind::NotAFile)
        return NotAFileFailure(path);
    QSaveFile file(path);
    // Unbuffered, and written until every byte is out: when the disk fills up
    // part-way, the next write fails with the reason, where a single buffered
    // write would stop with none.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, path, file.errorString()};
    if (permissions)
        file.setPermissions(*permissions);
    for (qsizetype written = 0; written < bytes.size();) {
        const qint64 more = file.write(bytes.constData() + written, bytes.size() - written);
        if (more <= 0)
            return {false, path, WriteFailureReason(file, bytes.size() - written)};
        written += more;
    }
    if (!file.commit())
        return {false, path, WriteFailureReason(file, bytes.size())};
    return {};
}

} // namespace

FileResult WriteInventory(const QString &folder, const QString &listText)
{
    const QString path = InventoryPath(folder);
    switch (KindOfPath(path)) {
    case PathKind::NotAFile:
        return NotAFileFailure(path);
    case PathKind::OrdinaryFile: {
        BytesResult previous = ReadBytes(path);
        if (!previous.ok)
            return previous;
        FileResult backup = SaveBytes(BackupPath(folder), previous.bytes, QFile::permissions(path));
        if (!backup.ok)
            return backup;
        break;
    }
    case PathKind::Absent:
        break;
    }
    QByteArray bytes = listText.toUtf8();
    bytes += "\r\n";
    return SaveBytes(path, bytes);
}

} // namespace Inventory
