#pragma once

#include "fileresult.h"
#include "textencoding.h"

#include <QString>
#include <QStringView>

namespace Inventory {

struct SaveResult : FileResult
{
    FileEncoding encoding{}; // the one written
};

// Keeps the file as it is now as the backup, then writes the list text and one
// CR LF in encoding (see EncodeInventory). Both files are replaced atomically: when anything fails, the
// inventory stays as it was and the save stops. The backup has the
// inventory's permissions, so whoever may save the one may save the other.
// Anything but an ordinary file at either place is refused, never replaced.
SaveResult WriteInventory(const QString &folder, QStringView listText,
                          const FileEncoding &encoding = {});

} // namespace Inventory
