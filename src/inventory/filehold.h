#pragma once

#include <QString>

namespace Inventory {

// After an open of path for reading failed: whether another program holds the
// file, so that the same open may work a moment later. Only Windows lets a
// program hold a file against others; elsewhere this is never so.
bool ReadingHeldByAnotherProgram(const QString &path);

} // namespace Inventory
