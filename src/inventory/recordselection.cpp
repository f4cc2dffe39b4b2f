#include "recordselection.h"

#include "lines.h"

namespace Inventory {

std::optional<RecordFields> SelectRecordAtCaret(QStringView listText, qsizetype caret)
{
    if (caret < 0 || caret > listText.size())
        return std::nullopt;

    // Only a whole CR LF before the caret ends an earlier line: a caret between
    // a CR and its LF is still on the line that the pair ends.
    const qsizetype previousEnd = listText.first(caret).lastIndexOf(LineEnd);
    const qsizetype lineStart = previousEnd < 0 ? 0 : previousEnd + LineEnd.size();
    const qsizetype lineEnd = listText.indexOf(LineEnd, lineStart);
    if (lineEnd < 0)
        return std::nullopt;

    const QStringView line = listText.sliced(lineStart, lineEnd - lineStart);
    const qsizetype recordStart = line.indexOf(u"[Box]:");
    if (recordStart < 0)
        return std::nullopt;
    return ParseRecord(line.sliced(recordStart));
}

} // namespace Inventory
