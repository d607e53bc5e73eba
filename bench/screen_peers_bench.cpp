// qx beside the peer editors vim, nano, ne and mg (Debian packages), each on an 80x24
// pseudo-terminal, interleaved in one run: a fresh process for every run, three rounds,
// the median and the range of each figure, and its ratio to a floor:
//  - first screen of a 5,000,000-line (~320 MB) and a 1,000,000-line (~64 MB) file,
//    process start to the screen that shows the file's first lines (floor: `wc -l`);
//  - peak resident memory (VmHWM) once the 1,000,000-line file shows (floor: its size);
//  - quitting after the 5,000,000-line file, the quit key to the process's end (floor:
//    a key to the end of a shell's `head -c 1` on the same kind of terminal);
//  - bytes written to the terminal per character typed at the start of a 60-character
//    line (floor: insert-character and the character, 4 bytes) and per line scrolled
//    with Down on the bottom row (floor: line feed, the new row's text, carriage return);
//  - Find of a string on the last line of the 1,000,000-line file from its top, and
//    replacing its ~110,000 occurrences of one word by a shorter one, key to final
//    screen (floor: `wc -l`).
// Then qx alone at 1 to 5 million lines: first screen, peak memory and quit time per
// million lines, to show whether they grow linearly.
// Every step waits on what the screen shows; each wait gives up after LIMIT, so that a
// program that hangs costs one figure, not the run.
//
//   screen_peers_bench [path of qx] [directory for the generated files]
#include <fcntl.h>
#include <spawn.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "screen_bench_support.h"

extern char** environ;

namespace qx {
namespace {

using namespace bench;

constexpr int COLS = 80, ROWS = 24;
constexpr int ROUNDS = 3;
constexpr std::chrono::milliseconds LIMIT{120'000};   // any one wait
constexpr long MILLION = 1'000'000, BIG = 5 * MILLION, MID = MILLION;
constexpr const char* WORD = "marker";
constexpr const char* SHORTER = "mk";
constexpr const char* UNIQUE = "zanzibar";
constexpr const char* LAST_WORDS = "the end of the generated text: zanzibar";
constexpr int TYPED = 15;          // characters measured, after one that marks the file modified
constexpr int TYPING_LINE = 60;    // length of the line typed into
constexpr int SCROLLS = 100;       // Down keys on the bottom row
constexpr int KEYS_FILE_LINES = 2000;

// --- the editors ---------------------------------------------------------------

// A key sequence and what shows once the program has taken it.
struct Step {
    enum Where { CursorRow, Anywhere, Top } where;
    std::string keys;
    std::string shows;   // on the cursor's row, or anywhere; Top: line 1 on the first text row, the cursor on it
};

struct Editor {
    std::string name, package, program;
    std::vector<std::string> flags;
    int top = 0, bottom = 0;   // the rows that show text on 80x24
    std::vector<Step> before_typing;
    std::vector<Step> before_quit;
    std::string quit_key;
    std::vector<Step> before_find;   // Enter then searches
    std::function<std::vector<Step>()> before_replace;
    std::string replace_key;
    std::function<std::string(long)> replaced;   // the final message for n replacements
    bool is_qx = false;
};

std::vector<Editor> editors(const std::string& qx_path) {
    std::vector<Editor> list;
    Editor qx{.name = "qx", .package = "", .program = qx_path, .flags = {}, .top = 2, .bottom = 23,
              .before_typing = {}, .before_quit = {{Step::Anywhere, "\x1bq", "Discard/Quit"}}, .quit_key = "q",
              .before_find = {}, .before_replace = {}, .replace_key = "", .replaced = {}, .is_qx = true};
    list.push_back(qx);
    // Vim's own defaults: no vimrc, no defaults.vim, no plugins, no viminfo; 'nocompatible'
    // as when a vimrc exists. The swap file stays on, as by default.
    Editor vim{.name = "vim", .package = "vim", .program = "vim", .flags = {"-u", "NONE", "-i", "NONE", "-N"},
               .top = 0, .bottom = 22,
               .before_typing = {{Step::Anywhere, "i", "-- INSERT --"}},
               .before_quit = {{Step::CursorRow, ":q", ":q"}}, .quit_key = "\r",
               .before_find = {{Step::CursorRow, "/", "/"}, {Step::CursorRow, UNIQUE, std::string("/") + UNIQUE}},
               .before_replace = [] {
                   std::string cmd = std::string(":%s/") + WORD + "/" + SHORTER + "/g";
                   return std::vector<Step>{{Step::CursorRow, cmd, cmd}};
               },
               .replace_key = "\r",
               .replaced = [](long n) { return std::to_string(n) + " substitutions on " + std::to_string(n) + " lines"; },
               .is_qx = false};
    list.push_back(vim);
    // -I: no nanorc files. Replace (^\) goes round the whole file from the cursor.
    Editor nano{.name = "nano", .package = "nano", .program = "nano", .flags = {"-I"}, .top = 1, .bottom = 20,
                .before_typing = {}, .before_quit = {}, .quit_key = "\x18",
                .before_find = {{Step::CursorRow, "\x17", "Search"}, {Step::CursorRow, UNIQUE, UNIQUE}},
                .before_replace = [] {
                    return std::vector<Step>{{Step::CursorRow, "\x1c", "Search (to replace)"},
                                             {Step::CursorRow, std::string(WORD) + "\r", "Replace with:"},
                                             {Step::CursorRow, std::string(SHORTER) + "\r", "Replace this instance?"}};
                },
                .replace_key = "A",
                .replaced = [](long n) { return "Replaced " + std::to_string(n) + " occurrences"; },
                .is_qx = false};
    list.push_back(nano);
    // ReplaceAll replaces the last find string from the cursor to the end: from the top,
    // Find the word, then ReplaceAll on the command line (^K).
    Editor ne{.name = "ne", .package = "ne", .program = "ne", .flags = {"--no-config"}, .top = 0, .bottom = 22,
              .before_typing = {}, .before_quit = {}, .quit_key = "\x11",
              .before_find = {{Step::CursorRow, "\x06", "Find"}, {Step::CursorRow, UNIQUE, UNIQUE}},
              .before_replace = [] {
                  return std::vector<Step>{{Step::CursorRow, "\x0b", "Command:"},
                                           {Step::CursorRow, "MoveSOF\r", ""},
                                           {Step::Top, "", ""},
                                           {Step::CursorRow, "\x06", "Find"},
                                           {Step::CursorRow, std::string(WORD) + "\r", WORD},
                                           {Step::CursorRow, "\x0b", "Command:"},
                                           {Step::CursorRow, std::string("ReplaceAll ") + SHORTER,
                                            std::string("ReplaceAll ") + SHORTER}};
              },
              .replace_key = "\r",
              .replaced = [](long n) { return std::to_string(n) + " replacements made"; },
              .is_qx = false};
    list.push_back(ne);
    // No ~/.mg (the session's home is empty). query-replace works from the cursor to
    // the end: from the top, M-% and "!" for all the rest.
    Editor mg{.name = "mg", .package = "mg", .program = "mg", .flags = {}, .top = 0, .bottom = 21,
              .before_typing = {}, .before_quit = {}, .quit_key = "\x18\x03",
              .before_find = {{Step::CursorRow, "\x1bs", "Search:"},
                              {Step::CursorRow, UNIQUE, std::string("Search: ") + UNIQUE}},
              .before_replace = [] {
                  return std::vector<Step>{{Step::Top, "\x1b<", ""},
                                           {Step::CursorRow, "\x1b%", "Query replace"},
                                           {Step::CursorRow, std::string(WORD) + "\r",
                                            std::string("Query replace ") + WORD + " with:"},
                                           // the cursor is on the first match by then
                                           {Step::Anywhere, std::string(SHORTER) + "\r",
                                            std::string("Query replacing ") + WORD + " with " + SHORTER}};
              },
              .replace_key = "!",
              .replaced = [](long n) { return "Replaced " + std::to_string(n) + " occurrences"; },
              .is_qx = false};
    list.push_back(mg);
    return list;
}

std::string in_path(const std::string& program) {
    if (program.find('/') != std::string::npos) return access(program.c_str(), X_OK) == 0 ? program : "";
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t from = 0; from <= dirs.size();) {
        std::size_t to = std::min(dirs.find(':', from), dirs.size());
        std::string candidate = dirs.substr(from, to - from) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        from = to + 1;
    }
    return "";
}

std::string command_output(const std::string& command) {
    std::string out;
    if (std::FILE* p = ::popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        ::pclose(p);
    }
    return trimmed(out.substr(0, out.find('\n')));
}

// --- one run of a program ------------------------------------------------------

struct Session {
    const Editor& e;
    QxScreen t;
    bool over_limit = false;   // the last failure was a wait that ran out of time
    Session(const Editor& editor, const std::string& file)
        : e(editor), t([&] {
              std::vector<std::string> args = editor.flags;
              args.push_back(file);
              return args;
          }(), COLS, ROWS) {}
};

bool fail(Session& s, const std::string& what) {
    s.over_limit = s.t.running() && !g_interrupted;
    if (!g_interrupted) std::fprintf(stderr, "\n%s: %s\n%s", s.e.name.c_str(), what.c_str(), s.t.dump().c_str());
    return false;
}

// Line 1 at the top, the cursor on it, and the rows below showing the following lines
// in order; rows that are not a line's start (a long line wrapped) must not be blank.
bool first_screen_shows(const QxScreen& t, const Editor& e) {
    if (t.cursor() != Pos{e.top, 0}) return false;
    long expect = 1;
    for (int r = e.top; r <= e.bottom; ++r) {
        std::string row = t.row(r);
        long n = label_of(row);
        if (n == expect) ++expect;
        else if (n != -1 || trimmed(row).empty()) return false;
    }
    return expect - 1 >= (e.bottom - e.top + 1) / 2;
}

bool step(Session& s, const Step& st) {
    QxScreen& t = s.t;
    t.send(st.keys);
    bool ok = wait(t, [&] {
        switch (st.where) {
        case Step::CursorRow: return t.row(t.cursor().row).find(st.shows) != std::string::npos;
        case Step::Anywhere: return t.find(st.shows).has_value();
        case Step::Top: return t.cursor() == Pos{s.e.top, 0} && label_of(t.row(s.e.top)) == 1;
        }
        return false;
    }, LIMIT);
    return ok || fail(s, "after keys " + std::to_string(st.keys.size()) + " long, waiting for \"" + st.shows + "\"");
}

bool steps(Session& s, const std::vector<Step>& list) {
    for (const Step& st : list)
        if (!step(s, st)) return false;
    return true;
}

// Starts the program and waits for its first screen; the seconds that took.
bool open(Session& s, double& seconds) {
    auto t0 = Clock::now();
    if (!start(s.t, s.e.program)) return false;
    if (!wait(s.t, [&] { return first_screen_shows(s.t, s.e); }, LIMIT)) return fail(s, "no first screen");
    seconds = seconds_since(t0);
    return true;
}

// The quit keys, timed from the last of them to the end of the process.
bool quit(Session& s, double& seconds) {
    if (!steps(s, s.e.before_quit)) return false;
    ExitClock clock(s.t.pid(), LIMIT);
    auto t0 = Clock::now();
    s.t.send(s.e.quit_key);
    if (!wait(s.t, [&] { return !s.t.running(); }, LIMIT)) {
        fail(s, "did not end after the quit keys");
        ::kill(-s.t.pid(), SIGKILL);   // ends the clock's watch too
        return false;
    }
    auto ended = clock.ended();
    if (!ended) return fail(s, "its end was not seen");
    seconds = std::chrono::duration<double>(*ended - t0).count();
    return true;
}

// Find of the last line's string from the top: Enter to the screen with the cursor on it.
bool find_last_line(Session& s, double& seconds) {
    if (s.e.is_qx) return qx_find(s.t, UNIQUE, LIMIT, seconds) || fail(s, "Find did not reach the last line");
    if (!steps(s, s.e.before_find)) return false;
    QxScreen& t = s.t;
    auto t0 = Clock::now();
    t.send("\r");
    if (!wait(t, [&] {
            Pos at = t.cursor();
            if (at.row < s.e.top || at.row > s.e.bottom) return false;
            std::size_t col = t.row(at.row).find(UNIQUE);
            return col != std::string::npos && (at.col == static_cast<int>(col) ||
                                                at.col == static_cast<int>(col + std::string(UNIQUE).size()));
        }, LIMIT))
        return fail(s, "Find did not reach the last line");
    seconds = seconds_since(t0);
    return true;
}

bool replace_all(Session& s, long occurrences, double& seconds) {
    if (s.e.is_qx) {
        QxReplaceTimes times;
        if (!qx_replace_all(s.t, WORD, SHORTER, occurrences, LIMIT, times)) return fail(s, "replace-all did not end");
        seconds = times.all;
        return true;
    }
    if (!steps(s, s.e.before_replace())) return false;
    std::string done = s.e.replaced(occurrences);
    auto t0 = Clock::now();
    s.t.send(s.e.replace_key);
    if (!wait(s.t, [&] { return s.t.find(done).has_value(); }, LIMIT)) return fail(s, "no \"" + done + "\"");
    seconds = seconds_since(t0);
    return true;
}

// --- the figures ---------------------------------------------------------------

enum Task { FIRST_BIG, FIRST_MID, MEMORY_MID, QUIT_BIG, TYPING, SCROLLING, FIND, REPLACE, TASKS };

const char* const TASK_NAMES[TASKS] = {
    "1. first screen, 5,000,000 lines", "2. first screen, 1,000,000 lines", "3. peak memory, 1,000,000 lines",
    "4. quit after 5,000,000 lines",    "5. bytes per character typed",     "6. bytes per line scrolled",
    "7. Find on the last line",         "8. replace-all",
};

struct Figures {
    std::map<std::string, std::vector<double>> by_editor[TASKS];
    std::vector<double> floor[TASKS];
    std::map<std::string, int> over_limit[TASKS];   // runs whose wait ran out of time
    std::map<long, std::vector<double>> slope_first, slope_memory, slope_quit;
};

struct Files {
    std::string big, mid, keys;
    std::map<long, std::string> by_millions;
    long occurrences = 0;
    double scroll_floor = 0;
};

void remove_leftovers(const std::string& dir) {
    // A killed vim leaves its swap file beside the file, which the next vim would ask about.
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.path().filename().string().starts_with(".")) fs::remove(entry.path(), ec);
}

// Keeps a run's figure, or counts the run as over the limit when its wait ran out;
// `value` is read only after `ok` has been worked out.
bool keep(Figures& out, Task k, const Session& s, bool ok, const double& value) {
    if (ok) out.by_editor[k][s.e.name].push_back(value);
    else if (s.over_limit) ++out.over_limit[k][s.e.name];
    return ok;
}

void run_big(const Editor& e, const Files& f, Figures& out) {
    Session s(e, f.big);
    double first = 0, gone = 0;
    if (keep(out, FIRST_BIG, s, open(s, first), first)) keep(out, QUIT_BIG, s, quit(s, gone), gone);
}

void run_mid(const Editor& e, const Files& f, Figures& out) {
    Session s(e, f.mid);
    double first = 0, found = 0, replaced = 0;
    if (!keep(out, FIRST_MID, s, open(s, first), first)) return;
    out.by_editor[MEMORY_MID][e.name].push_back(peak_memory(s.t.pid()));
    if (!keep(out, FIND, s, find_last_line(s, found), found)) return;
    // A replace-all that ran out of time once would again: counted so, not run again.
    if (out.over_limit[REPLACE].contains(e.name)) ++out.over_limit[REPLACE][e.name];
    else keep(out, REPLACE, s, replace_all(s, f.occurrences, replaced), replaced);
}

// Characters typed at the start of line 1 (60 characters): bytes per character, the
// output after the last key included.
void run_typing(const Editor& e, const Files& f, Figures& out) {
    Session s(e, f.keys);
    QxScreen& t = s.t;
    double first = 0;
    if (!open(s, first) || !steps(s, e.before_typing)) return;
    const std::string line = trimmed(t.row(e.top));
    std::string typed;
    auto type = [&](int i) {
        char c = static_cast<char>('a' + i % 26);
        typed += c;
        t.send(std::string(1, c));
        std::string want = trimmed((typed + line).substr(0, COLS));
        Pos at{e.top, static_cast<int>(typed.size())};
        return wait(t, [&] { return t.cursor() == at && trimmed(t.row(e.top)) == want; }, LIMIT) ||
               fail(s, "typed character not shown");
    };
    if (!type(0)) return;
    t.settle(std::chrono::milliseconds(300));   // start-up exchanges with the terminal, if any
    std::uint64_t before = t.bytes_received();
    for (int i = 1; i <= TYPED; ++i)
        if (!type(i)) return;
    t.settle(std::chrono::milliseconds(300));
    out.by_editor[TYPING][e.name].push_back(static_cast<double>(t.bytes_received() - before) / TYPED);
}

// Down to the bottom row, then Down SCROLLS times: bytes per line that came into view.
void run_scrolling(const Editor& e, const Files& f, Figures& out) {
    Session s(e, f.keys);
    QxScreen& t = s.t;
    double first = 0;
    if (!open(s, first)) return;
    long line = 1;
    auto down = [&] {
        ++line;
        t.key(Key::Down);
        return wait(t, [&] { return t.cursor().col == 0 && label_of(t.row(t.cursor().row)) == line; }, LIMIT) ||
               fail(s, "Down did not reach line " + std::to_string(line));
    };
    while (t.cursor().row < e.bottom)
        if (!down()) return;
    t.settle(std::chrono::milliseconds(300));
    long top = label_of(t.row(e.top));
    std::uint64_t before = t.bytes_received();
    for (int i = 0; i < SCROLLS; ++i)
        if (!down()) return;
    t.settle(std::chrono::milliseconds(300));
    long scrolled = label_of(t.row(e.top)) - top;
    if (scrolled <= 0) {
        fail(s, "the text did not scroll");
        return;
    }
    out.by_editor[SCROLLING][e.name].push_back(static_cast<double>(t.bytes_received() - before) /
                                               static_cast<double>(scrolled));
}

// qx alone on `lines`: first screen, peak memory, quit.
void run_slope(const Editor& qx, long lines, const std::string& file, Figures& out) {
    Session s(qx, file);
    double first = 0, gone = 0;
    if (!open(s, first)) return;
    out.slope_first[lines].push_back(first);
    out.slope_memory[lines].push_back(peak_memory(s.t.pid()));
    if (quit(s, gone)) out.slope_quit[lines].push_back(gone);
}

double time_wc(const std::string& file) {
    auto t0 = Clock::now();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"wc", "-l", file.c_str(), nullptr};
    pid_t pid = -1;
    int status = 0;
    bool ok = posix_spawnp(&pid, "wc", &actions, nullptr, const_cast<char**>(argv), environ) == 0 &&
              ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return ok ? seconds_since(t0) : -1;
}

// The floor of quitting: a key to the end of a program that ends on it.
double time_key_to_exit() {
    Editor sh{.name = "sh", .package = "", .program = "/bin/sh",
              .flags = {"-c", "stty raw -echo; echo ready; exec head -c 1 >/dev/null"}, .top = 0, .bottom = 0,
              .before_typing = {}, .before_quit = {{Step::Anywhere, "", "ready"}}, .quit_key = "q",
              .before_find = {}, .before_replace = {}, .replace_key = "", .replaced = {}, .is_qx = false};
    Session s(sh, "sh");   // the script's $0
    double seconds = -1;
    if (!start(s.t, sh.program) || !quit(s, seconds)) return -1;
    return seconds;
}

// --- the table -------------------------------------------------------------------

enum class Unit { Seconds, Megabytes, Bytes };

std::string figure(double v, Unit u) {
    char text[32];
    if (u == Unit::Seconds)
        std::snprintf(text, sizeof text, v < 0.01 ? "%.4f" : v < 0.1 ? "%.3f" : v < 10 ? "%.2f" : "%.1f", v);
    else if (u == Unit::Megabytes) std::snprintf(text, sizeof text, "%.0f", v / 1e6);
    else std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

// "median (least-most) xRATIO", and how many runs failed or ran out of time.
std::string cell(const std::vector<double>& runs, Unit u, double floor, int over_limit = 0) {
    const std::string over = std::to_string(over_limit) + " over " + std::to_string(LIMIT.count() / 1000) + " s";
    if (runs.empty()) return over_limit == ROUNDS ? "all over " + std::to_string(LIMIT.count() / 1000) + " s"
                             : over_limit > 0   ? "failed, " + over
                                                : "failed";
    double m = median(runs);
    auto [lo, hi] = std::minmax_element(runs.begin(), runs.end());
    std::string s = figure(m, u) + " (" + figure(*lo, u) + "-" + figure(*hi, u) + ")";
    if (floor > 0) {
        char ratio[32];
        std::snprintf(ratio, sizeof ratio, " x%.*f", m / floor < 10 ? 1 : 0, m / floor);
        s += ratio;
    }
    if (over_limit > 0) s += " [" + over + "]";
    else if (runs.size() < ROUNDS) s += " [" + std::to_string(ROUNDS - runs.size()) + " failed]";
    return s;
}

void print_table(const std::vector<Editor>& list, const Figures& out) {
    const Unit units[TASKS] = {Unit::Seconds, Unit::Seconds, Unit::Megabytes, Unit::Seconds,
                               Unit::Bytes,   Unit::Bytes,   Unit::Seconds,   Unit::Seconds};
    const char* unit_names[] = {"s", "MB", "bytes"};
    std::printf("| task | floor |");
    for (const Editor& e : list) std::printf(" %s |", e.name.c_str());
    std::printf("\n|---|---|");
    for (std::size_t i = 0; i < list.size(); ++i) std::printf("---|");
    std::printf("\n");
    for (int k = 0; k < TASKS; ++k) {
        double floor = median(out.floor[k]);
        std::printf("| %s, %s | %s |", TASK_NAMES[k], unit_names[static_cast<int>(units[k])],
                    cell(out.floor[k], units[k], 0).c_str());
        for (const Editor& e : list) {
            auto it = out.by_editor[k].find(e.name);
            auto over = out.over_limit[k].find(e.name);
            std::printf(" %s |", cell(it == out.by_editor[k].end() ? std::vector<double>{} : it->second, units[k],
                                      floor, over == out.over_limit[k].end() ? 0 : over->second).c_str());
        }
        std::printf("\n");
    }
}

void print_slope(const Figures& out) {
    std::printf("| lines | first screen, s | per million lines | peak memory, MB | per million lines | quit, s | "
                "per million lines |\n|---|---|---|---|---|---|---|\n");
    for (const auto& [lines, first] : out.slope_first) {
        double millions = static_cast<double>(lines) / MILLION;
        auto per = [&](const std::map<long, std::vector<double>>& m, Unit u) {
            auto it = m.find(lines);
            if (it == m.end() || it->second.empty()) return std::string("failed | failed");
            std::vector<double> scaled;
            for (double v : it->second) scaled.push_back(v / millions);
            return cell(it->second, u, 0) + " | " + figure(median(scaled), u);
        };
        std::printf("| %s | %s | %s | %s |\n", group(lines).c_str(), per(out.slope_first, Unit::Seconds).c_str(),
                    per(out.slope_memory, Unit::Megabytes).c_str(), per(out.slope_quit, Unit::Seconds).c_str());
    }
}

std::string load_average() {
    std::ifstream in("/proc/loadavg");
    std::string a, b, c;
    in >> a >> b >> c;
    return a + " " + b + " " + c;
}

}  // namespace

int run(int argc, char** argv) {
    std::string qx_path = fs::absolute(argc > 1 ? argv[1] : test::qx_binary()).string();
    std::string base = argc > 2 ? argv[2] : fs::temp_directory_path().string();
    if (access(qx_path.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "screen_peers_bench: no editor at %s (give its path as the first argument)\n",
                     qx_path.c_str());
        return 1;
    }
    stop_on_signals();

    std::vector<Editor> list;
    for (Editor& e : editors(qx_path)) {
        std::string found = in_path(e.program);
        if (found.empty()) {
            std::printf("%s: not installed, left out\n", e.name.c_str());
            continue;
        }
        e.program = found;
        list.push_back(e);
    }

    // Five files of 1 to 5 million lines (~950 MB together) and a small one.
    struct statvfs disk {};
    const double need = 1.2e9;
    if (::statvfs(base.c_str(), &disk) == 0 &&
        static_cast<double>(disk.f_bavail) * static_cast<double>(disk.f_frsize) < need) {
        std::fprintf(stderr, "screen_peers_bench: %s has less than %.1f GB free\n", base.c_str(), need / 1e9);
        return 1;
    }
    WorkDir dir(base, "qx-peers-bench");
    if (dir.path.empty()) {
        std::fprintf(stderr, "screen_peers_bench: cannot make a directory in %s\n", base.c_str());
        return 1;
    }
    auto t0 = Clock::now();
    std::string start_load = load_average();
    std::fprintf(stderr, "generating files in %s\n", dir.path.c_str());
    Files f;
    for (long m = 1; m <= 5; ++m) {
        FileShape shape;
        shape.lines = m * MILLION;
        shape.shortest = 18;   // about 64 bytes a line
        shape.seed = 2024;
        shape.word = WORD;
        shape.per_mille = 110;
        shape.last_words = LAST_WORDS;
        std::string path = dir.file(std::to_string(m) + "M.txt");
        long marked = write_numbered_file(path, shape);
        if (marked < 0) {
            std::fprintf(stderr, "screen_peers_bench: cannot write %s\n", path.c_str());
            return 1;
        }
        f.by_millions[m * MILLION] = path;
        if (m * MILLION == MID) f.occurrences = marked;
    }
    f.big = f.by_millions[BIG];
    f.mid = f.by_millions[MID];
    {
        // Line 1 is typed into; the rest fit a row, so every Down brings in one whole line.
        f.keys = dir.file("keys.txt");
        std::ofstream out(f.keys);
        std::mt19937 rng(7);
        std::vector<std::size_t> lengths;
        for (long i = 1; i <= KEYS_FILE_LINES; ++i) {
            std::string line = make_line(i, rng, i == 1 ? TYPING_LINE : 40 + rng() % 40);
            lengths.push_back(line.size());
            out << line << '\n';
        }
        // qx shows 22 lines: Down on the bottom row brings in line 23 and on.
        double text = 0;
        for (int i = 0; i < SCROLLS; ++i) text += static_cast<double>(lengths[22 + i]);
        f.scroll_floor = text / SCROLLS + 2;
        if (!out) return 1;
    }

    std::printf("terminal %dx%d (xterm-256color, LANG=C), each program in an empty home directory\n", COLS, ROWS);
    for (const Editor& e : list) {
        std::string flags;
        for (const std::string& a : e.flags) flags += " " + a;
        std::string version = e.package.empty() ? "this tree" : command_output("dpkg-query -W -f='${Version}' " + e.package + " 2>/dev/null");
        std::printf("  %-5s %s%s (%s)\n", e.name.c_str(), e.program.c_str(), flags.c_str(), version.c_str());
    }
    std::printf("files: %s lines %.0f MB, %s lines %.1f MB (\"%s\" on %s lines, \"%s\" on the last only)\n",
                group(BIG).c_str(), static_cast<double>(fs::file_size(f.big)) / 1e6, group(MID).c_str(),
                static_cast<double>(fs::file_size(f.mid)) / 1e6, WORD, group(f.occurrences).c_str(), UNIQUE);
    std::fflush(stdout);

    Figures out;
    const Editor& qx = list.front();
    double mid_size = static_cast<double>(fs::file_size(f.mid));
    for (int round = 0; round < ROUNDS && !g_interrupted; ++round) {
        // Each round starts with another editor, so that none always follows the same one.
        std::vector<const Editor*> order;
        for (std::size_t i = 0; i < list.size(); ++i) order.push_back(&list[(i + static_cast<std::size_t>(round)) % list.size()]);
        out.floor[FIRST_BIG].push_back(time_wc(f.big));
        out.floor[FIRST_MID].push_back(time_wc(f.mid));
        out.floor[MEMORY_MID].push_back(mid_size);
        out.floor[QUIT_BIG].push_back(time_key_to_exit());
        out.floor[TYPING].push_back(4);
        out.floor[SCROLLING].push_back(f.scroll_floor);
        out.floor[FIND].push_back(out.floor[FIRST_MID].back());
        out.floor[REPLACE].push_back(out.floor[FIRST_MID].back());
        using Run = void (*)(const Editor&, const Files&, Figures&);
        for (Run one : {Run(run_big), Run(run_mid), Run(run_typing), Run(run_scrolling)}) {
            for (const Editor* e : order) {
                if (g_interrupted) break;
                std::fprintf(stderr, "round %d: %s\n", round + 1, e->name.c_str());
                one(*e, f, out);
                remove_leftovers(dir.path);
            }
        }
        for (const auto& [lines, path] : f.by_millions) {
            if (g_interrupted) break;
            run_slope(qx, lines, path, out);
        }
    }
    if (g_interrupted) {
        std::fprintf(stderr, "screen_peers_bench: interrupted\n");
        return 1;
    }

    utsname host{};
    ::uname(&host);
    std::printf("\n%d rounds, a fresh process for every run; median (least-most) and the ratio of the median to "
                "the floor\n%s %s, %ld cores, load average at the start %s, at the end %s; %.0f s in all\n\n",
                ROUNDS, host.sysname, host.release, ::sysconf(_SC_NPROCESSORS_ONLN), start_load.c_str(),
                load_average().c_str(), seconds_since(t0));
    print_table(list, out);
    std::printf("\nfloors: `wc -l` on the same file (1, 2, 7, 8); the file's size (3); a key to the end of `head -c 1` "
                "on the terminal (4);\n\"ESC [ @\" and the character (5); line feed, the new row's text and carriage "
                "return (6).\n5: %d characters after one unmeasured; 6: %d Down keys on the bottom row, per line that "
                "came into view.\nA replace-all that runs over the limit is not run again for that program.\n\n"
                "qx alone, growing the file:\n\n",
                TYPED, SCROLLS);
    print_slope(out);
    return 0;
}

}  // namespace qx

int main(int argc, char** argv) { return qx::run(argc, argv); }
