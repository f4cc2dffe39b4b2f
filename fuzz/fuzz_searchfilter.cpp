// MatchingLines on any file contents with any query, compared with a plain
// line-by-line search. The first byte is the query's length in bytes, the
// query follows as UTF-8, the file's bytes after it.

#include "fuzzcheck.h"
#include "textencoding.h"
#include "matchinglines.h"
#include "searchfilter.h"
#include "linebreaks.h"

#include <QByteArray>

#include <algorithm>

using namespace Inventory;

namespace {

QString MatchesLineByLine(QStringView text, QStringView query)
{
    QString matches;
    if (query.contains(u'\r') || query.contains(u'\n'))
        return matches;
    QString line;
    const auto take = [&] {
        if (!line.isEmpty() && line.contains(query)) {
            matches += line;
            matches += LineEnd;
        }
        line.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            take();
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            line += text[i];
        }
    }
    take();
    return matches;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const auto *bytes = reinterpret_cast<const char *>(data);
    const qsizetype queryLength = std::min<qsizetype>(data[0], qsizetype(size) - 1);
    const QString query = QString::fromUtf8(bytes + 1, queryLength);
    const QByteArray file = QByteArray::fromRawData(bytes + 1 + queryLength, qsizetype(size) - 1 - queryLength);
    const QString text = DecodeInventory(file).text;

    const QString matches = MatchingLines(text, query);
    if (!matches.isEmpty()) {
        FUZZ_CHECK(matches.endsWith(LineEnd));
        for (const QStringView line : QStringView(matches).chopped(LineEnd.size()).split(LineEnd))
            FUZZ_CHECK(line.contains(query));
    }
    FUZZ_CHECK(matches == MatchesLineByLine(text, query));
    FUZZ_CHECK(EveryLineMatches(text, query) == (matches == MatchingLines(text, {})));
    return 0;
}
