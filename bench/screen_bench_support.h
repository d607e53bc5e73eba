// What the benchmarks that drive an editor on a pseudo-terminal share: stopping
// cleanly on Ctrl-C, a private folder for generated files, the generated text itself
// (every line starts with its number, so any row tells which line it shows), starting
// a program, waiting on the screen, the CPU time and peak memory of a process, the
// moment it ends, and qx's own Find and counted replace-all.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "qx_screen.h"

namespace qx::bench {

using Clock = std::chrono::steady_clock;
using test::Key;
using test::Pos;
using test::QxScreen;
namespace fs = std::filesystem;

inline double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Set by Ctrl-C and the like, so that a run stops through its normal exit and the
// generated files and editor processes go with it.
inline volatile std::sig_atomic_t g_interrupted = 0;

inline void stop_on_signals() {
    struct sigaction stop {};
    stop.sa_handler = [](int) { g_interrupted = 1; };  // no SA_RESTART: a waiting poll() returns at once
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &stop, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

// Pumps the program's output into the model until `done` holds; false on timeout, when
// the program has gone, or when the run is interrupted.
inline bool wait(QxScreen& t, const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return t.wait_for([&] { return g_interrupted || done(); }, limit) && !g_interrupted;
}

inline bool start(QxScreen& t, const std::string& program) {
    try {
        t.start(program);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), e.what());
        return false;
    }
}

// The process's user plus system CPU time, from /proc; the command name may hold
// blanks, so fields are counted from its closing parenthesis.
inline double cpu_seconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    std::istringstream fields(stat.substr(std::min(stat.rfind(')') + 1, stat.size())));
    std::string skip;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i < 14; ++i) fields >> skip;
    fields >> utime >> stime;
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Peak resident memory (VmHWM) in bytes, or -1.
inline double peak_memory(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("VmHWM:")) return std::atof(line.c_str() + 6) * 1024;
    return -1;
}

// The moment a process ends, seen through a pidfd by a thread of its own: the harness
// notices an exit only on its next poll slice, which would add up to 20 ms.
class ExitClock {
 public:
    ExitClock(pid_t pid, std::chrono::milliseconds limit) : fd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {
        if (fd_ < 0) return;
        thread_ = std::thread([this, limit] {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(limit.count())) > 0) ended_ = Clock::now();
        });
    }
    ~ExitClock() { join(); }
    ExitClock(const ExitClock&) = delete;
    ExitClock& operator=(const ExitClock&) = delete;
    // Waits for the watch to end (the process gone or the limit passed).
    std::optional<Clock::time_point> ended() {
        join();
        return ended_;
    }

 private:
    void join() {
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int fd_;
    std::thread thread_;
    std::optional<Clock::time_point> ended_;
};

// A private folder for the generated files, removed at the end.
struct WorkDir {
    std::string path;
    explicit WorkDir(const std::string& base, const std::string& name) {
        std::string tmpl = base + "/" + name + "-XXXXXX";
        if (mkdtemp(tmpl.data())) path = tmpl;
    }
    ~WorkDir() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;
    std::string file(const std::string& name) const { return path + "/" + name; }
};

// --- generated text ----------------------------------------------------------

// Lines begin with their 1-based number in seven digits.
inline std::string label(long n) {
    char text[24];
    std::snprintf(text, sizeof text, "%07ld", n);
    return text;
}

inline long label_of(const std::string& row) {
    if (row.size() < 7) return -1;
    long n = 0;
    for (int i = 0; i < 7; ++i) {
        if (row[i] < '0' || row[i] > '9') return -1;
        n = n * 10 + (row[i] - '0');
    }
    return n;
}

inline std::string trimmed(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

inline std::string group(long n) {
    std::string digits = std::to_string(n), out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

// The line's number and prose words up to `length` characters, without trailing blanks.
inline std::string make_line(long number, std::mt19937& rng, std::size_t length) {
    static const char* words[] = {"the", "editor", "keeps", "every", "line", "of", "text", "in",
                                  "memory", "as", "a", "linked", "list", "and", "writes", "it",
                                  "back", "through", "temporary", "file", "quickly", "(x)", "42;"};
    std::string line = label(number);
    while (line.size() < length) {
        line += ' ';
        line += words[rng() % (sizeof words / sizeof *words)];
    }
    line.resize(length);
    if (line.back() == ' ') line.back() = '.';
    return line;
}

// What a generated file holds: line lengths from `shortest` to `shortest + spread - 1`;
// with a `word`, about `per_mille` lines in a thousand hold it once, and `last_words`
// ends the last line alone.
struct FileShape {
    long lines = 0;
    std::size_t shortest = 16, spread = 90;
    unsigned seed = 4711;
    std::string word;
    unsigned per_mille = 0;
    std::string last_words;
};

// Writes the file; the number of lines holding `word`, or -1.
inline long write_numbered_file(const std::string& path, const FileShape& shape) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out) return -1;
    std::mt19937 rng(shape.seed);
    std::string chunk;
    long marked = 0;
    for (long i = 1; i <= shape.lines && !g_interrupted; ++i) {
        std::string line = make_line(i, rng, shape.shortest + rng() % shape.spread);
        if (i == shape.lines && !shape.last_words.empty()) {
            line = label(i) + " " + shape.last_words;
        } else if (!shape.word.empty() && rng() % 1000 < shape.per_mille) {
            // After a blank past the number, so that the word stands whole.
            std::size_t at = line.find(' ', 8 + rng() % (line.size() - 8));
            line.insert(at == std::string::npos ? line.size() : at, " " + shape.word);
            ++marked;
        }
        chunk += line;
        chunk += '\n';
        if (chunk.size() > (1u << 20)) {
            std::fwrite(chunk.data(), 1, chunk.size(), out);
            chunk.clear();
        }
    }
    std::fwrite(chunk.data(), 1, chunk.size(), out);
    return std::fclose(out) == 0 && !g_interrupted ? marked : -1;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// --- qx's Find and replace-all -----------------------------------------------

inline bool message_shows(const QxScreen& t, const std::string& text) { return t.row(0).find(text) != std::string::npos; }

// qx on an 80x24 screen, on a file whose lines are numbered: `line` on `row` with the
// cursor at its start, the bottom row filled and the help hint on row 0.
inline bool qx_first_screen(QxScreen& t, long line, int row, std::chrono::milliseconds limit) {
    return wait(t, [&] {
        return t.cursor() == Pos{row, 0} && label_of(t.row(row)) == line &&
               label_of(t.row(23)) == line + (23 - row) && message_shows(t, "ESC-h for Help");
    }, limit);
}

// Find of `unique` (on the last line of the file), the Enter timed to the screen that
// shows it with the cursor on it; `seconds` and the editor's CPU time of that.
inline bool qx_find(QxScreen& t, const std::string& unique, std::chrono::milliseconds limit, double& seconds,
                    double* cpu = nullptr) {
    t.esc("f");
    if (!wait(t, [&] { return message_shows(t, "Find (F10 to clear): "); }, limit)) return false;
    t.type(unique);
    if (!wait(t, [&] { return message_shows(t, unique); }, limit)) return false;
    double cpu0 = cpu_seconds(t.pid());
    auto start = Clock::now();
    t.key(Key::Enter);
    if (!wait(t, [&] {
            Pos at = t.cursor();
            return at.row > 1 && t.row(at.row).find(unique) == static_cast<std::size_t>(at.col);
        }, limit))
        return false;
    seconds = seconds_since(start);
    if (cpu) *cpu = cpu_seconds(t.pid()) - cpu0;
    return true;
}

struct QxReplaceTimes {
    double all = 0, counted = 0, cpu = 0;  // counted: the first count "*" alone
};

// Replaces every `word` by `shorter`: the count "*" (32000 repetitions), then Again until
// "No more occurances: "; timed from the Enter of the "With: " prompt to the last message.
inline bool qx_replace_all(QxScreen& t, const std::string& word, const std::string& shorter, long occurrences,
                           std::chrono::milliseconds limit, QxReplaceTimes& times) {
    constexpr long REPETITIONS = 32000;
    t.esc("*r");
    if (!wait(t, [&] { return message_shows(t, "Replace (F10 to clear): "); }, limit)) return false;
    t.key(Key::F10);
    t.type(word);
    t.key(Key::Enter);
    if (!wait(t, [&] { return t.row(2).rfind("With: ", 0) == 0; }, limit)) return false;
    t.type(shorter);
    if (!wait(t, [&] { return t.row(2).rfind("With: " + shorter, 0) == 0; }, limit)) return false;
    double cpu0 = cpu_seconds(t.pid());
    auto start = Clock::now();
    t.key(Key::Enter);
    long total = 0;
    for (bool again = false;; again = true) {
        if (again) t.key(Key::F1);
        long step = std::min(REPETITIONS, occurrences - total);
        if (again && step < REPETITIONS) {
            if (!wait(t, [&] { return message_shows(t, "No more occurances: " + word); }, limit)) return false;
            break;
        }
        total += step;
        std::string made = std::to_string(total) + " replacement(s) made";
        if (!wait(t, [&] { return message_shows(t, made); }, limit)) return false;
        if (!again) times.counted = seconds_since(start);
        if (step < REPETITIONS) break;
    }
    times.all = seconds_since(start);
    times.cpu = cpu_seconds(t.pid()) - cpu0;
    return true;
}

}  // namespace qx::bench
