#include "linebreaks.h"

namespace Inventory {

qsizetype LineStartBefore(QStringView text, qsizetype pos)
{
    while (pos > 0 && !IsLineBreak(text[pos - 1]))
        --pos;
    return pos;
}

qsizetype ForwardLineEnds::from(qsizetype pos)
{
    if (m_nextCr != -1 && m_nextCr < pos)
        m_nextCr = m_text.indexOf(u'\r', pos);
    if (m_nextLf != -1 && m_nextLf < pos)
        m_nextLf = m_text.indexOf(u'\n', pos);
    qsizetype end = m_text.size();
    if (m_nextCr >= 0)
        end = m_nextCr;
    if (m_nextLf >= 0 && m_nextLf < end)
        end = m_nextLf;
    return end;
}

bool HasLineLongerThan(QStringView text, qsizetype length)
{
    ForwardLineEnds lineEnds(text);
    for (qsizetype pos = 0; pos < text.size();) {
        const qsizetype end = lineEnds.from(pos);
        if (end - pos > length)
            return true;
        pos = end + 1;
    }
    return false;
}

} // namespace Inventory
