#pragma once

#include <QString>

namespace Inventory {

// The list widget's document breaks its text into blocks at U+2029 (paragraph
// separator) and at U+FDD0 and U+FDD1 (its frame markers), besides CR and LF,
// so a value holding one of them would be split into two lines and lose the
// character. The list shows each of the three as a stand-in from the Private
// Use Area (U+E001, U+E002, U+E003) and reads it back; a value's own U+E000
// to U+E003 are shown after the escape U+E000, so no text is ever mistaken
// for another. U+2028 (line separator) needs none: the document keeps it
// inside its block.

// text as the list shows it.
QString ToListDisplay(QString text);

// The text that the list shows as shown. An escape that no stand-in follows
// (the user deleted one) stands for itself.
QString FromListDisplay(QString shown);

} // namespace Inventory
