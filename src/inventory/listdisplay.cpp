#include "listdisplay.h"

#include <algorithm>
#include <array>

namespace Inventory {

namespace {

constexpr char16_t Escape = 0xE000;
constexpr char16_t FirstStandIn = 0xE001;
constexpr char16_t LastStandIn = 0xE003;
constexpr std::array<char16_t, 3> Breaks = {0x2029, 0xFDD0, 0xFDD1}; // in the order of their stand-ins

bool IsStandInOrEscape(char16_t c)
{
    return c >= Escape && c <= LastStandIn;
}

bool IsBreak(char16_t c)
{
    return c == Breaks[0] || c == Breaks[1] || c == Breaks[2];
}

// Most text is ASCII: one comparison rules a character out.
bool NeedsStandIn(QChar c)
{
    return c.unicode() >= Breaks[0] && (IsBreak(c.unicode()) || IsStandInOrEscape(c.unicode()));
}

} // namespace

QString ToListDisplay(QString text)
{
    const auto first = std::find_if(text.cbegin(), text.cend(), NeedsStandIn);
    if (first == text.cend())
        return text;
    QString shown;
    shown.reserve(text.size() + 16);
    shown += QStringView(text.cbegin(), first);
    for (auto c = first; c != text.cend(); ++c) {
        const char16_t u = c->unicode();
        if (IsBreak(u)) {
            shown += QChar(char16_t(FirstStandIn + (std::find(Breaks.begin(), Breaks.end(), u) - Breaks.begin())));
        } else {
            if (IsStandInOrEscape(u))
                shown += QChar(Escape);
            shown += *c;
        }
    }
    return shown;
}

QString FromListDisplay(QString shown)
{
    const auto first = std::find_if(shown.cbegin(), shown.cend(),
                                    [](QChar c) { return IsStandInOrEscape(c.unicode()); });
    if (first == shown.cend())
        return shown;
    QString text;
    text.reserve(shown.capacity()); // the room the caller left
    text += QStringView(shown.cbegin(), first);
    for (auto c = first; c != shown.cend(); ++c) {
        const char16_t u = c->unicode();
        if (u == Escape && c + 1 != shown.cend() && IsStandInOrEscape((c + 1)->unicode()))
            text += *++c;
        else if (u >= FirstStandIn && u <= LastStandIn)
            text += QChar(Breaks[u - FirstStandIn]);
        else
            text += *c;
    }
    return text;
}

} // namespace Inventory
