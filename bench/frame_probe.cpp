// Starts a program on an X server and measures it from outside, the program unchanged:
// - the time from the start of its process to the first shown frame: the X server's Damage extension
//   reports every drawing into a window, and the first drawing into the program's window (found by its
//   title) is the first frame on the screen; the time the window was mapped is given beside it;
// - its resident memory (VmRSS) at a given time after the start;
// - the processor time it used between two given times: utime + stime of the whole process (in
//   10 ms clock ticks), and the on-CPU time of every thread from the scheduler (schedstat, in ns).
// Then it ends the program with SIGTERM.
//
//     frame_probe --title TITLE [--rss-at MS] [--cpu-from MS --cpu-to MS] -- PROGRAM [ARGS...]
//
// Prints one line: frame_ms=... mapped_ms=... rss_kb=... cpu_ms=... run_ms=... cpu_span_ms=...

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options
{
    std::string strTitle;
    long nRssAtMs = 2000;
    long nCpuFromMs = -1;
    long nCpuToMs = -1;
    char** ppCommand = nullptr;
};

// A program that never shows its window within this time has failed.
constexpr long kFrameTimeoutMs = 20000;

// The program being measured, while it runs: a failed measurement does not leave it behind.
pid_t g_child = 0;

[[noreturn]] void Fail(const std::string& message)
{
    std::fprintf(stderr, "frame_probe: %s\n", message.c_str());
    if (g_child > 0) {
        kill(g_child, SIGKILL);
        waitpid(g_child, nullptr, 0);
    }
    std::exit(1);
}

std::optional<Options> ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool bHasValue = i + 1 < argc;
        if (arg == "--") {
            if (i + 1 >= argc)
                return std::nullopt;
            options.ppCommand = argv + i + 1;
            break;
        }
        if (!bHasValue)
            return std::nullopt;
        if (arg == "--title")
            options.strTitle = argv[++i];
        else if (arg == "--rss-at")
            options.nRssAtMs = std::strtol(argv[++i], nullptr, 10);
        else if (arg == "--cpu-from")
            options.nCpuFromMs = std::strtol(argv[++i], nullptr, 10);
        else if (arg == "--cpu-to")
            options.nCpuToMs = std::strtol(argv[++i], nullptr, 10);
        else
            return std::nullopt;
    }
    if (options.strTitle.empty() || !options.ppCommand ||
        (options.nCpuFromMs >= 0) != (options.nCpuToMs >= 0) || options.nCpuToMs < options.nCpuFromMs)
        return std::nullopt;
    return options;
}

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// VmRSS in kB, from /proc/<pid>/status.
long ResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    Fail("no VmRSS for process " + std::to_string(pid));
}

// utime + stime of every thread, in milliseconds, from /proc/<pid>/stat.
double CpuMs(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name may hold blanks and parentheses: the fields start after the last ')'.
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        Fail("cannot read /proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(text.substr(close + 2));
    std::vector<std::string> values;
    std::string value;
    while (fields >> value)
        values.push_back(value);
    // Fields 14 and 15 of the file; the list starts at field 3 (state).
    if (values.size() < 13)
        Fail("short /proc/" + std::to_string(pid) + "/stat");
    const double ticks = std::strtod(values[11].c_str(), nullptr) + std::strtod(values[12].c_str(), nullptr);
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// On-CPU nanoseconds of each thread, from /proc/<pid>/task/<tid>/schedstat.
std::map<std::string, double> ThreadRunNs(pid_t pid)
{
    std::map<std::string, double> threads;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    struct CloseDir
    {
        void operator()(DIR* dir) const { closedir(dir); }
    };
    std::unique_ptr<DIR, CloseDir> dir(opendir(tasks.c_str()));
    if (!dir)
        Fail("cannot list " + tasks);
    while (const dirent* entry = readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream schedstat(tasks + "/" + entry->d_name + "/schedstat");
        double ns = 0;
        if (schedstat >> ns)
            threads[entry->d_name] = ns;
    }
    return threads;
}

// The on-CPU time between two samples in ms; a thread that started in between counts from zero.
double RunMsBetween(const std::map<std::string, double>& from, const std::map<std::string, double>& to)
{
    double ns = 0;
    for (const auto& [tid, value] : to) {
        const auto before = from.find(tid);
        ns += value - (before == from.end() ? 0.0 : before->second);
    }
    return ns / 1e6;
}

class CXConnection
{
public:
    CXConnection()
    {
        int screenNumber = 0;
        m_pConn = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(m_pConn))
            Fail("cannot connect to the X server (DISPLAY)");
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_pConn));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&screens);
        m_root = screens.data->root;

        const xcb_query_extension_reply_t* damage = xcb_get_extension_data(m_pConn, &xcb_damage_id);
        if (!damage || !damage->present)
            Fail("the X server has no Damage extension");
        m_nDamageEvent = damage->first_event + XCB_DAMAGE_NOTIFY;
        std::free(xcb_damage_query_version_reply(m_pConn, xcb_damage_query_version(m_pConn, 1, 1), nullptr));

        // Every top-level window created or mapped from now on is reported to us.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_pConn, m_root, XCB_CW_EVENT_MASK, &mask);
        Sync();
    }
    ~CXConnection() { xcb_disconnect(m_pConn); }

    CXConnection(const CXConnection&) = delete;
    CXConnection& operator=(const CXConnection&) = delete;

    xcb_connection_t* Conn() const { return m_pConn; }
    xcb_window_t Root() const { return m_root; }
    uint8_t DamageEvent() const { return m_nDamageEvent; }

    // Returns once the server has carried out every request sent so far.
    void Sync() { std::free(xcb_get_input_focus_reply(m_pConn, xcb_get_input_focus(m_pConn), nullptr)); }

    // Reports drawing into `window` from now on. An input-only window cannot report: the error that
    // follows is ignored.
    void WatchDrawing(xcb_window_t window)
    {
        xcb_damage_create(m_pConn, xcb_generate_id(m_pConn), window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        xcb_flush(m_pConn);
    }

    // The window's title: _NET_WM_NAME, else WM_NAME.
    std::string Title(xcb_window_t window)
    {
        for (const char* name : {"_NET_WM_NAME", "WM_NAME"}) {
            const xcb_atom_t atom = Atom(name);
            std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
                xcb_get_property_reply(
                    m_pConn, xcb_get_property(m_pConn, 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                    nullptr),
                &std::free);
            if (reply && xcb_get_property_value_length(reply.get()) > 0)
                return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                   static_cast<size_t>(xcb_get_property_value_length(reply.get())));
        }
        return {};
    }

private:
    xcb_atom_t Atom(const char* name)
    {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(m_pConn,
                                  xcb_intern_atom(m_pConn, 0, static_cast<uint16_t>(std::strlen(name)), name),
                                  nullptr),
            &std::free);
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    xcb_connection_t* m_pConn = nullptr;
    xcb_window_t m_root = 0;
    uint8_t m_nDamageEvent = 0;
};

pid_t Start(char** ppCommand)
{
    const pid_t pid = fork();
    if (pid < 0)
        Fail(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        execvp(ppCommand[0], ppCommand);
        std::fprintf(stderr, "frame_probe: cannot run %s: %s\n", ppCommand[0], std::strerror(errno));
        _exit(127);
    }
    return pid;
}

void FailIfEnded(pid_t pid)
{
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
        g_child = 0;
        Fail("the program ended early, status " + std::to_string(status));
    }
}

struct FirstFrame
{
    double dFrameMs = 0;
    double dMappedMs = 0;
};

FirstFrame WaitForFirstFrame(CXConnection& x, pid_t pid, const std::string& strTitle, Clock::time_point start)
{
    std::map<xcb_window_t, double> mappedAt;
    pollfd fd{xcb_get_file_descriptor(x.Conn()), POLLIN, 0};
    while (MsSince(start) < kFrameTimeoutMs) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(x.Conn())) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
            const uint8_t type = event->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY) {
                const auto* created = reinterpret_cast<xcb_create_notify_event_t*>(event);
                if (created->parent == x.Root())
                    x.WatchDrawing(created->window);
            } else if (type == XCB_MAP_NOTIFY) {
                const auto* mapped = reinterpret_cast<xcb_map_notify_event_t*>(event);
                mappedAt.try_emplace(mapped->window, MsSince(start));
            } else if (type == x.DamageEvent()) {
                const double now = MsSince(start);
                const auto* damage = reinterpret_cast<xcb_damage_notify_event_t*>(event);
                const auto mapped = mappedAt.find(damage->drawable);
                if (mapped != mappedAt.end() && x.Title(damage->drawable) == strTitle)
                    return {now, mapped->second};
            }
        }
        if (xcb_connection_has_error(x.Conn()))
            Fail("lost the X server");
        FailIfEnded(pid);
        poll(&fd, 1, 5);
    }
    Fail("no frame of \"" + strTitle + "\" within " + std::to_string(kFrameTimeoutMs) + " ms");
}

void SleepUntil(Clock::time_point start, long ms)
{
    std::this_thread::sleep_until(start + std::chrono::milliseconds(ms));
}

void End(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: %s --title TITLE [--rss-at MS] [--cpu-from MS --cpu-to MS] -- PROGRAM "
                     "[ARGS...]\n",
                     argv[0]);
        return 2;
    }
    CXConnection x;
    const Clock::time_point start = Clock::now();
    const pid_t pid = Start(options->ppCommand);
    g_child = pid;
    const FirstFrame frame = WaitForFirstFrame(x, pid, options->strTitle, start);

    // The samples in time order.
    struct Sample
    {
        long nAtMs;
        enum Kind
        {
            Rss,
            CpuFrom,
            CpuTo
        } kind;
    };
    std::vector<Sample> samples = {{options->nRssAtMs, Sample::Rss}};
    if (options->nCpuFromMs >= 0) {
        samples.push_back({options->nCpuFromMs, Sample::CpuFrom});
        samples.push_back({options->nCpuToMs, Sample::CpuTo});
    }
    std::stable_sort(samples.begin(), samples.end(),
                     [](const Sample& a, const Sample& b) { return a.nAtMs < b.nAtMs; });
    long nRssKb = 0;
    double dCpuFrom = 0, dCpuTo = 0;
    std::map<std::string, double> runFrom, runTo;
    for (const Sample& sample : samples) {
        SleepUntil(start, sample.nAtMs);
        FailIfEnded(pid);
        if (sample.kind == Sample::Rss)
            nRssKb = ResidentKb(pid);
        else if (sample.kind == Sample::CpuFrom) {
            dCpuFrom = CpuMs(pid);
            runFrom = ThreadRunNs(pid);
        } else {
            dCpuTo = CpuMs(pid);
            runTo = ThreadRunNs(pid);
        }
    }
    End(pid);
    g_child = 0;

    std::printf("frame_ms=%.1f mapped_ms=%.1f rss_kb=%ld cpu_ms=%.0f run_ms=%.1f cpu_span_ms=%ld\n",
                frame.dFrameMs, frame.dMappedMs, nRssKb, dCpuTo - dCpuFrom, RunMsBetween(runFrom, runTo),
                options->nCpuFromMs >= 0 ? options->nCpuToMs - options->nCpuFromMs : 0);
    return 0;
}
