#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace Inventory {

// Position of the first occurrence of sought (not empty) at or after from, or
// -1; exact and case-sensitive.
qsizetype FindText(QStringView text, QStringView sought, qsizetype from = 0);

// Positions of the lines of text that are line, which ends in lineEnd (the
// last character of the text's line ends): each such line starts the text or
// follows a lineEnd, so a line that merely ends with the same text is none.
QList<qsizetype> WholeLines(QStringView text, QStringView line, QChar lineEnd);

// Every line of text, a list text in CR LF, that is line (with its CR LF)
// replaced by with; nothing when no line of text is line.
std::optional<QString> ReplaceWholeLines(QString text, QStringView line, QStringView with);

} // namespace Inventory
