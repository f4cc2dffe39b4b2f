#pragma once

#include <QStringView>

namespace Inventory {

// The line end of every list text and of every line the program writes.
inline constexpr QStringView LineEnd = u"\r\n";

// A line of a file ends at CR LF, at a lone CR or at a lone LF: the one
// definition every reader of the inventory shares. Works on bytes too, since
// CR and LF are single bytes in every encoding the file may have.
template<typename Char>
constexpr bool IsLineBreak(Char c)
{
    return c == u'\r' || c == u'\n';
}

// Length of the line end that starts at pos: 2 for CR LF, 1 for a lone CR or
// a lone LF, 0 when no line end starts there.
inline qsizetype LineEndLengthAt(QStringView text, qsizetype pos)
{
    if (pos >= text.size() || !IsLineBreak(text[pos]))
        return 0;
    return (text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n') ? 2 : 1;
}

// Where the line that holds pos begins, and where it ends (its line end's
// position, or the text's end).
qsizetype LineStartBefore(QStringView text, qsizetype pos);
qsizetype LineEndFrom(QStringView text, qsizetype pos);

// Calls lineFound(QStringView) for each line of text in order; the last line
// counts even without a line end, and an empty text has no lines.
template<typename LineFound>
void ForEachLine(QStringView text, LineFound lineFound)
{
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype end = LineEndFrom(text, pos);
        lineFound(text.sliced(pos, end - pos));
        pos = end + LineEndLengthAt(text, end);
    }
}

// True when some line of text is longer than length characters.
bool HasLineLongerThan(QStringView text, qsizetype length);

} // namespace Inventory
