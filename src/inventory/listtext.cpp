#include "listtext.h"

#include "linebreaks.h"

namespace Inventory {

ListText::ListText(QString lines) : m_lines(std::move(lines))
{
    if (m_lines.capacity() < m_lines.size() + LineEnd.size())
        m_lines.reserve(m_lines.size() + LineEnd.size());
}

QString ListText::withSavedLineEnd() &&
{
    m_lines += LineEnd;
    return std::move(m_lines);
}

} // namespace Inventory
