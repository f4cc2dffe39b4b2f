#pragma once

#include "fileresult.h"

#include <QString>

namespace Inventory {

// Keeps the file as it is now as the backup, then writes the list text and one
// CR LF as UTF-8. Both files are replaced atomically: when anything fails, the
// inventory stays as it was and the save stops. The backup has the
// inventory's permissions, so whoever may save the one may save the other.
// Anything but an ordinary file at either place is refused, never replaced.
FileResult WriteInventory(const QString &folder, const QString &listText);

} // namespace Inventory
