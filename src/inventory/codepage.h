#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <initializer_list>
#include <optional>

namespace Inventory {

// The 8-bit code page of inventories that older programs wrote: Windows's
// ANSI code page, Windows-1252 elsewhere. Where the ANSI code page is UTF-8
// itself (a choice Windows offers), Windows-1252 stands in for it, since
// UTF-8 could not keep the bytes of other programs' 8-bit lines.

// Appends the characters of bytes in the code page. No byte is ever lost: the
// five bytes that Windows-1252 leaves unassigned keep their C1 code points.
void AppendEightBit(QString &text, QByteArrayView bytes);

// The pieces in the code page, or nothing when a character is not in it.
std::optional<QByteArray> EightBitBytes(std::initializer_list<QStringView> pieces);

// True when the system's encoding is the code page (Windows's ANSI code
// page); false where it is UTF-8.
bool SystemEncodingIsEightBit();

} // namespace Inventory
