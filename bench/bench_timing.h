#pragma once
// Timing helpers of the benchmarks that time whole windows and documents
// with their own clock (no benchmark library).

#include <QElapsedTimer>
#include <QList>

#include <algorithm>
#include <functional>

namespace varnex::bench {

inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

// Milliseconds the work took.
inline double timeMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace varnex::bench
