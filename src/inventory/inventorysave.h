#pragma once

#include "fileresult.h"
#include "textencoding.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace Inventory {

struct Written
{
    FileEncoding encoding{}; // the one written
    // Set when the backup of the file as it was before this save could not be
    // refreshed, so it holds an older version or none; the save went on.
    std::optional<FileFailure> staleBackup;
};

// A failed save: which file and why, and whether the file was left whole.
struct SaveFailure : FileFailure
{
    SaveFailure(FileFailure failure) : FileFailure(std::move(failure)) {} // NOLINT(google-explicit-constructor)

    // The file may be part-written (a write in place that could not put the
    // previous bytes back) or gone (a replace that could not be undone).
    bool damaged = false;
    // Where the previous bytes are then, when they were kept.
    std::optional<QString> previousVersion;
};

using SaveResult = FileResult<Written, SaveFailure>;

// Keeps the file as it is now as its backup, then writes the list text and
// one CR LF in encoding (see EncodeInventory). The file stays the user's
// file: its other names, owner, group and access rights; a symbolic link
// stays a link, and its target is written, with the backup beside it.
// Anything but an ordinary file there, or a link that cannot be followed, is
// refused and never replaced. Nothing else is written anywhere.
SaveResult WriteInventory(const QString &folder, QStringView listText,
                          const FileEncoding &encoding = {});

} // namespace Inventory
