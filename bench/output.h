#pragma once

#include "timing.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace Bench {

// What a measuring child process hands to the parent, one line per result on
// standard output: "figure KEY MEDIAN MIN MAX", "value KEY NUMBER", "failure TEXT".
void PrintFigure(const QString &key, const Figure &figure);
void PrintValue(const QString &key, double value);
void PrintFailure(const QString &text);

struct Results
{
    QHash<QString, Figure> figures;
    QHash<QString, double> values;
    QStringList failures;

    // Median in milliseconds; negative when the figure is missing.
    double ms(const QString &key) const
    {
        return figures.value(key, Figure{-1, -1, -1, {}}).median;
    }
    double value(const QString &key) const { return values.value(key, -1); }
};

// Reads the lines printed above; other lines are ignored.
void ParseResults(const QByteArray &output, Results &results);

} // namespace Bench
