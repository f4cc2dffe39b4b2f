#pragma once

#include <QByteArray>
#include <QStringList>
#include <QStringView>

namespace Bench {

// A component code that only a few planted records carry, so a search for it
// finds a handful of lines however large the inventory is.
inline constexpr QStringView RareCode = u"ZX9099";
inline constexpr int PlantedRecords = 5;

// count record lines of a plausible inventory: runs of components in the same
// box, mostly of one type. A fixed seed makes every call return the same lines.
QStringList GenerateRecords(int count);

// The lines as the program saves them: each one followed by CR LF, then one
// more CR LF, encoded as UTF-8.
QByteArray InventoryBytes(const QStringList &records);

} // namespace Bench
