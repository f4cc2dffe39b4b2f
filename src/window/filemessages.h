#pragma once

#include "fileresult.h"
#include "inventorysave.h"

#include <QString>

// Every message about the inventory file, worded here: the library says what
// failed, the window says it in Italian, the system's reason included.

// The path as the system's own programs write it.
QString NativePath(const QString &path);

// Why a file could not be read or written.
QString FailureReason(const Inventory::FileError &error);

QString ReadFailureMessage(const Inventory::FileFailure &failure);
// A read failure at start-up, after which the program ends.
QString StartupFailureMessage(const Inventory::FileFailure &failure);
// command: the caption of the button that saved, to press again after a hold.
QString SaveFailureMessage(const Inventory::SaveFailure &failure, const QString &command);
// After a save that could not refresh its backup.
QString BackupNotRefreshedMessage(const Inventory::FileFailure &backup);
