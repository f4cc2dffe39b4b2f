#include "output.h"

#include <QList>

#include <cstdio>

namespace Bench {

namespace {

void PrintLine(const QString &line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

} // namespace

void PrintFigure(const QString &key, const Figure &figure)
{
    PrintLine(QStringLiteral("figure %1 %2 %3 %4")
                  .arg(key)
                  .arg(figure.median, 0, 'f', 4)
                  .arg(figure.min, 0, 'f', 4)
                  .arg(figure.max, 0, 'f', 4));
    if (!figure.failure.isEmpty())
        PrintFailure(key + QStringLiteral(": ") + figure.failure);
}

void PrintValue(const QString &key, double value)
{
    PrintLine(QStringLiteral("value %1 %2").arg(key).arg(value, 0, 'f', 4));
}

void PrintFailure(const QString &text)
{
    QString oneLine = text;
    oneLine.replace(u'\n', u' ');
    PrintLine(QStringLiteral("failure ") + oneLine);
}

void ParseResults(const QByteArray &output, Results &results)
{
    for (const QByteArray &line : output.split('\n')) {
        if (line.startsWith("failure ")) {
            results.failures << QString::fromUtf8(line.mid(8));
            continue;
        }
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 5 && parts[0] == "figure")
            results.figures.insert(
                QString::fromUtf8(parts[1]),
                {parts[2].toDouble(), parts[3].toDouble(), parts[4].toDouble(), {}});
        else if (parts.size() == 3 && parts[0] == "value")
            results.values.insert(QString::fromUtf8(parts[1]), parts[2].toDouble());
    }
}

} // namespace Bench
