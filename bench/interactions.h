#pragma once

// The benchmarks register themselves; their windows must close before the
// application ends.
void FreeInteractions();
