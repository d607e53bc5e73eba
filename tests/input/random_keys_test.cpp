#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "input/keys.h"
#include "support/editor_test.h"
#include "support/temp_dir.h"

namespace qx {
namespace {

// Seeded random keys through the main loop, as a terminal would deliver them: after
// every key the file, the view and the undo history must still hang together. Keys
// that open the selector or the Quit menu are left out (without a terminal they would
// wait for ever or end the test); the file is in a private directory, as a U after a
// rubbed-out count still writes it.
class RandomKeysTest : public test::EditorTest {
protected:
    test::TempDir dir;

    void check(unsigned seed, int step) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step));
        const LineList& lines = CurrentFile.text.lines;
        ASSERT_GE(lines.count, 1u);
        uint32_t walked = 0;
        bool current_seen = false, top_seen = false, bottom_seen = false;
        const ListLink* prev = &lines;
        for (const Line* l = first_line(lines); l; l = next_line(l)) {
            ASSERT_EQ(l->prev.get(), prev);
            ASSERT_GE(l->length, 0);
            ASSERT_LE(l->length, EDIT_BUFFER_SIZE);
            current_seen |= l == CurrentFile.currentLine;
            top_seen |= l == view().topLine;
            bottom_seen |= l == view().bottomLine;
            prev = l;
            ++walked;
        }
        ASSERT_EQ(walked, lines.count);
        ASSERT_EQ(lines.last, prev);
        ASSERT_TRUE(current_seen && top_seen && bottom_seen);
        int32_t row;
        ASSERT_TRUE(FindLineRow(CurrentFile.currentLine, row)) << "the current line is on the screen";
        ASSERT_EQ(row, view().cursorRow);
        ASSERT_GE(view().cursorColumn, 0);
        ASSERT_LE(view().cursorColumn, 511);
        ASSERT_LE(LineEditBuffer.length, EDIT_BUFFER_SIZE);
        int32_t steps = 0;
        for (auto* item = static_cast<UndoItem*>(current_undo_queue().items.first);
             current_undo_queue().items.count && item; item = static_cast<UndoItem*>(item->next.get()))
            steps += item->steps;
        ASSERT_EQ(steps, undo_steps());
        ASSERT_LE(undo_items(), UNDO_QUEUE_LIMIT);
    }

    // Keys whose changes the history promises to take back: typing in insert
    // mode, line splits, motion and the deletions.
    std::vector<KeyCode> undoable_keys(std::mt19937& rng) {
        static const std::string letters = "Ddkl#,^$<>FBHML{}u";
        static const KeyCode special[] = {CODE_DOWN, CODE_UP,    CODE_LEFT, CODE_HOME, CODE_END,
                                          CODE_NPAGE, CODE_PPAGE, CODE_DC,  CODE_BACKSPACE};
        switch (rng() % 6) {
        case 0: case 1: return {static_cast<KeyCode>(' ' + rng() % 95)};
        case 2: return {rng() % 2 ? ENTER : '\t'};
        case 3: return {special[rng() % std::size(special)]};
        case 4: return {ESC, letters[rng() % letters.size()]};
        default: return {ESC, static_cast<KeyCode>('1' + rng() % 4), letters[rng() % letters.size()]};
        }
    }

    std::vector<KeyCode> random_keys(std::mt19937& rng) {
        static const std::string letters = "IOabdfhijklmnoprstvwxz,.^$;][{}#DW<>B\\F~-+()CXVHML`k:cuA y";
        static const KeyCode special[] = {CODE_DOWN, CODE_UP,    CODE_LEFT, CODE_RIGHT, CODE_HOME, CODE_END,
                                          CODE_NPAGE, CODE_PPAGE, CODE_DC,   CODE_IC,    CODE_BACKSPACE,
                                          CODE_F1,   CODE_F1 + 3, CODE_F1 + 8, CODE_F1 + 9, KEY_SHIFT_UP,
                                          KEY_SHIFT_DOWN, CODE_SLEFT, CODE_SRIGHT, CODE_B2, KEY_PAD_STAR};
        switch (rng() % 10) {
        case 0: case 1: case 2: case 3: return {static_cast<KeyCode>(' ' + rng() % 95)};
        case 4: return {rng() % 3 ? ENTER : '\t'};
        case 5: return {special[rng() % (sizeof special / sizeof *special)]};
        case 6: return {ESC, letters[rng() % letters.size()]};
        case 7: return {ESC, static_cast<KeyCode>('1' + rng() % 9), letters[rng() % letters.size()]};
        case 8: {
            static const std::vector<std::vector<KeyCode>> sequences = {
                {ESC, '[', 'A'}, {ESC, '[', '1', ';', '5', 'C'}, {ESC, 'O', 'P'}, {ESC, '[', '2', '1', '~'},
                {ESC, '[', '3', '~'}, {ESC, 'O', 'k'}, {ESC, ESC, 'l'}, {127}, {8}, {26}, {0xE9}, {2}, {7}};
            return sequences[rng() % sequences.size()];
        }
        default: return {static_cast<KeyCode>(1 + rng() % 26)};
        }
    }
};

constexpr int SEEDS = 200;

TEST_F(RandomKeysTest, TheEditorStaysConsistentWhateverIsTyped) {
    int changed = 0;
    for (unsigned seed = 1; seed <= SEEDS; ++seed) {
        std::mt19937 rng(seed);
        std::vector<std::string> lines;
        for (int i = 0, n = 1 + rng() % 40; i < n; ++i) lines.push_back(std::string(rng() % 100, 'a' + i % 26));
        test::open_test_file(lines, 'u', dir.file("random.txt").c_str());
        place(0, 0);
        for (int step = 0; step < 500; ++step) {
            std::vector<KeyCode> keys = random_keys(rng);
            for (KeyCode k : keys) QueueStartupKey(k);
            while (QueuedKeyCount() > 0) MainLoopStep();
            check(seed, step);
            if (HasFatalFailure()) return;
        }
        changed += text() != lines;
        reset();
    }
    EXPECT_GT(changed, SEEDS * 9 / 10) << "the keys do edit the text";
}

// While the history never filled up, undoing every step gives back the text the keys
// started from, auto-indent and line splits included. Runs that do what undo does not
// take back are not held to it: typing past a line's end (the blanks in the gap), a
// split inside the leading blanks (undo removes only as many as stay above), and
// DelLine of a file's only line (an empty line stands in for it).
TEST_F(RandomKeysTest, UndoingEverythingRestoresTheText) {
    int checked = 0;
    for (unsigned seed = 1; seed <= SEEDS; ++seed) {
        std::mt19937 rng(seed);
        std::vector<std::string> lines;
        for (int i = 0, n = 1 + rng() % 30; i < n; ++i)
            lines.push_back(std::string(rng() % 4, ' ') + std::string(rng() % 60, 'a' + i % 26));
        test::open_test_file(lines, 'u', dir.file("undo.txt").c_str());
        place(0, 0);
        bool promised = true;
        for (int step = 0; step < 40; ++step) {
            std::vector<KeyCode> keys = undoable_keys(rng);
            bool loaded = LineEditBuffer.loaded;
            std::string_view shown(loaded ? LineEditBuffer.text : CurrentFile.currentLine->text(),
                                   loaded ? LineEditBuffer.length : CurrentFile.currentLine->length.get());
            auto indent = static_cast<int32_t>(std::min(shown.find_first_not_of(' '), shown.size()));
            int32_t count = keys.size() == 3 ? keys[1] - '0' : 1;
            promised &= keys.back() != 'l' || CurrentFile.text.lines.count > uint32_t(count);
            if (keys.size() == 1)
                promised &= keys[0] == ENTER ? col() == 0 || col() > indent : col() <= int32_t(shown.size());
            for (KeyCode k : keys) QueueStartupKey(k);
            while (QueuedKeyCount() > 0) MainLoopStep();
            promised &= undo_items() < UNDO_QUEUE_LIMIT;
        }
        if (promised) {
            ++checked;
            command("*u");
            EXPECT_EQ(undo_items(), 0) << "seed " << seed;
            EXPECT_EQ(text(), lines) << "seed " << seed;
        }
        reset();
    }
    EXPECT_GT(checked, SEEDS / 4);
}

}  // namespace
}  // namespace qx
