#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace Inventory {

struct RecordFields
{
    QString box;
    QString item;
    QString quantity;
    QString type;

    friend bool operator==(const RecordFields &, const RecordFields &) = default;
};

// The four values between the markers, taken as they are, followed by CR LF.
QString ComposeRecord(const RecordFields &fields);

// The value as one line: each line break (CR LF, CR, LF or a Unicode line or
// paragraph separator) becomes one space, so that a pasted text can never
// split a record in two.
QString SingleLineValue(QStringView text);

// Reads the four values back from a record line without its line end.
// Nothing is returned when a marker is missing or stands out of order.
std::optional<RecordFields> ParseRecord(QStringView record);

} // namespace Inventory
