#include "entrycommands.h"

#include "loadedlist.h"
#include "findreplace.h"

#include <QLocale>

#include <cmath>

namespace Inventory {

namespace {

// Beyond this a step would need more than the 15 significant digits that the
// quantity is written with, so it could not be shown exactly.
constexpr double LargestSteppable = 1e15;

std::optional<double> NumericValue(const QString &text)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(QStringView(text).trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

QString StepQuantity(const QString &quantity, int step)
{
    const std::optional<double> value = NumericValue(quantity);
    if (!value || (step < 0 && *value <= 0))
        return quantity;
    const double stepped = *value + step;
    if (std::fabs(*value) >= LargestSteppable || std::fabs(stepped) >= LargestSteppable)
        return quantity;
    // Adding zero turns a negative zero from rounding into a plain "0".
    return QString::number(stepped + 0.0, 'g', 15);
}

std::optional<QString> InsertedRecord(const RecordFields &fields)
{
    if (fields.box.isEmpty() || fields.item.isEmpty())
        return std::nullopt;
    return ComposeRecord(fields);
}

RecordFields FieldsAfterInsert(RecordFields fields)
{
    fields.item.clear();
    fields.quantity = QStringLiteral("0");
    return fields;
}

RecordFields ClearedFields()
{
    return {QString(), QString(), QStringLiteral("0"), QStringLiteral("...")};
}

std::optional<QString> UpdatedInventory(std::optional<QString> wholeList, QStringView fileText,
                                        const QString &selected, const QString &composed)
{
    QString whole = wholeList ? std::move(*wholeList) : LoadedList(fileText);
    return ReplaceWholeLines(std::move(whole), selected, composed);
}

} // namespace Inventory
