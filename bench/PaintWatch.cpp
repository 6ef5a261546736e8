// Starts a program and reports how long it took until its first top-level
// window was mapped and until something was first drawn into it, as seen by
// the X server (the Damage extension). The program keeps running; its process
// id is reported so that the caller can measure and end it.
//
// Usage: quarnel_paint_watch [--user UID] [--env NAME=VALUE]... [--output FILE]
//                            -- PROGRAM [ARG]...
// The program's output goes to FILE (default: nowhere), so that it does not
// hold the caller's pipes open.
// Output: one line "pid=<n> window=<id> mapped_us=<n> painted_us=<n> cpu_us=<n> damage=<w>x<h>",
// cpu_us being the CPU time the program had used by its first paint (less
// disturbed by other load on the machine than the wall-clock times).
//
// Meant for a display of its own: every new top-level window is taken to be
// the program's.

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/types.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kTimeoutMs = 30'000;

struct Options {
    int user = -1;
    std::vector<std::string> environment;
    std::string output = "/dev/null";
    std::vector<char*> command;
};

bool parse(int argc, char** argv, Options& options) {
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--user") == 0 && i + 1 < argc) {
            options.user = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--env") == 0 && i + 1 < argc) {
            options.environment.emplace_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--output") == 0 && i + 1 < argc) {
            options.output = argv[++i];
        } else {
            return false;
        }
    }
    for (++i; i < argc; ++i) {
        options.command.push_back(argv[i]);
    }
    options.command.push_back(nullptr);
    return options.command.size() > 1;
}

std::int64_t monotonicUs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

std::int64_t cpuUs(pid_t process) {
    clockid_t clock{};
    timespec used{};
    if (clock_getcpuclockid(process, &clock) != 0 || clock_gettime(clock, &used) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(used.tv_sec) * 1'000'000 + used.tv_nsec / 1000;
}

// In the child: become the given user, then run the program.
[[noreturn]] void runProgram(const Options& options) {
    if (options.user >= 0) {
        const auto id = static_cast<uid_t>(options.user);
        if (setgroups(0, nullptr) != 0 || setgid(id) != 0 || setuid(id) != 0) {
            std::perror("quarnel_paint_watch: cannot change user");
            _exit(127);
        }
    }
    const int output = open(options.output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (output < 0 || dup2(output, STDOUT_FILENO) < 0 || dup2(output, STDERR_FILENO) < 0) {
        std::perror("quarnel_paint_watch: cannot open the output file");
        _exit(127);
    }
    close(output);
    for (const std::string& setting : options.environment) {
        const auto equals = setting.find('=');
        setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
    }
    execv(options.command[0], options.command.data());
    std::perror("quarnel_paint_watch: cannot run the program");
    _exit(127);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(
            stderr,
            "usage: %s [--user UID] [--env NAME=VALUE]... [--output FILE] -- PROGRAM [ARG]...\n",
            argv[0]);
        return 2;
    }

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "quarnel_paint_watch: no X display\n");
        return 1;
    }
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection, &xcb_damage_id);
    if (damage == nullptr || damage->present == 0) {
        std::fprintf(stderr, "quarnel_paint_watch: the X server has no Damage extension\n");
        return 1;
    }
    free(xcb_damage_query_version_reply(
        connection,
        xcb_damage_query_version(connection, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));

    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &rootEvents);
    xcb_flush(connection);

    const std::int64_t start = monotonicUs();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("quarnel_paint_watch: fork");
        return 1;
    }
    if (child == 0) {
        runProgram(options);
    }

    std::set<xcb_window_t> mapped;
    std::int64_t mappedAt = -1;
    pollfd connectionFd{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (true) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (event == nullptr) {
            if (xcb_connection_has_error(connection) != 0) {
                std::fprintf(stderr, "quarnel_paint_watch: lost the X display\n");
                return 1;
            }
            const int left = kTimeoutMs - static_cast<int>((monotonicUs() - start) / 1000);
            if (left <= 0 || poll(&connectionFd, 1, left) == 0) {
                std::fprintf(stderr, "quarnel_paint_watch: no window was painted in time\n");
                return 1;
            }
            continue;
        }
        const std::uint8_t type = event->response_type & 0x7F;
        if (type == XCB_CREATE_NOTIFY) {
            const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
            xcb_damage_create(connection, xcb_generate_id(connection), created->window,
                              XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
            xcb_flush(connection);
        } else if (type == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
            mapped.insert(map->window);
            if (mappedAt < 0) {
                mappedAt = monotonicUs() - start;
            }
        } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY) {
            const auto* drawn = reinterpret_cast<xcb_damage_notify_event_t*>(event);
            if (mapped.count(drawn->drawable) != 0) {
                const std::int64_t paintedAt = monotonicUs() - start;
                std::printf(
                    "pid=%d window=0x%x mapped_us=%lld painted_us=%lld cpu_us=%lld "
                    "damage=%ux%u\n",
                    static_cast<int>(child), drawn->drawable, static_cast<long long>(mappedAt),
                    static_cast<long long>(paintedAt), static_cast<long long>(cpuUs(child)),
                    drawn->area.width, drawn->area.height);
                std::fflush(stdout);
                free(event);
                break;
            }
        }
        free(event);
    }
    xcb_disconnect(connection);
    return 0;
}
