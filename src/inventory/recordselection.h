#pragma once

#include "recordline.h"

#include <QStringView>

#include <optional>

namespace Inventory {

// The record of the clicked line of the list, given with its CR LF when one
// follows it. The record runs from the line's first "[Box]:" to its end.
// Nothing is selected when the line has no "[Box]:", no CR LF after it (the
// last line), or does not parse; the caller then changes nothing.
std::optional<RecordFields> SelectRecordAtCaret(QStringView clickedLine);

} // namespace Inventory
