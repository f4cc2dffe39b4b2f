#include "searchfilter.h"

#include "changetracker.h"
#include "matchinglines.h"

namespace Inventory {

FileResult<Found> FilterInventory(ChangeTracker &file, const QString &query)
{
    const FileResult<InventoryText> read = file.readText();
    if (!read.ok())
        return read.failure();
    Found result;
    result.query = query;
    if (!read->exists) {
        // No file: the whole inventory is empty, and nothing is retried.
        if (query.isEmpty())
            result.wholeInventory = file.kept().version();
        return result;
    }
    if (query.isEmpty() || EveryLineMatches(read->text, query)) {
        // Every line matches: the whole inventory, without building it anew.
        result.listText = file.kept().wholeInventory();
        result.wholeInventory = file.kept().version();
    } else {
        result.listText = MatchingLines(read->text, query);
    }
    if (!result.listText.isEmpty())
        return result;

    result.retried = true;
    result.query = SearchTextInUpperCase(query);
    if (result.query != query) {
        result.listText = MatchingLines(read->text, result.query);
        result.wholeInventory.reset();
    }
    return result;
}

} // namespace Inventory
