// ParseRecord on any text, and ComposeRecord followed by ParseRecord on any
// four values.

#include "fuzzcheck.h"
#include "recordline.h"
#include "linebreaks.h"

#include <QList>

using namespace Inventory;

namespace {

bool HasMarkerText(const QString &value)
{
    for (const QStringView marker : {u"[Box]:", u"[Item]:", u"[Nr]:", u"[Type]:"}) {
        if (value.contains(marker))
            return true;
    }
    return false;
}

// The values are cut from disjoint stretches of the record: the box right
// after "[Box]: ", the type up to the end.
void CheckParsed(QStringView record)
{
    const std::optional<RecordFields> f = ParseRecord(record);
    if (!f)
        return;
    FUZZ_CHECK(f->box.size() + f->item.size() + f->quantity.size() + f->type.size() <= record.size());
    FUZZ_CHECK(record.size() >= 7 && record.sliced(7).startsWith(f->box));
    FUZZ_CHECK(record.contains(f->item));
    FUZZ_CHECK(record.contains(f->quantity));
    FUZZ_CHECK(record.endsWith(f->type));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Utf16FromBytes(data, size);
    CheckParsed(text);

    // The same text as four values, split at U+0000.
    const QList<QStringView> parts = QStringView(text).split(u'\0');
    const RecordFields fields{parts.value(0).toString(), parts.value(1).toString(),
                              parts.value(2).toString(), parts.value(3).toString()};
    const QString line = ComposeRecord(fields);
    FUZZ_CHECK(line.endsWith(LineEnd));
    const QStringView record = QStringView(line).chopped(LineEnd.size());
    CheckParsed(record);
    if (!HasMarkerText(fields.box) && !HasMarkerText(fields.item) && !HasMarkerText(fields.quantity)
        && !HasMarkerText(fields.type))
        FUZZ_CHECK(ParseRecord(record) == fields);
    return 0;
}
