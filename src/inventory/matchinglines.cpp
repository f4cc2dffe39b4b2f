#include "matchinglines.h"

#include "findreplace.h"
#include "linebreaks.h"

namespace Inventory {

void ForEachMatchingLine(QStringView text, QStringView query,
                         const std::function<void(qsizetype start, qsizetype end)> &lineFound)
{
    // Lines never hold a line end, so a query with one matches nothing.
    if (HoldsLineBreak(query))
        return;
    ForwardLineEnds lineEnds(text);
    if (query.isEmpty()) {
        for (qsizetype pos = 0; pos < text.size();) {
            const qsizetype end = lineEnds.from(pos);
            if (end > pos)
                lineFound(pos, end);
            pos = end + LineEndLengthAt(text, end);
        }
        return;
    }
    // Every hit names its line, and the search goes on after that line, so
    // each line is taken once.
    for (qsizetype hit = FindText(text, query); hit >= 0;) {
        const qsizetype end = lineEnds.from(hit + query.size());
        lineFound(LineStartBefore(text, hit), end);
        hit = FindText(text, query, end);
    }
}

QString MatchingLines(QStringView text, QStringView query)
{
    QString matches;
    // Matching lines in a row that end in CR LF already stand in the text as
    // the list needs them: such a run is copied in one piece.
    qsizetype runStart = 0;
    qsizetype runEnd = 0;
    const auto flush = [&] {
        matches += text.sliced(runStart, runEnd - runStart);
        runStart = runEnd = 0;
    };
    ForEachMatchingLine(text, query, [&](qsizetype start, qsizetype end) {
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
    });
    flush();
    return matches;
}

bool EveryLineMatches(QStringView text, QStringView query)
{
    const auto pastLineEnds = [&text](qsizetype pos) {
        while (pos < text.size() && IsLineBreak(text[pos]))
            ++pos;
        return pos;
    };
    if (query.isEmpty())
        return true;
    qsizetype next = pastLineEnds(0); // where the next non-empty line starts
    if (HoldsLineBreak(query))
        return next == text.size();
    // Each line is searched on its own, so that a query missing from the
    // first line costs that line, not a scan of the text for a later hit.
    ForwardLineEnds lineEnds(text);
    while (next < text.size()) {
        const qsizetype end = lineEnds.from(next);
        if (FindText(text.first(end), query, next) < 0)
            return false;
        next = pastLineEnds(end);
    }
    return true;
}

QString SearchTextInUpperCase(QStringView query)
{
    QString upper;
    upper.reserve(query.size());
    for (qsizetype pos = 0; pos < query.size();) {
        char32_t letter = query[pos].unicode();
        qsizetype length = 1;
        if (QChar::isHighSurrogate(letter) && pos + 1 < query.size() && query[pos + 1].isLowSurrogate()) {
            letter = QChar::surrogateToUcs4(query[pos], query[pos + 1]);
            length = 2;
        }
        const char32_t capital = QChar::toUpper(letter);
        upper += QChar::fromUcs4(QChar::toLower(capital) == letter ? capital : letter);
        pos += length;
    }
    return upper;
}

} // namespace Inventory
