#include "recordselection.h"

#include "lines.h"

namespace Inventory {

std::optional<RecordFields> SelectRecordAtCaret(QStringView clickedLine)
{
    if (!clickedLine.endsWith(LineEnd))
        return std::nullopt;
    const QStringView line = clickedLine.chopped(LineEnd.size());
    const qsizetype recordStart = line.indexOf(u"[Box]:");
    if (recordStart < 0)
        return std::nullopt;
    return ParseRecord(line.sliced(recordStart));
}

} // namespace Inventory
