// Find and replace-all in the real editor on an 80x24 pseudo-terminal, through a
// generated file of 1,000,000 lines (~60 MB) in which one word occurs about 110,000
// times and a unique word stands only on the last line:
//  - Find of the last-line word from the top of the file, Enter to the screen that
//    shows it;
//  - replacing every occurrence of the common word by a shorter one: the count "*",
//    then Again until the count stops growing, Enter to the last message; a fresh
//    Find then checks that none is left.
// Each run starts a new editor; the best and the median of the runs are shown, with
// the editor's own CPU time beside the wall time.
//
//   screen_find_bench [path of qx] [directory for the generated file]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "screen_bench_support.h"

namespace qx {
namespace {

using namespace bench;

constexpr long LINES = 1000000;
constexpr int RUNS = 5;
constexpr const char* WORD = "marker";       // the word replaced
constexpr const char* SHORTER = "mk";
constexpr const char* UNIQUE = "zanzibar";   // only on the last line
constexpr std::chrono::milliseconds WAIT{60'000};

struct Run {
    double find = 0, findCpu = 0;
    double replace = 0, replaceCpu = 0;   // the counted Replace and the Again after it
    double counted = 0;                   // the first 32000 (or fewer)
};

bool fail(const QxScreen& t, const std::string& what) {
    std::fprintf(stderr, "\nscreen_find_bench: %s\n%s", what.c_str(), t.dump().c_str());
    return false;
}

bool one_run(const std::string& binary, const std::string& path, long occurrences, Run& run) {
    QxScreen t({path}, 80, 24);
    if (!start(t, binary)) return false;
    if (!qx_first_screen(t, 1, 2, WAIT)) return fail(t, "no first screen");
    if (!qx_find(t, UNIQUE, WAIT, run.find, &run.findCpu)) return fail(t, "Find did not reach the last line");
    // Replace every occurrence, from the last line round to it again.
    QxReplaceTimes times;
    if (!qx_replace_all(t, WORD, SHORTER, occurrences, WAIT, times)) return fail(t, "replace-all did not finish");
    run.replace = times.all;
    run.counted = times.counted;
    run.replaceCpu = times.cpu;

    // None is left: a fresh Find of the word finds nothing.
    t.esc("f");
    t.key(Key::Enter);
    if (!wait(t, [&] { return message_shows(t, std::string("Not Found: ") + WORD); }, WAIT))
        return fail(t, "an occurrence was left");
    return true;
}

}  // namespace

int run(int argc, char** argv) {
    std::string binary = fs::absolute(argc > 1 ? argv[1] : test::qx_binary()).string();
    std::string base = argc > 2 ? argv[2] : fs::temp_directory_path().string();
    if (access(binary.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "screen_find_bench: no editor at %s\n", binary.c_str());
        return 1;
    }
    stop_on_signals();
    WorkDir dir(base, "qx-find-bench");
    std::string path = dir.file("find.txt");
    FileShape shape;
    shape.lines = LINES;
    shape.seed = 2024;
    shape.word = WORD;
    shape.per_mille = 110;
    shape.last_words = std::string("the end of the generated text: ") + UNIQUE;
    long occurrences = dir.path.empty() ? -1 : write_numbered_file(path, shape);
    if (occurrences < 0) {
        std::fprintf(stderr, "screen_find_bench: cannot write %s\n", path.c_str());
        return 1;
    }
    double mb = static_cast<double>(fs::file_size(path)) / 1e6;
    std::vector<Run> runs;
    for (int i = 0; i < RUNS; ++i) {
        Run r;
        if (!one_run(binary, path, occurrences, r)) return 1;
        runs.push_back(r);
    }

    auto column = [&](const char* what, double Run::*field, double aim) {
        std::vector<double> v;
        for (const Run& r : runs) v.push_back(r.*field * 1e3);
        double best = *std::min_element(v.begin(), v.end());
        std::printf("   %-44s %9.1f %9.1f", what, best, median(v));
        if (aim > 0) std::printf("   (aim at most %.0f ms)", aim);
        std::printf("\n");
    };
    std::printf("qx: %s, terminal 80x24, default options\n", binary.c_str());
    std::printf("file: %ld lines, %.1f MB; \"%s\" %ld times, \"%s\" on the last line only\n\n", LINES, mb, WORD,
                occurrences, UNIQUE);
    std::printf("   %-44s %9s %9s   (%d runs, ms)\n", "", "best", "median", RUNS);
    column("Find of the last-line word from the top", &Run::find, 50);
    column("  editor CPU", &Run::findCpu, 0);
    column("replace-all: count *, then Again", &Run::replace, 150);
    column("  of which the first count (32000)", &Run::counted, 0);
    column("  editor CPU", &Run::replaceCpu, 0);
    return 0;
}

}  // namespace qx

int main(int argc, char** argv) { return qx::run(argc, argv); }
