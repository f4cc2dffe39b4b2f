#include "timing.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QList>

#include <algorithm>

namespace Bench {

namespace {

class Rounds
{
public:
    explicit Rounds(const Scenario &scenario) : m_scenario(scenario) {}

    void run(bool timed)
    {
        if (m_scenario.prepare)
            m_scenario.prepare();
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        m_scenario.act();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (timed)
            m_times << ms;
        if (m_scenario.check && m_failure.isEmpty())
            m_failure = m_scenario.check();
    }

    Figure figure() const
    {
        QList<double> times = m_times;
        std::sort(times.begin(), times.end());
        return {times[times.size() / 2], times.first(), times.last(), m_failure};
    }

private:
    const Scenario &m_scenario;
    QList<double> m_times;
    QString m_failure;
};

} // namespace

Figure Measure(int runs, const Scenario &scenario)
{
    Rounds rounds(scenario);
    for (int round = 0; round <= runs; ++round)
        rounds.run(round > 0);
    return rounds.figure();
}

std::pair<Figure, Figure> MeasurePair(int runs, const Scenario &first, const Scenario &second)
{
    Rounds firstRounds(first);
    Rounds secondRounds(second);
    for (int round = 0; round <= runs; ++round) {
        firstRounds.run(round > 0);
        secondRounds.run(round > 0);
    }
    return {firstRounds.figure(), secondRounds.figure()};
}

qint64 PeakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // "VmHWM:    123456 kB"
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

} // namespace Bench
