#pragma once

#include <QString>

namespace Bench {

// Times the window's interactions on the inventory in folder, then the floors
// they are compared with, and prints the results for the parent process.
// Returns non-zero when an interaction did not do what it should.
int RunTimings(const QString &folder, int records);

// One ordinary session on the inventory in folder, then the process's peak
// memory; with no records only start-up.
int RunMemorySession(const QString &folder, int records);

} // namespace Bench
