#pragma once

#include <QString>

namespace Inventory {

// The list's lines joined by CR LF, as the file holds them. It keeps room for
// the one CR LF that a save adds after them, so that the saved text becomes
// the kept one without a copy of the whole inventory.
class ListText
{
public:
    explicit ListText(QString lines);

    const QString &lines() const { return m_lines; }

    // The lines and the CR LF that a save adds, made in the room kept for it.
    QString withSavedLineEnd() &&;

private:
    QString m_lines;
};

} // namespace Inventory
