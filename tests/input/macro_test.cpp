// Keystroke macros: recording below the key decoder, playback with counts, Again
// and undo, the macro menu's messages, macro files and the list panel.
#include <gtest/gtest.h>

#include <string>

#include "input/macro.h"
#include "store/memory.h"
#include "support/editor_test.h"
#include "support/temp_dir.h"

namespace qx {
namespace {

class MacroTest : public test::EditorTest {
protected:
    test::TempDir dir;
    test::InDir in{dir.path()};
    void SetUp() override { EditorTest::SetUp(); open({"x"}); }

    // Creates a macro recording the keys in between.
    void record(const std::string& name, const std::string& k) { keys("\x1bmC" + name + "\n" + k + "\x1bmS"); }
    // Starts a playback; the ESC v after it is what the end of the playback reads.
    void play(const std::string& k) { keys(k + "\x1bv"); }
    // A macro file as written for a macro of that name and keys.
    static std::string image(const std::string& name, const std::string& k, uint32_t count) {
        std::string bytes(MACRO_FILE_SIZE, '\0');
        auto put = [&](std::size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) bytes[at + i] = char(v >> 8 * i); };
        bytes.replace(8, 3, "35g");
        put(12, 0x55AA), put(16, 0xAA55), put(20, count);
        bytes.replace(24, name.size(), name);
        for (std::size_t i = 0; i < k.size(); ++i) put(44 + 4 * i, static_cast<unsigned char>(k[i]));
        return bytes;
    }
};

TEST_F(MacroTest, RecordedKeysPlayBackAndTheMenuReportsWhatItRefuses) {
    keys("\x1bmCab3\nab\n");
    EXPECT_EQ(row(0).substr(66, 4), "(mi)") << "the flags show the recording";
    keys("\x1bmS");
    EXPECT_EQ(message(), "Macro defined: ab3");
    ASSERT_NE(FindMacro("ab3"), nullptr);
    EXPECT_EQ(FindMacro("ab3")->keyCount, 3) << "a, b and Enter; the stopping ESC m S are dropped";
    play("\x1bxab3\n");
    EXPECT_EQ(text(), (Lines{"ab", "ab", "x"}));

    std::pair<std::string, std::string> cases[] = {
        {"\x1bmCe\n\x1bmS", "Empty macro - deleted"},
        {"\x1bmCab3\n", "Macro already exists"},
        {"\x1bmC\n", "Macro already exists"},   // the new, unnamed record finds itself
        {"\x1bmS", "Not creating a macro"},
        {"\x1bxnone\n", "No such macro"},
        {"\x1bmCr\nq\x1bmD", "Cannot nest macros"},
        {"\x1bx", "Cannot nest macros"},
        {"\x1bmS\x1bmDr\n", "r deleted"},
    };
    for (const auto& [k, shown] : cases) {
        keys(k);
        EXPECT_EQ(message(), shown) << k;
    }
    EXPECT_EQ(Macros.count, 1u);
}

// A paste is recorded as the keys it gave, without its markers or what was dropped.
TEST_F(MacroTest, APasteWhileRecordingIsRecordedAsItsKeys) {
    record("p", "\x1b[200~a\x01" "b\x1b[201~");
    EXPECT_EQ(text(), (Lines{"abx"}));
    play("\x1bxp\n");
    EXPECT_EQ(text(), (Lines{"ababx"}));
}

TEST_F(MacroTest, ACountedPlaybackIsUndoneInOneStepAndAgainReplaysIt) {
    record("m", "abc\x1b#");   // Rubout is a command Again would otherwise take
    EXPECT_EQ(text(), (Lines{"abx"}));
    int32_t items = undo_items();
    play("\x1b" "3xm\n");
    EXPECT_EQ(text(), (Lines{"ababababx"}));
    press(CODE_F1, "\x1bv");
    EXPECT_EQ(text(), (Lines{"abababababababx"})) << "Again plays the macro three times without asking";
    EXPECT_EQ(undo_items(), items + 2);
    keys("\x1bu");
    EXPECT_EQ(text(), (Lines{"ababababx"}));
    keys("\x1bu");
    EXPECT_EQ(text(), (Lines{"abx"}));
}

// A macro that plays itself gives the keyboard back at ESC; a full recording keeps
// its 511 keys, as the stopping keys were never recorded.
TEST_F(MacroTest, ESCStopsAMacroThatPlaysItselfAndAFullRecordingKeepsItsKeys) {
    record("me", "\x1bxme\n");   // refused while recording, kept for the playback
    keys("\x1bxme\n\x1b\xffz");
    ASSERT_FALSE(waits().empty());
    EXPECT_NE(waits()[0].rows[0].find("Macro stopped"), std::string::npos);
    EXPECT_EQ(text(), (Lines{"me", "zx"}));
    EXPECT_EQ(row(0).substr(66, 4), "(i) ") << "no playback or recording left";
    record("full", std::string(520, '\n'));
    EXPECT_EQ(FindMacro("full")->keyCount, MACRO_KEY_LIMIT);
}

TEST_F(MacroTest, MacroFilesAreWrittenByteExactAndReadBack) {
    record("mac", "ab");
    keys("\x1bmWmac\nmac.qxm\n");
    EXPECT_EQ(message(), "mac.qxm written");
    EXPECT_EQ(dir.read("mac.qxm"), image("mac", "ab\x1bmS", 2)) << "the slots past the count as they are";
    keys("\x1bmWmac\nmac.qxm\nn");
    EXPECT_EQ(message(), "Could not open requested file") << "the overwrite declined";

    keys("\x1bmRmac.qxm\n");
    EXPECT_EQ(message(), "mac.qxm read");
    ASSERT_EQ(Macros.count, 2u);
    auto* copy = static_cast<Macro*>(Macros.last);
    EXPECT_EQ(FindMacro("mac"), Macros.first);
    EXPECT_EQ(std::string(copy->name), "mac");
    EXPECT_EQ(std::vector<KeyCode>(copy->keys, copy->keys + copy->keyCount), (std::vector<KeyCode>{'a', 'b'}));

    // Both magic numbers make a macro file, whatever else it holds; the count and
    // the name are cut to what the record can hold.
    std::string odd = image(std::string(20, 'N'), std::string(512, 'z'), 100000);
    dir.write("odd", odd);
    odd[16] = 0x54;
    dir.write("bad", odd);
    keys("\x1bmRbad\n");
    EXPECT_EQ(message(), "Not a QX macro file");
    keys("\x1bmRnone\n");
    EXPECT_EQ(shown_message(), "Could not open requested file");
    keys("\x1bmRodd\n");
    Macro* read = FindMacro(std::string(19, 'N'));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->keyCount, MACRO_KEY_LIMIT);
}

TEST_F(MacroTest, TheListPanelShowsEighteenMacrosOn24Rows) {
    for (int i = 0; i < 20; ++i) {
        auto* m = valloc_record<Macro>();
        std::snprintf(m->name, sizeof m->name, "m%d", i);
        m->keyCount = 100 + i;
        list_append(Macros, m);
    }
    keys("\x1bmL");
    ASSERT_EQ(waits().size(), 1u);
    const auto& shown = waits()[0].rows;
    EXPECT_EQ(shown[0], "                       Linux QX v3.5g - Available Macros");
    EXPECT_EQ(shown[3], "Idx     Macro Name              Macro Size");
    EXPECT_EQ(shown[4], "0       m0                      100");
    EXPECT_EQ(shown[21], "17       m17                    117");
    EXPECT_EQ(shown[22], std::string(80, '-'));
}

}  // namespace
}  // namespace qx
