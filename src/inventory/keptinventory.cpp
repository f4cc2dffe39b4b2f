#include "keptinventory.h"

#include "linebreaks.h"
#include "matchinglines.h"

namespace Inventory {

void KeptInventory::keep(const QString &text)
{
    if (text == m_text && !m_text.isNull())
        return; // the same text: what was made from it stays valid
    m_text = text;
    m_wholeInventory = QString();
    m_version = TextVersion(m_version.m_number + 1);
}

const QString &KeptInventory::wholeInventory()
{
    if (m_wholeInventory.isNull())
        m_wholeInventory = MatchingLines(m_text, {});
    return m_wholeInventory;
}

std::optional<TextVersion> KeptInventory::offerAsWholeInventory(const QString &loadedList)
{
    QString emptyLine = LineEnd.toString();
    emptyLine += LineEnd;
    if (loadedList.startsWith(LineEnd) || loadedList.contains(emptyLine))
        return std::nullopt;
    m_wholeInventory = loadedList;
    return m_version;
}

} // namespace Inventory
