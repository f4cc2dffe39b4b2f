#include "inventorysave.h"

#include "inventorypath.h"
#include "inventoryread.h"
#include "inventorysave_platform.h"
#include "linebreaks.h"

namespace Inventory {

SaveResult WriteInventory(const QString &folder, QStringView listText, const FileEncoding &encoding)
{
    const QString path = InventoryPath(folder);
    EncodedText file = EncodeInventory({listText, LineEnd}, encoding);
    // A file over the limit could not be read again: the user would be
    // locked out of their own inventory.
    if (file.bytes.size() > LargestInventory)
        return TooLarge(path, file.bytes.size());
    const ResolvedPath target = ResolvePath(path);
    switch (target.kind) {
    case PathKind::NotAFile:
        return NotAFileFailure(path);
    case PathKind::Unresolvable:
        return Failure(target.path, target.error);
    case PathKind::Absent:
    case PathKind::OrdinaryFile:
        break;
    }
    SaveResult saved = SaveWithBackup(path, target, file.bytes);
    if (saved.ok())
        saved->encoding = std::move(file.encoding);
    return saved;
}

} // namespace Inventory
