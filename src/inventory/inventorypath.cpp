#include "inventorypath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Inventory {

QString InventoryPath(const QString &folder)
{
    return QDir(folder).filePath(InventoryFileName.toString());
}

QString BackupPath(const QString &file)
{
    return file + QStringLiteral(".bak");
}

PathKind KindOfPath(const QString &path)
{
    return ResolvePath(path).kind;
}

std::optional<QString> FolderOfExecutable(const QByteArray &executablePath)
{
    const QString path = QFile::decodeName(executablePath);
    if (path.isEmpty() || QFile::encodeName(path) != executablePath || QDir::isRelativePath(path))
        return std::nullopt;
    return QFileInfo(path).absolutePath();
}

} // namespace Inventory
