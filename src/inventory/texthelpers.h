#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace Inventory {

// The line end of every list text and of every line the program writes.
inline constexpr QStringView LineEnd = u"\r\n";

// Length of the line end that starts at pos: 2 for CR LF, 1 for a lone CR or
// a lone LF, 0 when no line end starts there.
inline qsizetype LineEndLengthAt(QStringView text, qsizetype pos)
{
    if (pos >= text.size())
        return 0;
    const QChar c = text[pos];
    if (c == u'\r')
        return (pos + 1 < text.size() && text[pos + 1] == u'\n') ? 2 : 1;
    return c == u'\n' ? 1 : 0;
}

// Calls lineFound(QStringView) for each line of text in order. A line ends at
// CR LF, CR or LF; the last line counts even without a line end, and an empty
// text has no lines.
template<typename LineFound>
void ForEachLine(QStringView text, LineFound lineFound)
{
    qsizetype lineStart = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype endLength = LineEndLengthAt(text, pos);
        if (endLength == 0) {
            ++pos;
            continue;
        }
        lineFound(text.sliced(lineStart, pos - lineStart));
        pos += endLength;
        lineStart = pos;
    }
    if (lineStart < text.size())
        lineFound(text.sliced(lineStart));
}

// True when some line of text (ended by CR, LF or the text's end) is longer
// than length characters.
bool HasLineLongerThan(QStringView text, qsizetype length);

// Position of the first occurrence of sought (not empty) at or after from, or
// -1; exact and case-sensitive.
qsizetype FindText(QStringView text, QStringView sought, qsizetype from = 0);

// Positions of the occurrences of sought (not empty) that a left-to-right pass
// over non-overlapping occurrences finds, as ReplaceAll replaces them.
QList<qsizetype> Occurrences(QStringView text, QStringView sought);

// Every occurrence of find replaced by with, in one left-to-right pass over
// non-overlapping occurrences; the replaced text is not searched again.
QString ReplaceAll(QString text, const QString &find, const QString &with);

} // namespace Inventory
