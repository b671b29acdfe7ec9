// Starts a program on the X display and measures it as a technician would
// see it: the time until its first window is mapped, then, left alone for
// the seconds asked, its resident memory and the share of a core it took.
//
//     ze23-mapclock SECONDS PROGRAM [ARGUMENTS...]
//
// prints "map_ms rss_kb cpu_percent" (cpu over SECONDS after the map, read
// from /proc/PID/stat) and ends the program. The display must have no other
// client mapping windows meanwhile.

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
using Clock = std::chrono::steady_clock;

long cpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command's closing parenthesis; utime and stime are
    // the 14th and 15th of the whole line.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; rest >> field; ++i) {
        if (i == 14)
            utime = std::stol(field);
        if (i == 15) {
            stime = std::stol(field);
            break;
        }
    }
    return utime + stime;
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
    const long ticksBefore = cpuTicks(pid);
    const Clock::time_point from = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const long ticks = cpuTicks(pid) - ticksBefore;
    const double elapsed = std::chrono::duration<double>(Clock::now() - from).count();
    const long rss = residentKb(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    std::printf("%.1f %ld %.3f\n", mapMs, rss,
                elapsed > 0 ? 100.0 * double(ticks) / double(sysconf(_SC_CLK_TCK)) / elapsed : 0);
    return mapMs < 0 ? 1 : 0;
}
