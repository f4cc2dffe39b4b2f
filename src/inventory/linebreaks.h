#pragma once

#include <QStringView>

namespace Inventory {

// The line end of every list text and of every line the program writes.
inline constexpr QStringView LineEnd = u"\r\n";

// Three kinds of line break, each decided here only.

// A line of a file ends at CR LF, at a lone CR or at a lone LF. Works on bytes
// too, since CR and LF are single bytes in every encoding the file may have.
template<typename Char>
constexpr bool IsLineBreak(Char c)
{
    return c == u'\r' || c == u'\n';
}

// The list keeps its lines as blocks of a text document, whose raw text puts
// this between them and holds no CR or LF.
inline constexpr QChar ListBlockSeparator = QChar::ParagraphSeparator;

// What text pasted into a one-line value may not bring: the file's line
// breaks, and the Unicode line and paragraph separators, which the user
// means as line breaks too. (The list keeps the latter inside a line, when a
// file brings them: see listdisplay.h.)
constexpr bool BreaksAValue(QChar c)
{
    return IsLineBreak(c.unicode()) || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// A text that holds a file line break spans lines, so no line holds it.
inline bool HoldsLineBreak(QStringView text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

// Length of the line end that starts at pos: 2 for CR LF, 1 for a lone CR or
// a lone LF, 0 when no line end starts there.
inline qsizetype LineEndLengthAt(QStringView text, qsizetype pos)
{
    if (pos >= text.size() || !IsLineBreak(text[pos]))
        return 0;
    return (text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n') ? 2 : 1;
}

// Where the line that holds pos begins.
qsizetype LineStartBefore(QStringView text, qsizetype pos);

// Finds the line ends of one text going forward, with Qt's vectorised search
// and without scanning any stretch twice: each position asked for must not
// lie before the one asked for last.
class ForwardLineEnds
{
public:
    explicit ForwardLineEnds(QStringView text) : m_text(text) {}

    // The position of the first CR or LF at or after pos, or the text's end.
    qsizetype from(qsizetype pos);

private:
    QStringView m_text;
    qsizetype m_nextCr = -2; // -2: not looked for yet; -1: there is none
    qsizetype m_nextLf = -2;
};

// True when some line of text is longer than length characters.
bool HasLineLongerThan(QStringView text, qsizetype length);

} // namespace Inventory
