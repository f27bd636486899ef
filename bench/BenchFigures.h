#pragma once
// What the benchmark programs measure with: medians, the calling thread's CPU time and the
// process's resident memory.

#include <sys/resource.h>

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <vector>

namespace korvo::bench {

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0.0 : n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// CPU seconds of the calling thread (virtual sensors run on threads of their own).
inline double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto sec = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    return sec(usage.ru_utime) + sec(usage.ru_stime);
}

// Every thread of the process (with the virtual sensors' own in the benchmarks that run them).
inline double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto sec = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    return sec(usage.ru_utime) + sec(usage.ru_stime);
}

inline double residentMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0.0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ')[0].toDouble() / 1024;
    }
    return 0.0;
}

}  // namespace korvo::bench
