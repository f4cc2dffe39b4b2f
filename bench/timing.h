#pragma once

#include <QString>

#include <functional>
#include <utility>

namespace Bench {

struct Figure
{
    double median = 0; // milliseconds
    double min = 0;
    double max = 0;
    QString failure; // what went wrong in a run; the times are then meaningless
};

// One measured interaction: prepare() puts the state back, untimed; act() is
// timed; check() then looks at the outcome, untimed, and returns what is wrong.
struct Scenario
{
    std::function<void()> prepare;
    std::function<void()> act;
    std::function<QString()> check;
};

// Times the scenario in runs rounds after one untimed warm-up round. Pending
// events are handled after prepare(), so every round measures the same thing.
Figure Measure(int runs, const Scenario &scenario);

// Times two scenarios in alternating rounds, so that both meet the machine in
// the same state and their ratio holds even when other work slows it down.
std::pair<Figure, Figure> MeasurePair(int runs, const Scenario &first, const Scenario &second);

// The most memory this process has had resident so far, in bytes.
qint64 PeakResidentBytes();

} // namespace Bench
