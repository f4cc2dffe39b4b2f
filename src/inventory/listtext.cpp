#include "listtext.h"

#include "lines.h"

namespace Inventory {

QString ListTextFromFile(QStringView text)
{
    // One pass doing what ending every line with CR LF and then replacing
    // every CR LF CR LF by CR LF would do: after each line, a run of k line
    // ends in a row (the line's own and the empty lines after it) becomes k/2
    // CR LF, rounded up.
    QString list;
    list.reserve(text.size() + LineEnd.size());
    qsizetype nextCr = text.indexOf(u'\r');
    qsizetype nextLf = text.indexOf(u'\n');
    qsizetype pos = 0;
    while (pos < text.size()) {
        if (nextCr >= 0 && nextCr < pos)
            nextCr = text.indexOf(u'\r', pos);
        if (nextLf >= 0 && nextLf < pos)
            nextLf = text.indexOf(u'\n', pos);
        qsizetype lineEnd = text.size();
        if (nextCr >= 0)
            lineEnd = nextCr;
        if (nextLf >= 0 && nextLf < lineEnd)
            lineEnd = nextLf;
        list += text.sliced(pos, lineEnd - pos);
        pos = lineEnd;

        qsizetype lineEnds = pos == text.size() ? 1 : 0; // the last line, unterminated
        for (qsizetype length; (length = LineEndLengthAt(text, pos)) > 0; pos += length)
            ++lineEnds;
        for (qsizetype i = 0; i < (lineEnds + 1) / 2; ++i)
            list += LineEnd;
    }
    return list;
}

} // namespace Inventory
