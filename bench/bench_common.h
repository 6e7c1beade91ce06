// Timing helpers of the benchmarks: best of a few runs, printed as a ratio to a baseline.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

inline double millis(const std::function<void()>& work, int runs = 1)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = took.count() < best ? took.count() : best;
    }
    return best;
}

// The best of runs timings of calls calls of call, in ms.
inline double millisOfCalls(int calls, const std::function<void()>& call, int runs = 1)
{
    return millis(
        [&] {
            for (int i = 0; i < calls; ++i)
                call();
        },
        runs);
}

// The CPU time a process has used so far, user and system, in ms; "self" for this one.
inline double cpuMillisOf(const std::string& pid)
{
    std::ifstream stat("/proc/" + pid + "/stat");
    const std::string text((std::istreambuf_iterator<char>(stat)),
                           std::istreambuf_iterator<char>());
    // After the command name in parentheses come the fields from the third (state) on; utime and
    // stime are the 14th and 15th.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i)
        if (i >= 14)
            ticks += std::stod(field);
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A line of a process's status (VmHWM, VmRSS), in MiB.
inline double statusMiBOf(int pid, const std::string& field)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) / 1024.0;
    return 0;
}

// Starts a process's peak (VmHWM) again from what it holds now (VmRSS), which it returns: the
// peak of start-up is then not taken for the request's.
inline double resetPeakOf(int pid)
{
    std::ofstream("/proc/" + std::to_string(pid) + "/clear_refs") << "5";
    return statusMiBOf(pid, "VmRSS");
}

// Times of writing 4 KiB over a file of folder and syncing it, as a commit of the audit file
// syncs its log, one after the other until done() (at least once); in ms, sorted.
inline std::vector<double> syncTimes(const std::string& folder, const std::function<bool()>& done)
{
    const std::string path = folder + "/sync.bin";
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    const std::string block(4096, 'x');
    std::vector<double> times;
    do
        times.push_back(millis([&] {
            if (::pwrite(fd, block.data(), block.size(), 0) < 0 || ::fdatasync(fd) != 0)
                std::perror("sync");
        }));
    while (!done());
    ::close(fd);
    ::unlink(path.c_str());
    std::sort(times.begin(), times.end());
    return times;
}

// aim 0: no target, the ratio is reported as it is.
inline void report(const char* name, double measured, double baseline, double aim)
{
    std::printf("%s: %.1f ms vs baseline %.1f ms, ratio %.2f", name, measured, baseline,
                measured / baseline);
    if (aim > 0)
        std::printf(" (aim <= %.1f)", aim);
    std::printf("\n");
    std::fflush(stdout);
}
