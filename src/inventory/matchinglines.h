#pragma once

#include <QString>
#include <QStringView>

#include <functional>

namespace Inventory {

// The lines of a text that hold a search text: the matching that the search
// filter does on the file's text, and the kept inventory on the whole
// inventory, without reading any file.

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

} // namespace Inventory
