#pragma once

#include "changetracker.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

namespace Inventory {

// Calls lineFound(start, end) for each line of text that contains query
// (exact, case-sensitive), in order: the line runs from start to end, where
// its line end or the text's end stands. An empty query matches every
// non-empty line; a query that holds a line end matches none.
void ForEachMatchingLine(QStringView text, QStringView query,
                         const std::function<void(qsizetype start, qsizetype end)> &lineFound);

// Each line of text that contains query, in order, followed by CR LF.
QString MatchingLines(QStringView text, QStringView query);

// True when every non-empty line of text contains query, so that
// MatchingLines would give every line; stops at the first line that does not.
bool EveryLineMatches(QStringView text, QStringView query);

// The search text of the upper-case retry. A letter becomes its capital only
// when that capital turns back into the very letter, so the text keeps its
// length and no sign is mistaken for another letter ("µ" is not Greek "μ",
// whose capital "Μ" it shares).
QString SearchTextInUpperCase(QStringView query);

struct FilterResult : FileResult
{
    QString listText;   // the matching lines
    QString query;      // the search text after the run: upper case after a retry
    bool retried = false;
    // Set when every line matched (or there is no file and the query is
    // empty), so that listText is the tracker's whole inventory: its version.
    std::optional<quint64> wholeInventory;
};

// The lines of the inventory file that contain query. When none does, the
// query is turned into upper case and the file searched once more. With no
// file the list is empty and the query stays as it is.
FilterResult FilterInventory(ChangeTracker &file, const QString &query);

} // namespace Inventory
