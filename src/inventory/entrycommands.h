#pragma once

#include "recordline.h"

#include <QString>
#include <QStringView>

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

// What "Aggiorna" writes: the whole inventory with every line that is the
// selected record (with its CR LF) replaced by the composed one; never a part
// of another line. The whole
// inventory is wholeList, the list, when it holds that; while the list shows a
// search result it is fileText, the file as it is now, as the list would show
// it. Nothing when the selected record is not there (changed or removed by
// another program, a line typed into a search result, a hand-edited line that
// reads back otherwise): whatever would be written, it is not the change the
// user asked for.
std::optional<QString> UpdatedInventory(std::optional<QString> wholeList, QStringView fileText,
                                        const QString &selected, const QString &composed);

} // namespace Inventory
