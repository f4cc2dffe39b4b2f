#include "inventorysave.h"

#include "inventorypath.h"
#include "inventoryread.h"
#include "inventorysave_platform.h"
#include "lines.h"

namespace Inventory {

SaveResult WriteInventory(const QString &folder, QStringView listText, TextEncoding encoding)
{
    const QString path = InventoryPath(folder);
    const ResolvedPath target = ResolvePath(path);
    switch (target.kind) {
    case PathKind::NotAFile:
        return {NotAFileFailure(path)};
    case PathKind::Unresolvable:
        return {Failure(target.path, target.error)};
    case PathKind::Absent:
    case PathKind::OrdinaryFile:
        break;
    }
    const EncodedText file = EncodeInventory({listText, LineEnd}, encoding);
    SaveResult saved = ReplaceFile(target, file.bytes);
    saved.encoding = file.encoding;
    return saved;
}

} // namespace Inventory
