#pragma once

#include <QStringList>

namespace Inventory {

// The types offered in "Tipologia", in the order the list shows them.
inline const QStringList ComponentTypes = {
    QStringLiteral("Resistenza"), QStringLiteral("Condensatore"), QStringLiteral("Induttanza"),
    QStringLiteral("Transistor"), QStringLiteral("RF Transistor"), QStringLiteral("Quarzo"),
    QStringLiteral("Risuonatore"), QStringLiteral("Socket"), QStringLiteral("IC"),
    QStringLiteral("MicroChip"), QStringLiteral("Varie"),
};

} // namespace Inventory
