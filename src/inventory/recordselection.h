#pragma once

#include "recordline.h"

#include <QStringView>

#include <optional>

namespace Inventory {

// The record of the line that holds the caret (caret: the number of characters
// before it in listText). The record runs from the line's first "[Box]:" to
// its CR LF. Nothing is selected when the line has no "[Box]:", no CR LF after
// it, or does not parse; the caller then changes nothing.
std::optional<RecordFields> SelectRecordAtCaret(QStringView listText, qsizetype caret);

} // namespace Inventory
