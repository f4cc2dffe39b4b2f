#pragma once

#include <QString>
#include <QStringView>

namespace Inventory {

// The list text that start-up shows: every line followed by CR LF, then each
// pair of line ends in a row collapsed into one, so the empty line that every
// save leaves at the end does not show.
QString LoadedList(QStringView text);

} // namespace Inventory
