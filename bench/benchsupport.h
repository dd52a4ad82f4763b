#pragma once

// Timing and memory figures shared by the benchmark programs.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Benchmarks paint offscreen unless a platform is chosen; call before the application object.
inline void useOffscreenUnlessChosen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The number of runs: the first argument, or the default.
inline int runsFromArguments(int argc, char** argv, int fallback = 5)
{
    return argc > 1 ? std::max(1, std::atoi(argv[1])) : fallback;
}

struct Spread {
    double median = 0, min = 0, max = 0;
};

inline Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

// Milliseconds that one call takes.
inline double timeMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"), or -1.
inline long statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Resets the process's peak resident size (VmHWM) to its current size; false where the
// kernel does not allow it.
inline bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// Peak resident memory that a call adds, in MB (VmHWM after minus VmRSS before), or -1.
inline double peakAddedMb(const std::function<void()>& work)
{
    if (!resetPeak())
        return -1;
    const long before = statusKb("VmRSS");
    work();
    const long peak = statusKb("VmHWM");
    return before < 0 || peak < 0 ? -1 : double(peak - before) / 1024.0;
}

inline void printHeader()
{
    std::printf("| %-44s | %9s | %9s | %9s | %13s |\n", "operation", "median ms", "min ms", "max ms",
                "x baseline");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(46, '-').c_str(), std::string(11, '-').c_str(),
                std::string(11, '-').c_str(), std::string(11, '-').c_str(), std::string(15, '-').c_str());
}

// One line of the table; the ratio is the median over the baseline's median (none for a baseline).
// Times under 10 ms keep microseconds, so that two runs of a short operation can be told apart.
inline void printRow(const char* name, const Spread& s, const Spread* baseline = nullptr)
{
    char ratio[32] = "(baseline)";
    if (baseline)
        std::snprintf(ratio, sizeof ratio, "%.2f", s.median / baseline->median);
    const int digits = s.max < 10 ? 3 : 1;
    std::printf("| %-44s | %9.*f | %9.*f | %9.*f | %13s |\n", name, digits, s.median, digits, s.min, digits, s.max,
                ratio);
}

// Rounds of steps for compareSteps, and the steps of a round; the first round is not counted.
constexpr int StepRounds = 31;
constexpr int StepsPerRound = 20;
constexpr int CountedSteps = (StepRounds - 1) * StepsPerRound;

// One kind of mouse step on a map: what comes before the steps, a step (given its
// number), what ends them; and how many rooms the bare map it is compared with holds.
template <typename Map>
struct StepOperation {
    const char* name;
    int bareRooms;
    std::function<void(Map&)> begin;
    std::function<void(Map&, int)> step;
    std::function<void(Map&)> end;
};

// Median times of one step on each of two maps, in microseconds. A step ends when the
// event loop has painted what it asked for. The maps take turns in batches, so that other
// work on the machine weighs on both alike; the first round warms up and is not counted.
template <typename Map>
std::pair<double, double> compareSteps(const StepOperation<Map>& operation, Map& first, Map& second,
                                       int rounds = StepRounds, int stepsPerRound = StepsPerRound)
{
    Map* maps[2] = {&first, &second};
    std::vector<qint64> times[2];
    QElapsedTimer timer;
    for (Map* map : maps)
        operation.begin(*map);
    for (int round = 0; round < rounds; ++round) {
        for (int s = 0; s < 2; ++s) {
            for (int k = 0; k < stepsPerRound; ++k) {
                timer.start();
                operation.step(*maps[s], round * stepsPerRound + k);
                QCoreApplication::processEvents();
                const qint64 elapsed = timer.nsecsElapsed();
                if (round > 0)
                    times[s].push_back(elapsed);
            }
        }
    }
    for (Map* map : maps)
        operation.end(*map);
    auto median = [](std::vector<qint64>& t) {
        std::nth_element(t.begin(), t.begin() + qsizetype(t.size() / 2), t.end());
        return double(t[t.size() / 2]) / 1000.0;
    };
    return {median(times[0]), median(times[1])};
}

} // namespace bench
