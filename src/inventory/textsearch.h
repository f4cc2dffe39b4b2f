#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace Inventory {

// Position of the first occurrence of sought (not empty) at or after from, or
// -1; exact and case-sensitive.
qsizetype FindText(QStringView text, QStringView sought, qsizetype from = 0);

// Positions of the occurrences of sought (not empty) that a left-to-right pass
// over non-overlapping occurrences finds, as ReplaceAll replaces them.
QList<qsizetype> Occurrences(QStringView text, QStringView sought);

// Every occurrence of find replaced by with, in one left-to-right pass over
// non-overlapping occurrences; the replaced text is not searched again.
QString ReplaceAll(QString text, const QString &find, const QString &with);

} // namespace Inventory
