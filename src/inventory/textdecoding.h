#pragma once

#include <QByteArrayView>
#include <QString>

namespace Inventory {

// The text of an inventory that any editor may have written. After a UTF-16
// or UTF-32 byte-order mark, in that encoding. Otherwise line by line: a line
// that is valid UTF-8 as UTF-8, any other as Windows-1252, so that a few lines
// appended by an older editor neither spoil nor lose the accents of the rest.
// A UTF-8 byte-order mark is skipped; line ends are kept as they are.
QString DecodeInventory(QByteArrayView bytes);

} // namespace Inventory
