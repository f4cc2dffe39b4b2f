// SelectRecordAtCaret on any list text at any caret, compared with a forward
// walk over the lines.

#include "fuzzcheck.h"
#include "recordselection.h"

#include <limits>

using namespace Inventory;

namespace {

// The lines end at CR LF only; the caret positions of a line run from its
// first character to just after its CR.
std::optional<RecordFields> SelectedByWalk(QStringView text, qsizetype caret)
{
    if (caret < 0 || caret > text.size())
        return std::nullopt;
    qsizetype lineStart = 0;
    while (true) {
        const qsizetype lineEnd = text.indexOf(u"\r\n", lineStart);
        if (lineEnd < 0)
            return std::nullopt;
        if (caret <= lineEnd + 1) {
            const QStringView line = text.sliced(lineStart, lineEnd - lineStart);
            const qsizetype box = line.indexOf(u"[Box]:");
            if (box < 0)
                return std::nullopt;
            return ParseRecord(line.sliced(box));
        }
        lineStart = lineEnd + 2;
    }
}

// Mostly a position inside the text or one step outside it; with the top bit
// set, a far-off value of either sign.
qsizetype CaretFrom(uint16_t bits, qsizetype textSize)
{
    const qsizetype low = bits & 0x7FFF;
    if (!(bits & 0x8000))
        return low % (textSize + 3) - 1;
    if (low % 2)
        return std::numeric_limits<qsizetype>::max() - low / 2;
    return std::numeric_limits<qsizetype>::min() + low / 2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const QString text = Utf16FromBytes(data + 2, size - 2);
    const qsizetype caret = CaretFrom(uint16_t(data[0] | data[1] << 8), text.size());

    const std::optional<RecordFields> selected = SelectRecordAtCaret(text, caret);
    FUZZ_CHECK(selected == SelectedByWalk(text, caret));
    if (selected) {
        FUZZ_CHECK(selected->box.size() + selected->item.size() + selected->quantity.size()
                       + selected->type.size()
                   <= text.size());
    }
    return 0;
}
