#include <gtest/gtest.h>

#include <vector>

#include "app/dispatch.h"
#include "input/keys.h"
#include "support/editor_test.h"

namespace qx {
namespace {

// One row: raw keys as the terminal delivers them, the mode they arrive in, and
// what they decode to. taken -1: all of them; 0: the sequence goes on.
struct KeyCase {
    std::vector<KeyCode> raw;
    int key = 0;
    bool command = false;
    const char* what = "";
    int32_t mode = MODE_INSERT;
    int taken = -1;
    bool beep = false;
};

const KeyCase KEY_CASES[] = {
    {.raw = {ESC, 'O', 'P'}, .key = 'a', .command = true, .what = "F1 as ESC O P is Again"},
    {.raw = {ESC, '[', '1', '5', '~'}, .key = 'f', .command = true, .what = "F5"},
    {.raw = {ESC, '[', '2', '4', '~'}, .key = 'q', .command = true, .what = "F12"},
    {.raw = {ESC, '[', '[', 'C'}, .key = 'c', .command = true, .what = "F3 of the console"},
    {.raw = {ESC, '[', '3', '~'}, .key = 'D', .command = true, .what = "Delete"},
    {.raw = {ESC, '[', '2', '~'}, .key = 'I', .command = true, .what = "Insert"},
    {.raw = {ESC, 'O', 'k'}, .key = 'n', .command = true, .what = "keypad + in application mode"},
    {.raw = {ESC, 'O', 'o'}, .key = 'z', .command = true, .what = "keypad /"},
    {.raw = {ESC, 'O', 'E'}, .key = ':', .command = true, .what = "keypad centre"},
    {.raw = {ESC, 'O', 'M'}, .key = ENTER, .what = "keypad Enter is Enter"},
    {.raw = {ESC, '[', '1', ';', '5', 'C'}, .key = ')', .command = true, .what = "Ctrl-Right acts as Shift-Right"},
    {.raw = {ESC, '[', '1', ';', '2', 'A'}, .key = '-', .command = true, .what = "Shift-Up"},
    {.raw = {ESC, '[', '1', ';', '3', 'B'}, .key = '+', .command = true, .what = "Alt-Down"},
    {.raw = {ESC, '[', '1', ';', '5', 'D', 'z'}, .key = '(', .command = true, .what = "not the key after", .taken = 6},
    {.raw = {ESC, '[', '1', ';', '2', 'H'}, .key = 'I', .command = true, .what = "an unknown modified key"},
    {.raw = {ESC, '[', 'Z'}, .key = 'I', .command = true, .what = "an unknown sequence becomes the command I"},
    {.raw = {ESC, '[', 'P'}, .key = 'I', .command = true, .what = "a known sequence without a command", .beep = true},
    {.raw = {ESC, '[', '6', '~'}, .key = 'F', .command = true, .what = "Page Down in its plain form"},
    // ESC O and ESC [ always start a sequence: ESC O alone is never Overwrite.
    {.raw = {ESC, 'O', 'x'}, .key = 'I', .command = true, .what = "ESC O and a stranger"},
    {.raw = {ESC}, .what = "ESC waits for the next key", .taken = 0},
    {.raw = {ESC, '[', '1', ';', '5'}, .what = "a modified key waits for its letter", .taken = 0},
    {.raw = {ESC, '[', '3'}, .what = "Delete waits for its ~", .taken = 0},
    {.raw = {ESC, 'f'}, .key = 'f', .command = true, .what = "ESC and a letter is a command"},
    {.raw = {ESC, ESC, 'f'}, .key = 'f', .command = true, .what = "ESC ESC f is ESC f"},
    {.raw = {ESC, ENTER}, .key = ENTER, .command = true, .what = "ESC Enter reaches the dispatcher, which cancels"},
    {.raw = {ESC, 0}, .key = 'i', .what = "ESC and a key of code 0 give a typed i"},
    {.raw = {ESC, ESC, '[', 'A'}, .key = '{', .command = true, .what = "ESC before a sequence"},
    {.raw = {127}, .key = '#', .command = true, .what = "DEL"},
    {.raw = {8}, .key = '#', .command = true, .what = "CTL-h"},
    {.raw = {26}, .key = 'u', .command = true, .what = "CTL-z"},
    {.raw = {24}, .key = 'X', .command = true, .what = "CTL-x"},
    {.raw = {1}, .key = 'I', .command = true, .what = "CTL-a is refused", .beep = true},
    {.raw = {'\t'}, .key = '\t', .what = "Tab is typed"},
    {.raw = {0xE9}, .key = 0xE9, .command = true, .what = "bytes above 126 reach the dispatcher"},
    {.raw = {'x', 'y'}, .key = 'x', .what = "a letter is typed", .taken = 1},
    // Cursor and page keys depend on whether an ESC (or a count) came first.
    {.raw = {CODE_LEFT}, .key = ',', .command = true, .what = "Left"},
    {.raw = {CODE_LEFT}, .key = '[', .command = true, .what = "Left after ESC", .mode = MODE_COMMAND},
    {.raw = {CODE_DOWN}, .key = '}', .command = true, .what = "Down after ESC", .mode = MODE_COMMAND},
    {.raw = {CODE_NPAGE}, .key = '~', .command = true, .what = "Page Down after ESC", .mode = MODE_COMMAND},
    {.raw = {CODE_PPAGE}, .key = '\\', .command = true, .what = "Page Up after ESC", .mode = MODE_COMMAND},
    {.raw = {CODE_DC}, .key = 'W', .command = true, .what = "Delete after ESC", .mode = MODE_COMMAND},
    {.raw = {CODE_MOUSE}, .key = '_', .command = true, .what = "the mouse"},
    {.raw = {999}, .key = 'I', .command = true, .what = "an unknown key code is refused", .beep = true},
    {.raw = {CODE_F1 + 12}, .key = 'I', .command = true, .what = "F13 is no key of ours", .beep = true},
};

TEST(KeyReader, DecodesTheTable) {
    for (const KeyCase& c : KEY_CASES) {
        DecodedKey d = DecodeKeys(c.raw, c.mode);
        int taken = c.taken < 0 ? static_cast<int>(c.raw.size()) : c.taken;
        EXPECT_EQ(d.taken, taken) << c.what;
        if (taken == 0) continue;
        EXPECT_EQ(d.key, c.key) << c.what;
        EXPECT_EQ(d.mode == MODE_COMMAND, c.command) << c.what;
        EXPECT_EQ(d.beep, c.beep) << c.what;
    }
}

// Keys through the reader and the main loop, as the screen shows them.
using KeysTest = test::EditorTest;
// The reader takes keys from the terminal until a sequence is whole, applies the
// mode and rings the bell for a refused key.
TEST_F(KeysTest, ReadsWholeSequencesFromTheTerminal) {
    test::fake_screen().keys = {ESC, ESC, ESC, 'f', ESC, ESC, 'g', ESC, '[', '1', ';', '5', 'D', 1, 'z'};
    EXPECT_EQ(ReadKey(), 'f');
    EXPECT_EQ(ReadKey(), 'g');   // ESC ESC, or ESC ESC ESC, is a single ESC
    EXPECT_EQ(Mode, MODE_COMMAND);
    Mode = MODE_INSERT;
    EXPECT_EQ(ReadKey(), '(');
    EXPECT_EQ(bells(), 0);
    EXPECT_EQ(ReadKey(), 'I');
    EXPECT_EQ(bells(), 1);
    Mode = MODE_INSERT;
    EXPECT_EQ(ReadKey(), 'z');
    EXPECT_EQ(Mode, MODE_INSERT);
}

TEST_F(KeysTest, RepeatCountIsEchoedRubbedOutAndCancelled) {
    open({std::string(60, '.'), "def"});
    keys("\x1b" "12");
    EXPECT_TRUE(shows(0, {"%12" + std::string(68, ' ') + "      CMD"}, {0, 3}));
    keys({CODE_BACKSPACE});   // rubs out the last digit only
    EXPECT_EQ(row(0).substr(0, 4), "%1  ");
    EXPECT_EQ(cursor(), (Pos{0, 2}));
    keys("5");
    EXPECT_EQ(row(0).substr(0, 4), "%15 ");
    // A count turns the cursor key's ESC form (WordRight) into right.
    keys({CODE_RIGHT});
    EXPECT_EQ(cursor(), (Pos{2, 15}));
    EXPECT_EQ(row(0).substr(0, 8), "test.txt");
    EXPECT_EQ(mode_shown(), "      INS");
    // ESC Enter cancels: no command, no new line, back in insert mode; a count goes with it.
    keys({ESC, ENTER, 'x'});
    EXPECT_TRUE(shows(2, {std::string(15, '.') + "x" + std::string(45, '.'), "def"}, {2, 16}));
    keys("\x1b" "4");
    keys({ENTER});
    EXPECT_EQ(mode_shown(), "      INS");
    keys({CODE_RIGHT});
    EXPECT_EQ(cursor(), (Pos{2, 17}));
    // A ninth digit is refused with the bell; "*" starts afresh.
    keys("\x1b" "123456789");
    EXPECT_EQ(row(0).substr(0, 10), "%12345678 ");
    EXPECT_EQ(bells(), 1);
    keys("*");
    EXPECT_EQ(row(0).substr(0, 3), "%* ");
}

TEST_F(KeysTest, AgainRepeatsTheLastRememberedCommandWithItsCount) {
    open(numbered(12));
    keys("\x1b" "2l");
    EXPECT_EQ(row(2), "line 3");
    keys({CODE_F1});
    EXPECT_EQ(row(2), "line 5");
    EXPECT_EQ(row(9), "line 12");
    // Motions are not remembered: Again still deletes two lines.
    keys({CODE_DOWN, ESC, 'a'});
    EXPECT_TRUE(shows(3, {"line 8"}, {3, 0}));
    EXPECT_EQ(text().size(), 6u);
}

// F1 before any remembered command is Again of the insert/overwrite toggle. A sequence
// whose ESC came alone (a look finds nothing after it) is decoded all the same.
TEST_F(KeysTest, TheFirstAgainAndSequencesSplitAfterTheirESC) {
    open({"one two", "three"});
    keys({CODE_F1});
    EXPECT_EQ(mode_shown(), "      OVR");
    keys("\x1b\xff[[A");   // F1 of the Linux console
    EXPECT_EQ(mode_shown(), "      INS");
    press(CODE_RIGHT, CODE_RIGHT, CODE_RIGHT, "\x1b\xff[21~");   // F10: delete to the end of the line
    EXPECT_TRUE(shows(2, {"one"}, {2, 3}));
    keys("\x1b\xff[19~\xff");   // F8: the Edit menu
    EXPECT_TRUE(waits().back().rows[0].starts_with("File  New  Menu  + : "));
}

TEST_F(KeysTest, BytesThatAreNoCommand) {
    open({"text"});
    keys({0xE9});
    EXPECT_EQ(shown_message(), "Unknown command");
    EXPECT_EQ(mode_shown(), "      INS");
    keys("a");
    EXPECT_EQ(shown_message(), "ESC-h for Help");
    EXPECT_EQ(row(2), "atext");
    keys("\x1by");
    EXPECT_EQ(shown_message(), "Unknown command");
    keys({ESC, 0xFF, 'b'});
    EXPECT_TRUE(shows(2, {"abtext"}, {2, 2}));
    EXPECT_EQ(mode_shown(), "      INS");
}

// Mouse reports as the terminal classifies them: a click moves the cursor, a
// release or a report outside the screen is nothing, anything else is refused.
TEST_F(KeysTest, MouseReportsFromTheTerminal) {
    open({"first", "second line"});
    auto click = [&](int32_t row, int32_t col, MouseReport report = MouseReport::Click) {
        test::fake_screen().mice = {{report, row, col}};
        keys({CODE_MOUSE});
        return cursor();
    };
    EXPECT_EQ(click(3, 7), (Pos{3, 7}));
    EXPECT_EQ(click(3, 2, MouseReport::Release), (Pos{3, 7}));
    EXPECT_EQ(click(30, 2), (Pos{3, 7}));
    EXPECT_EQ(click(15, 30), (Pos{3, 30})) << "below the last line: the last line";
    EXPECT_EQ(click(1, 2), (Pos{2, 2})) << "on the separator: the top text row";
    keys("\x1b)");
    click(3, 5);
    EXPECT_EQ(col(), 45) << "in a view scrolled sideways, from its left column";
    click(2, 2, MouseReport::Other);
    EXPECT_EQ(shown_message(), "Unsupported mouse event");
    EXPECT_EQ(bells(), 1);
}

TEST(KeyReader, RepeatedCommandsBecomeTheirSingleSteps) {
    for (auto [repeated, single] : {std::pair{']', '.'}, {'[', ','}, {'{', '^'}, {'}', '$'}, {'W', 'D'}, {'\\', 'B'},
                                    {'~', 'F'}, {'f', 'f'}})
        EXPECT_EQ(MapRepeatedCommand(command_index(repeated)), single) << repeated;
}

// Keys typed while a counted command runs wait in the pending queue. An ESC among
// them ends the repetition at the panel it opened; the keys after it stay, in order.
// Without a count the ESC is a command prefix as always.
TEST_F(KeysTest, RepeatEscapeAtAPanelEndsTheRepetition) {
    open({"abc"});
    for (KeyCode k : {KeyCode{'x'}, KeyCode{ESC}, KeyCode{'y'}, KeyCode{'z'}}) QueuePendingKey(k);
    command("5h");
    EXPECT_EQ(ReadRawKey(), 'y');
    EXPECT_EQ(ReadRawKey(), 'z');
    EXPECT_EQ(ReadRawKey(), ENTER) << "the help panel ran once and the queue is empty";
    EXPECT_FALSE(StopRepeating);

    for (KeyCode k : {KeyCode{ESC}, KeyCode{'y'}, KeyCode{'z'}}) QueuePendingKey(k);
    command("h");
    EXPECT_EQ(ReadRawKey(), ENTER) << "ESC y and z were refused by the panel";
    while (ReadRawKey() != ENTER) {}
}

// Typed ahead of a long repetition: an ESC ends it at once, the keys before it are kept, in order.
TEST_F(KeysTest, EscapeTypedAheadEndsALongRepetition) {
    open({"---"});
    keys("\x1b" "99999999v" "ab\x1b" "c");
    EXPECT_TRUE(shows(2, {"abc---"}, {2, 3}));
    EXPECT_EQ(mode_shown(), "      INS");
}

TEST(CommandTable, AgainAndUndoFlags) {
    for (int32_t i = 0; i < COMMAND_COUNT; ++i) {
        char c = COMMAND_LETTERS[i];
        EXPECT_EQ(command_at(i).again, std::string_view("bflprwx#DWCXVkcu").find(c) != std::string_view::npos) << c;
        EXPECT_EQ(command_at(i).keepsUndo, c != 'e' && c != 'g' && c != 'n') << c;
    }
}

}  // namespace
}  // namespace qx
