// DecodeInventory and ListTextFromFile on any file contents.

#include "fuzzcheck.h"
#include "inventoryfile.h"
#include "texthelpers.h"

#include <QByteArray>

using namespace Inventory;

namespace {

// Well-formed UTF-8 as Unicode defines it: shortest forms only, no
// surrogates, nothing above U+10FFFF.
bool IsUtf8(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int trail = 0;
        char32_t min = 0, cp = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            trail = 1, min = 0x80, cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trail = 2, min = 0x800, cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trail = 3, min = 0x10000, cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + trail >= bytes.size())
            return false;
        for (int k = 1; k <= trail; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (b & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += trail + 1;
    }
    return true;
}

QString WithoutLineEnds(QString text)
{
    text.remove(u'\r');
    text.remove(u'\n');
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = DecodeInventory(bytes);

    // Either UTF-8 that encodes back to the same bytes, or one character per byte.
    if (IsUtf8(bytes)) {
        const QByteArrayView body = bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3)
                                                                      : QByteArrayView(bytes);
        FUZZ_CHECK(text.toUtf8() == body);
    } else {
        FUZZ_CHECK(text.size() == bytes.size());
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            FUZZ_CHECK((b >= 0x80 && b <= 0x9F) || text[i].unicode() == b);
        }
    }

    // Every line end a CR LF, the last line ended too, and nothing else changed.
    const QString list = ListTextFromFile(text);
    FUZZ_CHECK(list.isEmpty() || list.endsWith(LineEnd));
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i] == u'\r')
            FUZZ_CHECK(i + 1 < list.size() && list[i + 1] == u'\n');
        if (list[i] == u'\n')
            FUZZ_CHECK(i > 0 && list[i - 1] == u'\r');
    }
    FUZZ_CHECK(WithoutLineEnds(list) == WithoutLineEnds(text));
    return 0;
}
