#include "searchfilter.h"

#include "inventoryfile.h"
#include "lines.h"
#include "textsearch.h"

namespace Inventory {

QString MatchingLines(QStringView text, QStringView query)
{
    // Lines never hold a line end, so a query with one matches nothing.
    if (query.contains(u'\r') || query.contains(u'\n'))
        return {};

    QString matches;
    // Matching lines in a row that end in CR LF already stand in the text as
    // the list needs them: such a run is copied in one piece.
    qsizetype runStart = 0;
    qsizetype runEnd = 0;
    const auto flush = [&] {
        matches += text.sliced(runStart, runEnd - runStart);
        runStart = runEnd = 0;
    };
    const auto take = [&](qsizetype start, qsizetype end) {
        if (LineEndLengthAt(text, end) != LineEnd.size()) {
            flush();
            matches += text.sliced(start, end - start);
            matches += LineEnd;
            return;
        }
        if (start != runEnd || runStart == runEnd) {
            flush();
            runStart = start;
        }
        runEnd = end + LineEnd.size();
    };

    ForwardLineEnds lineEnds(text);
    if (query.isEmpty()) {
        for (qsizetype pos = 0; pos < text.size();) {
            const qsizetype end = lineEnds.from(pos);
            if (end > pos)
                take(pos, end);
            pos = end + LineEndLengthAt(text, end);
        }
    } else {
        // Every hit names its line, and the search goes on after that line,
        // so each line is taken once.
        for (qsizetype hit = FindText(text, query); hit >= 0;) {
            const qsizetype end = lineEnds.from(hit + query.size());
            take(LineStartBefore(text, hit), end);
            hit = FindText(text, query, end);
        }
    }
    flush();
    return matches;
}

FilterResult FilterInventory(InventoryFile &file, const QString &query, WholeInventoryCache *cache)
{
    FilterResult result;
    result.query = query;
    const ReadResult read = file.readText();
    if (!read.ok) {
        static_cast<FileResult &>(result) = read;
        return result;
    }
    if (!read.exists)
        return result;
    if (cache && query.isEmpty()) {
        // Equal strings that share their data compare at once.
        if (cache->fileText != read.text || cache->listText.isNull()) {
            cache->fileText = read.text;
            cache->listText = MatchingLines(read.text, query);
        }
        result.listText = cache->listText;
    } else {
        result.listText = MatchingLines(read.text, query);
    }
    if (!result.listText.isEmpty())
        return result;

    result.retried = true;
    result.query = query.toUpper();
    if (result.query != query)
        result.listText = MatchingLines(read.text, result.query);
    return result;
}

} // namespace Inventory
