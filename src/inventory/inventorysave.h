#pragma once

#include "fileresult.h"
#include "textencoding.h"

#include <QString>
#include <QStringView>

namespace Inventory {

struct SaveResult : FileResult
{
    FileEncoding encoding{}; // the one written
    // Failed with the file possibly part-written (a write in place that could
    // not put the previous bytes back) or gone (a replace that could not be
    // undone). If backup.ok, the previous bytes are in the backup, or at
    // backup.path when that is set.
    bool damaged = false;
    // The backup of the file as it was before this save. Not ok: it could not
    // be refreshed, so it holds an older version or none; the save went on.
    FileResult backup = {};
};

// Keeps the file as it is now as its backup, then writes the list text and
// one CR LF in encoding (see EncodeInventory). The file stays the user's
// file: its other names, owner, group and access rights; a symbolic link
// stays a link, and its target is written, with the backup beside it.
// Anything but an ordinary file there, or a link that cannot be followed, is
// refused and never replaced. Nothing else is written anywhere.
SaveResult WriteInventory(const QString &folder, QStringView listText,
                          const FileEncoding &encoding = {});

} // namespace Inventory
