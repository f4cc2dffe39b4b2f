#pragma once

#include "fileresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

#include <initializer_list>
#include <memory>
#include <optional>

namespace Inventory {

// How an inventory's text is stored. Other programs, and older copies of this
// one, read the same file, so a save writes it in the encoding it was read in.
enum class TextEncoding {
    System,            // nothing beyond ASCII, or no file yet: the system's choice
    Utf8,
    Utf8WithBom,
    Utf16LittleEndian, // UTF-16 and UTF-32 with their byte-order mark
    Utf16BigEndian,
    Utf32LittleEndian,
    Utf32BigEndian,
    Utf16LittleEndianWithoutMark, // told by where the NULs of its line ends stand
    Utf16BigEndianWithoutMark,
    EightBit,          // Windows's ANSI code page; Windows-1252 elsewhere
    Mixed,             // lines in UTF-8 and lines in the 8-bit code page
};

// What a file that mixes UTF-8 and 8-bit lines held, so that a save writes
// each line nobody edited in the encoding it came in.
struct MixedLines
{
    bool byteOrderMark = false;
    // For each text of a line beyond ASCII, whether its occurrences, in file
    // order, were 8-bit lines.
    QHash<QString, QList<bool>> eightBit;
};

struct FileEncoding
{
    FileEncoding() = default;
    FileEncoding(TextEncoding kind) : kind(kind) {} // NOLINT(google-explicit-constructor)

    TextEncoding kind = TextEncoding::System;
    std::shared_ptr<const MixedLines> mixedLines; // Mixed only
};

struct DecodedText
{
    QString text; // line ends as they are, no byte-order mark
    FileEncoding encoding;
    // Why the bytes cannot be read as text that would be saved back unchanged
    // (FileProblem::OddUtf16 or InvalidUtf32); set, text and encoding mean
    // nothing.
    std::optional<FileProblem> failure;
};

// The text of an inventory that any editor may have written. After a UTF-16
// or UTF-32 byte-order mark, in that encoding; UTF-16 without one when its
// line ends are CR and LF units with a NUL byte. Otherwise line by line: a
// line that is valid UTF-8 as UTF-8, any other in the 8-bit code page, so that
// a few lines appended by an older editor neither spoil nor lose the accents
// of the rest. Every decoded file encodes back to its very bytes in the
// encoding given.
DecodedText DecodeInventory(QByteArrayView bytes);

struct EncodedText
{
    QByteArray bytes;
    FileEncoding encoding; // the one written: never System
};

// The pieces of text, one after the other, as a file in encoding, written so
// that DecodeInventory reads back the very text. The system's choice is UTF-8,
// on Windows the ANSI code page where every character fits. Text that the
// encoding cannot carry so that it reads back (a character beyond the code
// page, 8-bit bytes that would read as UTF-8) is written whole as UTF-8; with a
// byte-order mark when it would not read back without one; and as UTF-16 when
// it holds a lone surrogate, which only UTF-16 can carry.
EncodedText EncodeInventory(std::initializer_list<QStringView> pieces, const FileEncoding &encoding);

} // namespace Inventory
