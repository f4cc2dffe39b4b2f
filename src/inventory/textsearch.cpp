#include "textsearch.h"

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

QList<qsizetype> Occurrences(QStringView text, QStringView sought)
{
    QList<qsizetype> found;
    for (qsizetype at = FindText(text, sought); at >= 0; at = FindText(text, sought, at + sought.size()))
        found.append(at);
    return found;
}

QString ReplaceAll(QString text, const QString &find, const QString &with)
{
    if (find.isEmpty())
        return text;
    return text.replace(find, with, Qt::CaseSensitive);
}

} // namespace Inventory
