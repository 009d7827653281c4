// The measurement script's hands on the X server and the processes it measures, kept free of Qt
// so that it weighs nothing beside them:
//   brevant-measure-tool launch <timeout s> <program> [args...]   "pid N", then "mapped MS" (from
//       the fork) and "painted MS" (the window's pixels first changed after the map)
//   brevant-measure-tool cpu <seconds> <pid>...                    "<pid> <% of one core>" per process
//   brevant-measure-tool iconify <pid>                             minimise its window, as a window manager
//   would brevant-measure-tool post <port> <token> <path>                one POST to the daemon on 127.0.0.1
//   brevant-measure-tool repaint <pid> <port> <token> <path> <timeout ms>
//       POST, then "repainted MS" once any pixel of the window differs (or "unchanged")

#include "XDisplay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

using namespace brevant::measure;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: brevant-measure-tool launch|cpu|iconify|post|repaint ... (see the source)\n");
    return 2;
}

int launch(double timeoutS, char** argv) {
    XDisplay x;
    if (!x.ok()) {
        std::fprintf(stderr, "launch: no X display\n");
        return 1;
    }
    x.watchMaps();
    const double start = nowMs();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv);
        _exit(127);
    }
    std::printf("pid %d\n", int(pid));
    std::fflush(stdout);
    const auto window = x.waitForMap(pid, start + timeoutS * 1000);
    if (window) {
        std::printf("mapped %.1f\n", nowMs() - start);
        std::fflush(stdout);
        // What the server shows before the program has drawn anything (the root's black, with
        // Xvfb -br): the first difference is the first frame.
        const auto blank = x.pixels(*window);
        const double painted = blank ? x.waitForChange(*window, *blank, nowMs() + timeoutS * 1000) : -1;
        if (painted >= 0)
            std::printf("painted %.1f\n", painted - start);
        else
            std::printf("not-painted\n");
    } else {
        std::printf("not-mapped\n");
    }
    std::fflush(stdout);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 0;
}

double cpuSeconds(clockid_t clock) {
    timespec ts{};
    if (clock_gettime(clock, &ts) != 0)
        return -1;
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

int cpu(double seconds, int count, char** pids) {
    std::vector<clockid_t> clocks(count);
    std::vector<double> before(count);
    for (int i = 0; i < count; ++i) {
        if (clock_getcpuclockid(pid_t(std::atoi(pids[i])), &clocks[i]) != 0) {
            std::fprintf(stderr, "cpu: no process %s\n", pids[i]);
            return 1;
        }
    }
    for (int i = 0; i < count; ++i)
        before[i] = cpuSeconds(clocks[i]);
    const double start = nowMs();
    const timespec pause{time_t(seconds), long((seconds - double(time_t(seconds))) * 1e9)};
    nanosleep(&pause, nullptr);
    const double wall = (nowMs() - start) / 1000;
    for (int i = 0; i < count; ++i) {
        const double after = cpuSeconds(clocks[i]);
        if (after < 0 || before[i] < 0) {
            std::fprintf(stderr, "cpu: process %s went away\n", pids[i]);
            return 1;
        }
        std::printf("%s %.4f\n", pids[i], 100 * (after - before[i]) / wall);
    }
    return 0;
}

// Sends the POST and returns the open socket, or -1.
int sendPost(int port, const std::string& token, const std::string& path) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (fd >= 0)
            close(fd);
        return -1;
    }
    const std::string request = "POST " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nAuthorization: Bearer " + token +
                                "\r\nContent-Type: application/json\r\nContent-Length: 2\r\nConnection: "
                                "close\r\n\r\n{}";
    if (write(fd, request.data(), request.size()) != ssize_t(request.size())) {
        close(fd);
        return -1;
    }
    return fd;
}

// The reply's status code (0 when there is none); closes the socket.
int replyStatus(int fd) {
    std::string reply;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        reply.append(buffer, size_t(n));
    close(fd);
    int status = 0;
    std::sscanf(reply.c_str(), "HTTP/%*s %d", &status);
    return status;
}

int post(int port, const std::string& token, const std::string& path) {
    const int fd = sendPost(port, token, path);
    const int status = fd < 0 ? 0 : replyStatus(fd);
    if (status < 200 || status > 299) {
        std::fprintf(stderr, "post %s: status %d\n", path.c_str(), status);
        return 1;
    }
    return 0;
}

int iconify(int pid) {
    XDisplay x;
    const auto window = x.ok() ? x.windowOf(pid) : std::nullopt;
    if (!window) {
        std::fprintf(stderr, "iconify: no window of process %d\n", pid);
        return 1;
    }
    x.iconify(*window);
    return 0;
}

int repaint(int pid, int port, const std::string& token, const std::string& path, double timeoutMs) {
    XDisplay x;
    const auto window = x.ok() ? x.windowOf(pid) : std::nullopt;
    const auto before = window ? x.pixels(*window) : std::nullopt;
    if (!before) {
        std::fprintf(stderr, "repaint: no window of process %d\n", pid);
        return 1;
    }
    const double start = nowMs();
    const int fd = sendPost(port, token, path);
    if (fd < 0) {
        std::fprintf(stderr, "repaint: no daemon on port %d\n", port);
        return 1;
    }
    const double changed = x.waitForChange(*window, *before, start + timeoutMs);
    const int status = replyStatus(fd);
    if (status < 200 || status > 299) {
        std::fprintf(stderr, "repaint: %s answered %d\n", path.c_str(), status);
        return 1;
    }
    if (changed < 0)
        std::printf("unchanged\n");
    else
        std::printf("repainted %.1f\n", changed - start);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if (command == "launch" && argc >= 4)
        return launch(std::atof(argv[2]), argv + 3);
    if (command == "cpu" && argc >= 4)
        return cpu(std::atof(argv[2]), argc - 3, argv + 3);
    if (command == "iconify" && argc == 3)
        return iconify(std::atoi(argv[2]));
    if (command == "post" && argc == 5)
        return post(std::atoi(argv[2]), argv[3], argv[4]);
    if (command == "repaint" && argc == 7)
        return repaint(std::atoi(argv[2]), std::atoi(argv[3]), argv[4], argv[5], std::atof(argv[6]));
    return usage();
}
