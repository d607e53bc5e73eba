// The real editor on an 80x24 pseudo-terminal: bytes written to the terminal per typed
// key and per one-line scroll, time per page with PageDown through files of 100,000 and
// 1,000,000 lines (near the start and deep inside), and the time to open them beside
// `wc -l`. Every key is sent alone and its whole result waited for on a model of the
// screen, so curses never merges the output of several keys.
//
//   screen_bench [path of qx] [directory for the generated files]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "screen_bench_support.h"

namespace qx {
namespace {

using namespace bench;

constexpr int COLS = 80, ROWS = 24;
constexpr int FIRST_ROW = 2, BOTTOM = ROWS - 1;
constexpr int PAGE = ROWS - 3;          // lines one PageDown moves
constexpr int TYPED_LINES = 50, TYPED_WIDTH = 40, TYPING_COLUMN = 36;
constexpr int SCROLLS = 2000, SCROLL_FILE_LINES = 10000;
constexpr int PAGES = 2000;             // per run, after one page to warm up
constexpr int PAGE_BLOCK = 100;
constexpr int OPENS = 3;
constexpr int TYPED_AFTER_PAGING = 100; // lines of one character + Enter
constexpr int ROUND_TRIPS = 2000;

// Long enough for opening the large file and for the first PageDown deep inside it.
constexpr std::chrono::milliseconds WAIT{30'000};

bool wait(QxScreen& t, const std::function<bool()>& done) { return bench::wait(t, done, WAIT); }

struct Bench {
    std::string binary;
    WorkDir& dir;

    bool start(QxScreen& t) const { return bench::start(t, binary); }
};

bool write_numbered_file(const std::string& path, long lines) {
    FileShape shape;
    shape.lines = lines;
    return bench::write_numbered_file(path, shape) >= 0;
}

bool fail(const QxScreen& t, const std::string& what) {
    if (g_interrupted) std::fprintf(stderr, "\nscreen_bench: interrupted\n");
    else std::fprintf(stderr, "\nscreen_bench: %s\n%s", what.c_str(), t.dump().c_str());
    return false;
}

bool cannot_write(const std::string& path) {
    std::fprintf(stderr, "\nscreen_bench: cannot write %s\n", path.c_str());
    return false;
}

bool wait_first_screen(QxScreen& t, long line, int row) { return qx_first_screen(t, line, row, WAIT); }

// --- 1. typing -------------------------------------------------------------

struct KeyBytes {
    long count = 0;
    uint64_t bytes = 0, most = 0;
    void add(uint64_t b) {
        ++count;
        bytes += b;
        most = std::max(most, b);
    }
    double average() const { return count ? static_cast<double>(bytes) / static_cast<double>(count) : 0; }
};

struct TypingFigures {
    KeyBytes chars, enterMid, enterBottom;
    long overRow = 0;   // characters whose output was more than a row and a cursor move
};

bool bench_typing(const Bench& b, TypingFigures& f) {
    std::string path = b.dir.file("typing.txt");
    std::mt19937 rng(99);
    std::string first;
    {
        std::FILE* out = std::fopen(path.c_str(), "w");
        if (!out) return cannot_write(path);
        for (int i = 1; i <= 200; ++i) {
            std::string line = make_line(i, rng, 76);
            if (i == 1) first = line;
            std::fprintf(out, "%s\n", line.c_str());
        }
        std::fclose(out);
    }
    QxScreen t({path}, COLS, ROWS);
    if (!b.start(t)) return false;
    if (!wait_first_screen(t, 1, FIRST_ROW)) return fail(t, "typing: no first screen");
    for (int c = 1; c <= TYPING_COLUMN; ++c) {
        t.key(Key::Right);
        if (!wait(t, [&] { return t.cursor() == Pos{FIRST_ROW, c}; }))
            return fail(t, "typing: cursor did not move right");
    }

    // Every Enter carries the rest of line 1 down, so each key inserts before text.
    // Each key is waited for until its row reads as it should and the cursor, which
    // curses places last, has arrived.
    const std::string tail = first.substr(TYPING_COLUMN);
    std::string before_cursor = first.substr(0, TYPING_COLUMN);
    Pos at{FIRST_ROW, TYPING_COLUMN};
    auto shows = [&](int row, const std::string& text) { return trimmed(t.row(row)) == trimmed(text.substr(0, COLS)); };
    for (int l = 0; l < TYPED_LINES; ++l) {
        for (int i = 0; i < TYPED_WIDTH; ++i) {
            char c = static_cast<char>('a' + (l * TYPED_WIDTH + i) % 26);
            before_cursor += c;
            uint64_t before = t.bytes_received();
            t.send(std::string_view(&c, 1));
            ++at.col;
            if (!wait(t, [&] { return t.cursor() == at && shows(at.row, before_cursor + tail); }))
                return fail(t, "typing: character not shown");
            f.chars.add(t.bytes_received() - before);
            if (t.bytes_received() - before > COLS + 20) ++f.overRow;
        }
        bool bottom = at.row == BOTTOM;
        uint64_t before = t.bytes_received();
        t.key(Key::Enter);
        at = {std::min(at.row + 1, BOTTOM), 0};
        if (!wait(t, [&] { return t.cursor() == at && shows(at.row - 1, before_cursor) && shows(at.row, tail); }))
            return fail(t, "typing: Enter not shown");
        (bottom ? f.enterBottom : f.enterMid).add(t.bytes_received() - before);
        before_cursor.clear();
    }
    return true;
}

// --- 2. scrolling ----------------------------------------------------------

struct ScrollFigures {
    KeyBytes scrolls;
    double textPerRow = 0;   // characters of text in the row that comes into view
};

bool bench_scrolling(const Bench& b, ScrollFigures& f) {
    std::string path = b.dir.file("scroll.txt");
    if (!write_numbered_file(path, SCROLL_FILE_LINES)) return cannot_write(path);
    QxScreen t({path}, COLS, ROWS);
    if (!b.start(t)) return false;
    if (!wait_first_screen(t, 1, FIRST_ROW)) return fail(t, "scrolling: no first screen");
    for (int r = FIRST_ROW + 1; r <= BOTTOM; ++r) {
        t.key(Key::Down);
        if (!wait(t, [&] { return t.cursor() == Pos{r, 0}; })) return fail(t, "scrolling: cursor did not move down");
    }
    long text = 0;
    for (int k = 1; k <= SCROLLS; ++k) {
        long want = BOTTOM - FIRST_ROW + 1 + k;
        uint64_t before = t.bytes_received();
        t.key(Key::Down);
        if (!wait(t, [&] { return t.cursor() == Pos{BOTTOM, 0} && label_of(t.row(BOTTOM)) == want; }))
            return fail(t, "scrolling: line " + std::to_string(want) + " did not come into view");
        f.scrolls.add(t.bytes_received() - before);
        text += static_cast<long>(trimmed(t.row(BOTTOM)).size());
    }
    if (label_of(t.row(FIRST_ROW)) != SCROLLS + 1) return fail(t, "scrolling: the top row reads wrong");
    f.textPerRow = static_cast<double>(text) / SCROLLS;
    return true;
}

// --- 3. paging -------------------------------------------------------------

struct PagingRun {
    long from = 1;            // line the editor was started on
    double open = 0;          // start to first screen, seconds
    double typedAtStart = 0;  // a character typed on the start line
    double firstPage = 0;     // the first PageDown, which counts lines from the top
    double perPage = 0;       // seconds, median of blocks of pages
    double meanPerPage = 0;
    double cpuPerPage = 0;    // seconds of the editor's own time
    double bytesPerPage = 0;
    double firstTyped = 0;    // the first character typed after paging
    double perTypedLine = 0;  // one character + Enter, after that
};

struct FileFigures {
    long lines = 0;
    double megabytes = 0, wc = 0, roundTrip = 0;
    PagingRun start, deep;
};

double time_wc(const std::string& path) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        auto t0 = Clock::now();
        std::string cmd = "wc -l < '" + path + "' > /dev/null";
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "wc failed\n");
        best = std::min(best, seconds_since(t0));
    }
    return best;
}

// One PageDown, waited for until the bottom row shows the line a page further on;
// then the position message must name the line the cursor is on.
bool page_down(QxScreen& t, int row, const char* where) {
    long bottom = label_of(t.row(BOTTOM));
    t.key(Key::PageDown);
    if (!wait(t, [&] { return t.cursor() == Pos{row, 0} && label_of(t.row(BOTTOM)) == bottom + PAGE; }))
        return fail(t, std::string("paging ") + where + ": the page did not arrive");
    std::string shown = "ln:" + std::to_string(label_of(t.row(row))) + " col:1 ";
    if (t.row(0).find(shown) == std::string::npos)
        return fail(t, std::string("paging ") + where + ": the position message does not say " + shown);
    return true;
}

bool paging_run(const Bench& b, const std::string& path, long from, PagingRun& run, double* roundTrip) {
    run.from = from;
    std::vector<std::string> args = {path};
    if (from > 1) args.insert(args.end(), {"-l", std::to_string(from)});
    int row = from > 1 ? (ROWS - 2) / 2 : FIRST_ROW;
    const char* where = from > 1 ? "deep" : "from the top";
    // The time to open is the best of a few starts, as for `wc -l`.
    run.open = 1e9;
    for (int i = 1; i < OPENS; ++i) {
        QxScreen t(args, COLS, ROWS);
        auto t0 = Clock::now();
        if (!b.start(t)) return false;
        if (!wait_first_screen(t, from, row)) return fail(t, std::string("paging ") + where + ": no first screen");
        run.open = std::min(run.open, seconds_since(t0));
    }
    QxScreen t(args, COLS, ROWS);
    auto t0 = Clock::now();
    if (!b.start(t)) return false;
    if (!wait_first_screen(t, from, row)) return fail(t, std::string("paging ") + where + ": no first screen");
    run.open = std::min(run.open, seconds_since(t0));

    // A key typed on the start line needs that line's number for its undo item.
    {
        std::string line = trimmed(t.row(row));
        auto typed = Clock::now();
        t.send("x");
        std::string shown = trimmed(("x" + line).substr(0, COLS));
        if (!wait(t, [&] { return t.cursor() == Pos{row, 1} && trimmed(t.row(row)) == shown; }))
            return fail(t, "typing after start: character not shown");
        run.typedAtStart = seconds_since(typed);
        t.key(Key::Left);
        if (!wait(t, [&] { return t.cursor() == Pos{row, 0}; }))
            return fail(t, "typing after start: cursor did not move");
    }

    if (roundTrip) {
        // The floor of this method: a key whose answer is a cursor movement.
        t0 = Clock::now();
        for (int i = 0; i < ROUND_TRIPS; ++i) {
            Pos want{row, (i + 1) % 2};
            t.key(i % 2 ? Key::Left : Key::Right);
            if (!wait(t, [&] { return t.cursor() == want; })) return fail(t, "round trip: cursor did not move");
        }
        *roundTrip = seconds_since(t0) / ROUND_TRIPS;
    }

    t0 = Clock::now();
    if (!page_down(t, row, where)) return false;
    run.firstPage = seconds_since(t0);

    // The machine may be busy with other work: the steady figure is the median of
    // blocks of pages, beside the mean and the editor's own CPU time.
    double cpu = cpu_seconds(t.pid());
    uint64_t bytes = t.bytes_received();
    std::vector<double> blocks;
    auto all = Clock::now();
    for (int block = 0; block < PAGES / PAGE_BLOCK; ++block) {
        t0 = Clock::now();
        for (int k = 0; k < PAGE_BLOCK; ++k)
            if (!page_down(t, row, where)) return false;
        blocks.push_back(seconds_since(t0) / PAGE_BLOCK);
    }
    run.meanPerPage = seconds_since(all) / PAGES;
    std::sort(blocks.begin(), blocks.end());
    run.perPage = blocks[blocks.size() / 2];
    run.cpuPerPage = (cpu_seconds(t.pid()) - cpu) / PAGES;
    run.bytesPerPage = static_cast<double>(t.bytes_received() - bytes) / PAGES;

    // Typing right after paging: a character at the start of the cursor's line, then
    // Enter, which carries the line down a row. The first character is timed alone.
    Pos at{row, 0};
    for (int i = 0; i <= TYPED_AFTER_PAGING; ++i) {
        if (i == 1) t0 = Clock::now();
        std::string line = trimmed(t.row(at.row));
        auto typed = Clock::now();
        t.send("x");
        at.col = 1;
        std::string shown = trimmed(("x" + line).substr(0, COLS));
        if (!wait(t, [&] { return t.cursor() == at && trimmed(t.row(at.row)) == shown; }))
            return fail(t, "typing after paging: character not shown");
        if (i == 0) run.firstTyped = seconds_since(typed);
        t.key(Key::Enter);
        at = {std::min(at.row + 1, BOTTOM), 0};
        if (!wait(t, [&] {
                return t.cursor() == at && trimmed(t.row(at.row - 1)) == "x" && trimmed(t.row(at.row)) == line;
            }))
            return fail(t, "typing after paging: Enter not shown");
    }
    run.perTypedLine = seconds_since(t0) / TYPED_AFTER_PAGING;
    return true;
}

bool bench_paging(const Bench& b, long lines, FileFigures& f) {
    std::string path = b.dir.file("paging-" + std::to_string(lines) + ".txt");
    if (!write_numbered_file(path, lines)) return cannot_write(path);
    f.lines = lines;
    f.megabytes = static_cast<double>(fs::file_size(path)) / 1e6;
    f.wc = time_wc(path);
    // Deep: 90% into the file, or as far as leaves room for every page.
    long room = (lines - PAGE * (PAGES + 2) - ROWS) / 10000 * 10000;
    bool ok = paging_run(b, path, 1, f.start, &f.roundTrip) &&
              paging_run(b, path, std::min(lines / 10 * 9, room), f.deep, nullptr);
    fs::remove(path);
    return ok;
}

}  // namespace

int run(int argc, char** argv) {
    // Absolute, since the editor runs in the work directory.
    std::string binary = fs::absolute(argc > 1 ? argv[1] : test::qx_binary()).string();
    std::string base = argc > 2 ? argv[2] : fs::temp_directory_path().string();
    if (access(binary.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "screen_bench: no editor at %s (give its path as the first argument)\n", binary.c_str());
        return 1;
    }
    stop_on_signals();
    WorkDir dir(base, "qx-screen-bench");
    if (dir.path.empty()) {
        std::fprintf(stderr, "screen_bench: cannot make a directory in %s\n", base.c_str());
        return 1;
    }
    Bench b{binary, dir};
    auto t0 = Clock::now();
    std::printf("qx: %s, terminal %dx%d (xterm-256color), default options\n\n", binary.c_str(), COLS, ROWS);

    TypingFigures typing;
    if (!bench_typing(b, typing)) return 1;
    std::printf("1. Typing %d lines of %d characters with Enter between them, starting at column %d of a\n"
                "   76-character line; the rest of that line moves down with every Enter, so each key\n"
                "   inserts before text.                          keys   bytes/key   most\n",
                TYPED_LINES, TYPED_WIDTH, TYPING_COLUMN);
    std::printf("   character                                   %5ld  %10.1f  %5lu\n", typing.chars.count,
                typing.chars.average(), static_cast<unsigned long>(typing.chars.most));
    std::printf("   Enter, cursor above the bottom row          %5ld  %10.1f  %5lu\n", typing.enterMid.count,
                typing.enterMid.average(), static_cast<unsigned long>(typing.enterMid.most));
    std::printf("   Enter on the bottom row (the text scrolls)  %5ld  %10.1f  %5lu\n", typing.enterBottom.count,
                typing.enterBottom.average(), static_cast<unsigned long>(typing.enterBottom.most));
    KeyBytes enters = typing.enterMid;
    enters.count += typing.enterBottom.count;
    enters.bytes += typing.enterBottom.bytes;
    std::printf("   Enter, all                                  %5ld  %10.1f\n", enters.count, enters.average());
    std::printf("   characters that cost more than a whole row (%d bytes): %ld\n\n", COLS + 20, typing.overRow);
    std::fflush(stdout);

    ScrollFigures scroll;
    if (!bench_scrolling(b, scroll)) return 1;
    std::printf("2. Down on the bottom row through a %s-line file (one-line scroll)\n",
                group(SCROLL_FILE_LINES).c_str());
    std::printf("   scrolls %d: %.1f bytes per scroll (most %lu), of which %.1f are the text of the new row\n\n",
                SCROLLS, scroll.scrolls.average(), static_cast<unsigned long>(scroll.scrolls.most), scroll.textPerRow);
    std::fflush(stdout);

    FileFigures small, large;
    if (!bench_paging(b, 100000, small) || !bench_paging(b, 1000000, large)) return 1;
    // One column per run: each file from its first line and from deep inside.
    const PagingRun* runs[] = {&small.start, &small.deep, &large.start, &large.deep};
    auto line = [&](const char* what, const char* format, auto value) {
        std::printf("   %-38s", what);
        for (const PagingRun* r : runs) {
            char cell[32];
            std::snprintf(cell, sizeof cell, format, value(*r));
            std::printf("%12s", cell);
        }
        std::printf("\n");
    };
    std::printf("3. PageDown through generated files (about 60 characters a line), %s pages a run, each\n"
                "   waited for until the bottom row shows the line %d further on; the position message\n"
                "   is checked against the line the cursor is on after every page.\n", group(PAGES).c_str(), PAGE);
    std::printf("   %-38s%24s%24s\n", "", (group(small.lines) + " lines").c_str(),
                (group(large.lines) + " lines").c_str());
    std::printf("   %-38s%24.1f%24.1f\n", "file size, MB", small.megabytes, large.megabytes);
    std::printf("   %-38s%24.1f%24.1f\n", "wc -l, ms", small.wc * 1e3, large.wc * 1e3);
    std::printf("   %-38s", "started on line");
    for (const PagingRun* r : runs) std::printf("%12s", group(r->from).c_str());
    std::printf("\n");
    line("open: start to first screen (best of 3)", "%.1f", [](const PagingRun& r) { return r.open * 1e3; });
    line("first key typed, ms", "%.2f", [](const PagingRun& r) { return r.typedAtStart * 1e3; });
    line("first PageDown (counts the lines), ms", "%.2f", [](const PagingRun& r) { return r.firstPage * 1e3; });
    line("per page, median of 100-page blocks, ms", "%.3f", [](const PagingRun& r) { return r.perPage * 1e3; });
    line("per page, mean, ms", "%.3f", [](const PagingRun& r) { return r.meanPerPage * 1e3; });
    line("editor CPU per page, ms", "%.3f", [](const PagingRun& r) { return r.cpuPerPage * 1e3; });
    line("bytes to the terminal per page", "%.0f", [](const PagingRun& r) { return r.bytesPerPage; });
    line("then the first key typed, ms", "%.2f", [](const PagingRun& r) { return r.firstTyped * 1e3; });
    line("  and x + Enter, ms per line", "%.2f", [](const PagingRun& r) { return r.perTypedLine * 1e3; });
    std::printf("   %-38s%12.3f%24.3f\n", "cursor key round trip (floor), ms", small.roundTrip * 1e3,
                large.roundTrip * 1e3);

    // Counting from the top on every page would cost what the first PageDown from the
    // deep line did: 20 to 500 times a page. The verdict rests on the editor's own CPU
    // time, which other work on the machine does not inflate as it does the wall time.
    double fastest = 1e9, slowest = 0, leastCpu = 1e9, mostCpu = 0;
    for (const PagingRun* r : runs) {
        fastest = std::min(fastest, r->perPage);
        slowest = std::max(slowest, r->perPage);
        leastCpu = std::min(leastCpu, r->cpuPerPage);
        mostCpu = std::max(mostCpu, r->cpuPerPage);
    }
    double cpuRatio = leastCpu > 0 ? mostCpu / leastCpu : 0;
    std::printf("\n   per page, most / least editor CPU of the four runs: %.2fx (wall time %.2fx) -> %s\n", cpuRatio,
                slowest / fastest,
                cpuRatio < 3 ? "flat" : "NOT flat: paging slows down as the file or the position grows");
    std::printf("\nwhole run: %.1f s\n", seconds_since(t0));
    return 0;
}

}  // namespace qx

int main(int argc, char** argv) { return qx::run(argc, argv); }
