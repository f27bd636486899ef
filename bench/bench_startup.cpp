// Start-up time and memory of korvo-km-scope: runs the program several times offscreen and
// prints the median time from process start until the multiplexer window with its 112 port
// panels is shown, and the median peak resident memory.
//
// The program is started with KORVO_EXIT_AFTER_SHOW=1, a hook that exists for this benchmark
// only: the program prints "shown" once its window is up and leaves without writing any file.
//
// Usage: bench_startup [runs] [program]   (defaults: 7 runs, korvo-km-scope beside this program)

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Run {
    double shownSeconds = 0;
    double exitSeconds = 0;
    double peakMegabytes = 0;
    bool ok = false;
};

std::string programBeside(const char* self) {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string path = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string(self);
    const auto slash = path.rfind('/');
    return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) +
           "/korvo-km-scope";
}

double since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

Run runOnce(const std::string& program) {
    Run run;
    int fds[2];
    if (pipe(fds) != 0) return run;
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) return run;
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        const int devNull = open("/dev/null", O_WRONLY);
        if (devNull >= 0) dup2(devNull, STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("KORVO_EXIT_AFTER_SHOW", "1", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[256];
    for (;;) {
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        out.append(buf, static_cast<size_t>(n));
        if (run.shownSeconds == 0 && out.find("shown\n") != std::string::npos)
            run.shownSeconds = since(t0);
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return run;
    run.exitSeconds = since(t0);
    run.peakMegabytes = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && run.shownSeconds > 0;
    return run;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

}  // namespace

int main(int argc, char* argv[]) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::string program = argc > 2 ? argv[2] : programBeside(argv[0]);

    std::vector<double> shown, exited, peak;
    for (int i = 0; i < runs; ++i) {
        const Run r = runOnce(program);
        if (!r.ok) {
            std::fprintf(stderr, "run %d of %s failed\n", i + 1, program.c_str());
            return 1;
        }
        shown.push_back(r.shownSeconds);
        exited.push_back(r.exitSeconds);
        peak.push_back(r.peakMegabytes);
    }
    std::printf("korvo-km-scope start-up, %d runs (offscreen)\n", runs);
    std::printf("  median time to window shown : %.3f s (min %.3f, max %.3f)\n", median(shown),
                *std::min_element(shown.begin(), shown.end()),
                *std::max_element(shown.begin(), shown.end()));
    std::printf("  median time to process exit : %.3f s\n", median(exited));
    std::printf("  median peak resident memory : %.1f MB\n", median(peak));
    return 0;
}
