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
    if (query.isEmpty()) {
        ForEachLine(text, [&matches](QStringView line) {
            if (line.isEmpty())
                return;
            matches += line;
            matches += LineEnd;
        });
        return matches;
    }

    // One pass over the whole text: every hit names its line, and the search
    // goes on after that line, so each line is taken once.
    qsizetype from = 0;
    while (true) {
        const qsizetype hit = FindText(text, query, from);
        if (hit < 0)
            break;
        const qsizetype start = LineStartBefore(text, hit);
        const qsizetype end = LineEndFrom(text, hit + query.size());
        matches += text.sliced(start, end - start);
        matches += LineEnd;
        from = end;
    }
    return matches;
}

FilterResult FilterInventory(InventoryFile &file, const QString &query)
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
    result.listText = MatchingLines(read.text, query);
    if (!result.listText.isEmpty())
        return result;

    result.retried = true;
    result.query = query.toUpper();
    if (result.query != query)
        result.listText = MatchingLines(read.text, result.query);
    return result;
}

} // namespace Inventory
