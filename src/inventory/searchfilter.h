#pragma once

#include "changetracker.h"
#include "fileresult.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace Inventory {

struct Found
{
    QString listText;   // the matching lines
    QString query;      // the search text after the run: upper case after a retry
    bool retried = false;
    // Set when every line matched (or there is no file and the query is
    // empty), so that listText is the tracker's whole inventory: its version.
    std::optional<TextVersion> wholeInventory;
};

// The lines of the inventory file that contain query. When none does, the
// query is turned into upper case and the file searched once more. With no
// file the list is empty and the query stays as it is.
FileResult<Found> FilterInventory(ChangeTracker &file, const QString &query);

} // namespace Inventory
