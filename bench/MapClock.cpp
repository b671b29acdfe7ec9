// Starts a program on the X display and measures it as a technician would
// see it: the time until its first window is mapped, then, left alone for
// the seconds asked, its resident memory and the share of a core it took.
//
//     ze23-mapclock SECONDS PROGRAM [ARGUMENTS...]
//
// prints "map_ms rss_kb cpu_percent" (cpu over SECONDS after the map, read
// from /proc/PID/task/*/schedstat) and ends the program. The display must
// have no other client mapping windows meanwhile.

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

// CPU time of all the program's threads in nanoseconds, as the scheduler
// counts it (/proc/PID/task/*/schedstat, first field): finer than the 10 ms
// ticks of /proc/PID/stat, which a window asleep most of the time barely moves.
long long cpuNs(pid_t pid) {
    long long sum = 0;
    std::error_code error;
    for (const auto &task :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        long long ns = 0;
        if (schedstat >> ns)
            sum += ns;
    }
    return sum;
}

long residentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}
} // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ze23-mapclock SECONDS PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "ze23-mapclock: no X display\n");
        return 1;
    }
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    double mapMs = -1;
    while (xcb_generic_event_t *e = xcb_wait_for_event(x)) {
        const bool mapped = (e->response_type & 0x7f) == XCB_MAP_NOTIFY;
        std::free(e);
        if (mapped) {
            mapMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            break;
        }
    }
    xcb_disconnect(x);
    const long long cpuBefore = cpuNs(pid);
    const Clock::time_point from = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const long long cpu = cpuNs(pid) - cpuBefore;
    const double elapsed = std::chrono::duration<double>(Clock::now() - from).count();
    const long rss = residentKb(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    std::printf("%.1f %ld %.3f\n", mapMs, rss,
                elapsed > 0 ? 100.0 * double(cpu) / 1e9 / elapsed : 0);
    return mapMs < 0 ? 1 : 0;
}
