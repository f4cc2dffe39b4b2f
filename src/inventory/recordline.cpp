#include "recordline.h"

#include "linebreaks.h"

namespace Inventory {

namespace {

// The markers with their spaces: a composed line holds them so, and the parse
// cuts the values by these lengths.
constexpr QStringView BoxMarker = u"[Box]: ";
constexpr QStringView ItemMarker = u" [Item]: ";
constexpr QStringView QuantityMarker = u" [Nr]: ";
constexpr QStringView TypeMarker = u" [Type]: ";

// A record cut short gives a shorter or empty value rather than a failure:
// the parse checks only that the markers stand in order.
QString Piece(QStringView text, qsizetype start, qsizetype length)
{
    if (start >= text.size())
        return {};
    return text.mid(start, length).toString();
}

} // namespace

QString ComposeRecord(const RecordFields &fields)
{
    QString line;
    line.reserve(BoxMarker.size() + ItemMarker.size() + QuantityMarker.size() + TypeMarker.size()
                 + LineEnd.size() + fields.box.size() + fields.item.size()
                 + fields.quantity.size() + fields.type.size());
    line += BoxMarker;
    line += fields.box;
    line += ItemMarker;
    line += fields.item;
    line += QuantityMarker;
    line += fields.quantity;
    line += TypeMarker;
    line += fields.type;
    line += LineEnd;
    return line;
}

QString SingleLineValue(QStringView text)
{
    QString value;
    value.reserve(text.size());
    for (qsizetype pos = 0; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (c == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n')
            continue; // the CR of a CR LF: the LF becomes the space
        value += BreaksAValue(c) ? QChar(u' ') : c;
    }
    return value;
}

std::optional<RecordFields> ParseRecord(QStringView record)
{
    // The searches run without the markers' outer spaces (except " [Item]:"), and
    // each value is cut by the markers' full lengths, so the value boundaries stay
    // where a composed line puts them even when a value holds extra spaces.
    // Indices are 0-based; every value must have a length of zero or more.
    const qsizetype item = record.indexOf(u" [Item]:");
    const qsizetype boxStart = BoxMarker.size();
    if (item < 0 || item < boxStart)
        return std::nullopt;

    const qsizetype quantity = record.indexOf(u"[Nr]:", item);
    const qsizetype itemStart = item + ItemMarker.size();
    if (quantity < 0 || quantity - 1 < itemStart)
        return std::nullopt;

    const qsizetype type = record.indexOf(u"[Type]:", quantity);
    const qsizetype quantityStart = quantity + QuantityMarker.size() - 1;
    if (type < 0 || type - 1 < quantityStart)
        return std::nullopt;

    const qsizetype typeStart = type + TypeMarker.size() - 1;
    if (record.size() < typeStart)
        return std::nullopt;

    return RecordFields{
        Piece(record, boxStart, item - boxStart),
        Piece(record, itemStart, quantity - 1 - itemStart),
        Piece(record, quantityStart, type - 1 - quantityStart),
        Piece(record, typeStart, record.size() - typeStart),
    };
}

} // namespace Inventory
