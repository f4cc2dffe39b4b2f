#pragma once

#include "recordline.h"

#include <QString>

#include <optional>

namespace Inventory {

// The quantity after one step of "+" (step = 1) or "-" (step = -1). A text
// that is not a number as a whole, a "-" at zero or below, and a step that
// cannot be done exactly leave the text as it is.
QString StepQuantity(const QString &quantity, int step);

// The record line that "Inserisci" appends; nothing when the box or the
// component code is exactly empty.
std::optional<QString> InsertedRecord(const RecordFields &fields);

// Code and quantity after "Inserisci": ready for the next component of the
// same box and type.
RecordFields FieldsAfterInsert(RecordFields fields);

// All four fields as "Aggiorna" leaves them.
RecordFields ClearedFields();

} // namespace Inventory
