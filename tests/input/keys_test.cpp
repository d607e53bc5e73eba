#include <gtest/gtest.h>

#include <initializer_list>

#include "app/dispatch.h"
#include "input/keys.h"
#include "support/editor_test.h"

namespace qx {
namespace {

struct Decoded {
    int key;
    bool command;
};

// Feeds raw keys through the start-up queue, as the terminal would deliver them,
// and decodes one key from them in the given mode.
Decoded decode(std::initializer_list<KeyCode> raw, int32_t mode = MODE_INSERT) {
    for (KeyCode k : raw) QueueStartupKey(k);
    Mode = mode;
    int key = ReadKey();
    Decoded d{key, Mode == MODE_COMMAND};
    while (ReadRawKey() != ENTER) {}   // drop what is left; an empty queue answers Enter
    Mode = MODE_INSERT;
    return d;
}

TEST(KeyReader, EscapeSequencesOfXtermTerminals) {
    EXPECT_EQ(decode({ESC, 'O', 'P', ENTER}).key, 'a') << "F1 as ESC O P is Again";
    EXPECT_EQ(decode({ESC, '[', '1', '5', '~', ENTER}).key, 'f') << "F5";
    EXPECT_EQ(decode({ESC, '[', '2', '4', '~', ENTER}).key, 'q') << "F12";
    EXPECT_EQ(decode({ESC, '[', '[', 'C', ENTER}).key, 'c') << "F3 of the console";
    EXPECT_EQ(decode({ESC, '[', '3', '~', ENTER}).key, 'D') << "Delete";
    EXPECT_EQ(decode({ESC, '[', '2', '~', ENTER}).key, 'I') << "Insert";
    EXPECT_EQ(decode({ESC, 'O', 'k', ENTER}).key, 'n') << "keypad + in application mode";
    EXPECT_EQ(decode({ESC, 'O', 'o', ENTER}).key, 'z') << "keypad /";
    EXPECT_EQ(decode({ESC, 'O', 'E', ENTER}).key, ':') << "keypad centre";
    EXPECT_EQ(decode({ESC, 'O', 'M', ENTER}).key, ENTER) << "keypad Enter is Enter";
    EXPECT_EQ(decode({ESC, '[', '1', ';', '5', 'C', ENTER}).key, ')') << "Ctrl-Right acts as Shift-Right";
    EXPECT_EQ(decode({ESC, '[', '1', ';', '2', 'A', ENTER}).key, '-') << "Shift-Up";
    EXPECT_EQ(decode({ESC, '[', '1', ';', '3', 'B', ENTER}).key, '+') << "Alt-Down";
    Decoded home = decode({ESC, '[', '1', ';', '2', 'H', ENTER});
    EXPECT_EQ(home.key, 'I');
    EXPECT_TRUE(home.command);
    EXPECT_EQ(decode({ESC, '[', 'Z', ENTER}).key, 'I') << "an unknown sequence becomes the command I";
    EXPECT_EQ(decode({ESC, '[', 'P', ENTER}).key, 'I') << "a recognised sequence without a command";
}

TEST(KeyReader, EscapeThenKeyIsACommand) {
    Decoded f = decode({ESC, 'f', ENTER});
    EXPECT_EQ(f.key, 'f');
    EXPECT_TRUE(f.command);
    Decoded twice = decode({ESC, ESC, 'f', ENTER});
    EXPECT_EQ(twice.key, 'f');
    EXPECT_TRUE(twice.command) << "ESC ESC f is ESC f";
    Decoded enter = decode({ESC, ENTER});
    EXPECT_EQ(enter.key, ENTER);
    EXPECT_TRUE(enter.command) << "ESC Enter reaches the dispatcher, which cancels";
    Decoded nul = decode({ESC, 0, ENTER});
    EXPECT_EQ(nul.key, 'i');
    EXPECT_FALSE(nul.command) << "ESC and a key of code 0 give a typed i";
}

TEST(KeyReader, EscapeOAndEscapeBracketAlwaysStartASequence) {
    // ESC O waits for the key that ends the sequence: the Overwrite command is
    // reached by the Insert key or a count, never by ESC O alone.
    Decoded o = decode({ESC, 'O', 'x', ENTER});
    EXPECT_EQ(o.key, 'I');
    EXPECT_TRUE(o.command);
    Decoded bracket = decode({ESC, '[', 'x', ENTER});
    EXPECT_EQ(bracket.key, 'I');
    EXPECT_TRUE(bracket.command);
    // The modifier and the final letter belong to the sequence; the key after it does not.
    for (KeyCode k : std::initializer_list<KeyCode>{ESC, '[', '1', ';', '5', 'D', 'z'}) QueueStartupKey(k);
    Mode = MODE_INSERT;
    EXPECT_EQ(ReadKey(), '(');
    Mode = MODE_INSERT;
    EXPECT_EQ(ReadKey(), 'z');
    EXPECT_EQ(Mode, MODE_INSERT);
    Decoded page = decode({ESC, '[', '6', '~', ENTER});
    EXPECT_EQ(page.key, 'F') << "Page Down from the sequence, in its plain form";
    EXPECT_TRUE(page.command);
}

TEST(KeyReader, ControlKeysAndSpecialKeys) {
    EXPECT_EQ(decode({127}).key, '#');
    EXPECT_EQ(decode({8}).key, '#') << "CTL-h";
    EXPECT_EQ(decode({26}).key, 'u') << "CTL-z";
    EXPECT_EQ(decode({24}).key, 'X');
    Decoded bad = decode({1});
    EXPECT_EQ(bad.key, 'I');
    EXPECT_TRUE(bad.command);
    Decoded tab = decode({'\t'});
    EXPECT_EQ(tab.key, '\t');
    EXPECT_FALSE(tab.command);
    Decoded high = decode({0xE9});
    EXPECT_EQ(high.key, 0xE9);
    EXPECT_TRUE(high.command) << "bytes above 126 reach the dispatcher";
    Decoded letter = decode({'x'});
    EXPECT_EQ(letter.key, 'x');
    EXPECT_FALSE(letter.command);

    // Cursor and page keys depend on whether an ESC (or a count) came first.
    EXPECT_EQ(decode({CODE_LEFT}).key, ',');
    EXPECT_EQ(decode({CODE_LEFT}, MODE_COMMAND).key, '[');
    EXPECT_EQ(decode({ESC, CODE_LEFT, ENTER}).key, '[');
    EXPECT_EQ(decode({CODE_DOWN}, MODE_COMMAND).key, '}');
    EXPECT_EQ(decode({CODE_NPAGE}).key, 'F');
    EXPECT_EQ(decode({CODE_NPAGE}, MODE_COMMAND).key, '~');
    EXPECT_EQ(decode({CODE_PPAGE}, MODE_COMMAND).key, '\\');
    EXPECT_EQ(decode({CODE_DC}).key, 'D');
    EXPECT_EQ(decode({CODE_DC}, MODE_COMMAND).key, 'W');
    EXPECT_EQ(decode({CODE_F1 + 11}).key, 'q');
    EXPECT_EQ(decode({CODE_MOUSE}).key, '_');
    EXPECT_EQ(decode({KEY_SHIFT_UP}).key, '-');
    EXPECT_EQ(decode({CODE_SLEFT}).key, '(');
    EXPECT_EQ(decode({999}).key, 'I');
}

TEST(KeyReader, RepeatedCommandsBecomeTheirSingleSteps) {
    EXPECT_EQ(MapRepeatedCommand(command_index(']')), '.');
    EXPECT_EQ(MapRepeatedCommand(command_index('[')), ',');
    EXPECT_EQ(MapRepeatedCommand(command_index('{')), '^');
    EXPECT_EQ(MapRepeatedCommand(command_index('}')), '$');
    EXPECT_EQ(MapRepeatedCommand(command_index('W')), 'D');
    EXPECT_EQ(MapRepeatedCommand(command_index('\\')), 'B');
    EXPECT_EQ(MapRepeatedCommand(command_index('~')), 'F');
    EXPECT_EQ(MapRepeatedCommand(command_index('f')), 'f');
    EXPECT_EQ(command_index('\\'), 40);
    EXPECT_EQ(command_index('`'), 53);
    EXPECT_EQ(command_index('y'), -1);
}

// Keys typed while a counted command runs wait in the pending queue. An ESC among
// them ends the repetition at the panel it opened; the keys after it stay, in order.
// Without a count the ESC is a command prefix as always.
using RepeatCountTest = test::EditorTest;

TEST_F(RepeatCountTest, EscapeAtAPanelEndsTheRepetition) {
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

TEST(CommandTable, AgainAndUndoFlags) {
    for (char c : std::string_view("bflprwx#DWCXVkcu")) EXPECT_TRUE(command_at(command_index(c)).again) << c;
    for (char c : std::string_view("IOaeghijmnoqstUvz,.^$;][{}<>BF~-+()HML`:_A"))
        EXPECT_FALSE(command_at(command_index(c)).again) << c;
    for (int32_t i = 0; i < COMMAND_COUNT; ++i) {
        char c = COMMAND_LETTERS[i];
        EXPECT_EQ(command_at(i).keepsUndo, c != 'e' && c != 'g' && c != 'n') << c;
    }
}

}  // namespace
}  // namespace qx
