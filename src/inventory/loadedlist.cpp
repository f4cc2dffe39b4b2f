#include "loadedlist.h"

#include "linebreaks.h"

namespace Inventory {

QString LoadedList(QStringView text)
{
    // One pass doing what ending every line with CR LF and then replacing
    // every CR LF CR LF by CR LF would do: after each line, a run of k line
    // ends in a row (the line's own and the empty lines after it) becomes k/2
    // CR LF, rounded up.
    QString list;
    list.reserve(text.size() + LineEnd.size());
    ForwardLineEnds lineEnds(text);
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype lineEnd = lineEnds.from(pos);
        list += text.sliced(pos, lineEnd - pos);
        pos = lineEnd;

        qsizetype endsInARow = pos == text.size() ? 1 : 0; // the last line, unterminated
        for (qsizetype length; (length = LineEndLengthAt(text, pos)) > 0; pos += length)
            ++endsInARow;
        for (qsizetype i = 0; i < (endsInARow + 1) / 2; ++i)
            list += LineEnd;
    }
    return list;
}

} // namespace Inventory
