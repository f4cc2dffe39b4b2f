#include "findreplace.h"

#include "linebreaks.h"

#include <algorithm>

namespace Inventory {

qsizetype FindText(QStringView text, QStringView sought, qsizetype from)
{
    // Jumping from one occurrence of the first character to the next is a
    // vectorised scan, several times faster than a Boyer-Moore skip over
    // record lines, where most characters are letters, digits and markers.
    const QChar first = sought.front();
    const QStringView rest = sought.sliced(1);
    const qsizetype lastStart = text.size() - sought.size();
    while (from <= lastStart) {
        from = text.indexOf(first, from);
        if (from < 0 || from > lastStart)
            return -1;
        if (text.sliced(from + 1, rest.size()) == rest)
            return from;
        ++from;
    }
    return -1;
}

QList<qsizetype> WholeLines(QStringView text, QStringView line, QChar lineEnd)
{
    QList<qsizetype> found;
    if (line.isEmpty())
        return found;
    for (qsizetype at = FindText(text, line); at >= 0;) {
        if (at == 0 || text[at - 1] == lineEnd) {
            found.append(at);
            at = FindText(text, line, at + line.size());
        } else {
            at = FindText(text, line, at + 1);
        }
    }
    return found;
}

std::optional<QString> ReplaceWholeLines(QString text, QStringView line, QStringView with)
{
    const QList<qsizetype> found = WholeLines(text, line, u'\n');
    if (found.isEmpty())
        return std::nullopt;
    if (with.size() == line.size()) {
        // In place: a whole inventory is megabytes, and a new copy of it
        // costs more than the search.
        for (const qsizetype at : found)
            std::copy(with.begin(), with.end(), text.begin() + at);
        return text;
    }
    QString replaced;
    // With room for the CR LF that a save adds after the list.
    replaced.reserve(text.size() + found.size() * (with.size() - line.size()) + LineEnd.size());
    qsizetype copied = 0;
    for (const qsizetype at : found) {
        replaced += QStringView(text).sliced(copied, at - copied);
        replaced += with;
        copied = at + line.size();
    }
    replaced += QStringView(text).sliced(copied);
    return replaced;
}

} // namespace Inventory
