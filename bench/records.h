#pragma once

#include <QByteArray>
#include <QLatin1StringView>

// A code that only a few records carry, spread over the file.
inline constexpr QLatin1StringView RareCode("ZX9099");
inline constexpr int RareRecords = 5;

// count records as the program saves them: runs of components in one box,
// mostly of one type; the same bytes on every call.
QByteArray InventoryBytes(int count);
