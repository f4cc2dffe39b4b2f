#pragma once

#include <QString>

namespace Bench {

// Generates the inventories, measures each size in a child process of its own
// (program, the bench's own executable), prints the tables. Non-zero when an
// interaction did not do what it should.
int MeasureAndReport(const QString &program);

} // namespace Bench
