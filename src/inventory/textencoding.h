#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <initializer_list>

namespace Inventory {

// How an inventory's text is stored. Other programs, and older copies of this
// one, read the same file, so a save writes it in the encoding it was read in.
enum class TextEncoding {
    System,            // nothing beyond ASCII, or no file yet: the system's choice
    Utf8,
    Utf8WithBom,
    Utf16LittleEndian, // these four with their byte-order mark
    Utf16BigEndian,
    Utf32LittleEndian,
    Utf32BigEndian,
    EightBit,          // Windows's ANSI code page; Windows-1252 elsewhere
};

struct DecodedText
{
    QString text; // line ends as they are, no byte-order mark
    TextEncoding encoding = TextEncoding::System;
};

// The text of an inventory that any editor may have written. After a UTF-16
// or UTF-32 byte-order mark, in that encoding. Otherwise line by line: a line
// that is valid UTF-8 as UTF-8, any other in the 8-bit code page, so that a
// few lines appended by an older editor neither spoil nor lose the accents of
// the rest. A file that mixes both kinds of line is UTF-8 from then on.
DecodedText DecodeInventory(QByteArrayView bytes);

struct EncodedText
{
    QByteArray bytes;
    TextEncoding encoding = TextEncoding::System; // the one written: never System
};

// The pieces of text, one after the other, as a file in encoding. The system's
// choice is UTF-8, on Windows the ANSI code page where every character fits.
// Text that does not fit an 8-bit code page is written whole as UTF-8, so that
// no character is lost.
EncodedText EncodeInventory(std::initializer_list<QStringView> pieces, TextEncoding encoding);

} // namespace Inventory
