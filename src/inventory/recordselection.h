#pragma once

#include "recordline.h"

#include <QStringView>

#include <optional>

namespace Inventory {

struct SelectedLine
{
    QString textBefore; // what the line holds before its record
    RecordFields fields;
};

// The record of the clicked line of the list, given with its CR LF when one
// follows it. The record runs from the line's first "[Box]:" to its end; the
// text before it stays part of the line that "Aggiorna" changes.
// Nothing is selected when the line has no "[Box]:", no CR LF after it (the
// last line), or does not parse; the caller then changes nothing.
std::optional<SelectedLine> SelectRecordAtCaret(QStringView clickedLine);

} // namespace Inventory
