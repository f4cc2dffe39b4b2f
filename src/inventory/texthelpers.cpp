#include "texthelpers.h"

namespace Inventory {

qsizetype LineEndLengthAt(QStringView text, qsizetype pos)
{
    if (pos >= text.size())
        return 0;
    const QChar c = text[pos];
    if (c == u'\r')
        return (pos + 1 < text.size() && text[pos + 1] == u'\n') ? 2 : 1;
    return c == u'\n' ? 1 : 0;
}

bool HasLineLongerThan(QStringView text, qsizetype length)
{
    qsizetype lineStart = 0;
    for (qsizetype pos = 0; pos < text.size(); ++pos) {
        if (text[pos] == u'\r' || text[pos] == u'\n')
            lineStart = pos + 1;
        else if (pos - lineStart >= length)
            return true;
    }
    return false;
}

QString ReplaceAll(QString text, const QString &find, const QString &with)
{
    if (find.isEmpty())
        return text;
    return text.replace(find, with, Qt::CaseSensitive);
}

} // namespace Inventory
