#pragma once

#include "inventoryfile.h"

#include <QString>
#include <QStringView>

namespace Inventory {

// Each line of text that contains query (exact, case-sensitive), in order,
// followed by CR LF. An empty query matches every non-empty line.
QString MatchingLines(QStringView text, QStringView query);

struct FilterResult : FileResult
{
    QString listText;   // the matching lines
    QString query;      // the search text after the run: upper case after a retry
    bool retried = false;
};

// The whole inventory as the last empty search gave it, and the file text it
// came from: while the file is unchanged, emptying the search field again
// gives the very same string, which the list recognises without comparing.
struct WholeInventoryCache
{
    QString fileText;
    QString listText;
};

// The lines of the inventory file that contain query. When none does, the
// query is turned into upper case and the file searched once more. With no
// file the list is empty and the query stays as it is.
FilterResult FilterInventory(InventoryFile &file, const QString &query, WholeInventoryCache *cache = nullptr);

} // namespace Inventory
