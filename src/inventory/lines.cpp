#include "lines.h"

namespace Inventory {

qsizetype LineStartBefore(QStringView text, qsizetype pos)
{
    while (pos > 0 && !IsLineBreak(text[pos - 1]))
        --pos;
    return pos;
}

qsizetype LineEndFrom(QStringView text, qsizetype pos)
{
    while (pos < text.size() && !IsLineBreak(text[pos]))
        ++pos;
    return pos;
}

bool HasLineLongerThan(QStringView text, qsizetype length)
{
    for (qsizetype pos = 0; pos < text.size();) {
        const qsizetype end = LineEndFrom(text, pos);
        if (end - pos > length)
            return true;
        pos = end + 1;
    }
    return false;
}

} // namespace Inventory
