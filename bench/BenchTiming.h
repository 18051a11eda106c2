#pragma once

#include <QElapsedTimer>
#include <algorithm>
#include <functional>
#include <vector>

// What the connection benchmarks share: the time of one piece of work and the
// median of a run of them.
namespace bench {

// Milliseconds `work` took; `ok` turns false if it failed.
inline double timed(const std::function<bool()>& work, bool& ok) {
    QElapsedTimer clock;
    clock.start();
    ok = work() && ok;
    return clock.nsecsElapsed() / 1e6;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace bench
