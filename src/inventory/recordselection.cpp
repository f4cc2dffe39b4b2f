#include "recordselection.h"

#include "linebreaks.h"

namespace Inventory {

std::optional<SelectedLine> SelectRecordAtCaret(QStringView clickedLine)
{
    if (!clickedLine.endsWith(LineEnd))
        return std::nullopt;
    const QStringView line = clickedLine.chopped(LineEnd.size());
    const qsizetype recordStart = line.indexOf(u"[Box]:");
    if (recordStart < 0)
        return std::nullopt;
    std::optional<RecordFields> fields = ParseRecord(line.sliced(recordStart));
    if (!fields)
        return std::nullopt;
    return SelectedLine{line.first(recordStart).toString(), std::move(*fields)};
}

} // namespace Inventory
