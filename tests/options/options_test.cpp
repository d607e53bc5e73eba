// The options menu and "~/.qx.opt", with HOME in a private directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>

#include "store/message_ids.h"
#include "support/editor_test.h"
#include "support/temp_dir.h"

namespace qx {
namespace {

class OptionsTest : public test::EditorTest {
protected:
    test::TempDir home;
    std::string old_home = std::getenv("HOME") ? std::getenv("HOME") : "";

    void SetUp() override {
        EditorTest::SetUp();
        ::setenv("HOME", home.path().c_str(), 1);
        open({"x"});
    }
    void TearDown() override {
        ::setenv("HOME", old_home.c_str(), 1);
        EditorTest::TearDown();
    }
    // The state line a sub-menu showed when the keys ran out, or at a LOOK.
    std::string state() { return waits().empty() ? "(not seen)" : waits()[0].rows[2]; }
    // The defaults as file bytes, with a little-endian 32-bit value put at offset.
    static std::string block(std::initializer_list<std::pair<int, int32_t>> values) {
        std::string bytes(reinterpret_cast<const char*>(&DEFAULT_OPTIONS), sizeof DEFAULT_OPTIONS);
        for (auto [at, v] : values) std::memcpy(bytes.data() + at, &v, 4);
        return bytes;
    }
};

TEST_F(OptionsTest, EverySettingIsSavedAndReadAtTheNextStart) {
    keys("\x1bo" "TIOT8\n\n" "ID\n" "WEJL\x1bk2\nR\x1bk60\n\n" "CF\x1bkgreen\nB\x1bkblue\nA\n"
         "MS\x1bk#\nE\x1bk@\n\n" "RD\n" "Fd\n" "S" "\xff" "\n");
    EXPECT_EQ(state(), "> Options saved to ~/.qx.opt - loaded by QX at next start");
    EXPECT_EQ(bells(), 0);
    const std::string saved("35g\0" "\x08\0\0\0" "\0\0\0\0" "\x01\0\0\0" "\0\0\0\0" "\x01\0\0\0" "\0\0\0\0"
                            "\x02\0\0\0" "\x3c\0\0\0" "\0\0\0\0" "\x04\0" "\x02\0" "#@\0\0" "\0\0\0\0", 52);
    EXPECT_EQ(home.read(".qx.opt"), saved);
    EXPECT_EQ(test::fake_screen().pairFg[1], 2) << "the colours apply at once";
    EXPECT_EQ(row(0).substr(66, 3), "(w)");
    EXPECT_EQ(CurrentFile.text.format, 'd');

    Options = DEFAULT_OPTIONS;
    EXPECT_EQ(load_options(), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&Options), 52), saved);
}

TEST_F(OptionsTest, AFileIsTakenAsItIsExceptWhatWouldBreakTheEditor) {
    struct Case {
        std::string bytes;
        int32_t tabstop, left, right;
        int16_t foreground;
        char start;
    } cases[] = {
        {std::string("35g\0\x08\0\0\0", 8), 8, -1, 72, -1, '^'},   // a short file changes what it covers
        {block({{4, 0}}), 4, -1, 72, -1, '^'},
        {block({{4, 383}, {28, 10}, {32, 40}}), 4, 10, 40, -1, '^'},
        {block({{28, 80}, {32, 40}}), 4, -1, 72, -1, '^'},
        {block({{32, 600}}), 4, -1, 72, -1, '^'},
        {block({{40, 0x00070009}, {44, 0x0123}}), 4, -1, 72, 7, '#'},   // the end anchor 1 falls back
    };
    for (const Case& c : cases) {
        Options = DEFAULT_OPTIONS;
        home.write(".qx.opt", c.bytes);
        EXPECT_EQ(load_options(), 0);
        const OptionsBlock& o = Options;
        EXPECT_EQ(std::tuple(o.tabstop, o.leftMargin, o.rightMargin, o.foreground, o.background, o.startOfLineMatch,
                             o.endOfLineMatch),
                  std::tuple(c.tabstop, c.left, c.right, c.foreground, int16_t{-1}, c.start, '$'));
    }

    // A tab stop of 8 read from the file: typed and read TABs reach the next multiple of 8.
    reset();
    home.write(".qx.opt", block({{4, 8}}));
    load_options();
    home.write("t.txt", "a\tb\n");
    open_files({home.file("t.txt").c_str()});
    keys("\t");
    EXPECT_EQ(text(), (Lines{"        a       b"}));

    // No HOME, or one too long for a path: the block stays and Save says it failed.
    for (const std::string& value : {std::string(), std::string(5000, 'h')}) {
        value.empty() ? ::unsetenv("HOME") : ::setenv("HOME", value.c_str(), 1);
        EXPECT_EQ(load_options(), MSG_CANNOT_OPEN);
        EXPECT_EQ(Options.tabstop, 8);
        keys("\x1boS");
        EXPECT_EQ(state(), "> Could not save options to ~/.qx.opt");
    }
}

TEST_F(OptionsTest, SubMenusRefuseWhatTheyCannotUse) {
    std::pair<std::string, std::string> cases[] = {
        {"Fd", "> Text file format is DOS/Win"},
        {"Fdx", "> Text file format is Linux"},
        {"WR\x1bk600\n", "Invalid right margin"},
        {"WL\x1bk72\n", "Invalid left margin"},
        {"TT0\n", "> Input xlate ON, Output xlate OFF, Tabstop = 4"},
        {"CF\x1bkred\nB\x1bkred\nA", "> Foreground and Background colors must be different"},
        {"CF\x1bkpink\n", "Unrecognized color - must be on palette"},
        {"CF\x1bkdefault\nB\x1bkDEFAULT\nA", "> Displayed foreground color is Default, background color is Default"},
        {"CF\x1bkgreen\n", "> Working foreground color is Green, background color is Default"},
        {"MS\x1bk\n", "> Find/Replace uses ^ to match Start-ofline, and $ to match End-of-line"},
    };
    for (const auto& [k, seen] : cases) {
        keys("\x1bo" + k);
        EXPECT_EQ(state(), seen) << k;
        EXPECT_EQ(CurrentFile.text.format, k == "Fd" ? 'd' : 'u') << "the last key decides";
    }
    EXPECT_EQ(std::memcmp(&Options, &DEFAULT_OPTIONS, sizeof Options), 0) << "nothing refused was taken";
    int32_t rung = bells();
    keys("\x1bo" "MQ");
    EXPECT_EQ(bells(), rung) << "Query is a choice";
    keys("\x1bo" "TX");
    EXPECT_EQ(bells(), rung + 1) << "a key the Tabs menu has no use for rings";
    keys("\x1bo" "CF\x1bkgreen\nA");
    EXPECT_EQ(Options.foreground, 2) << "a lower-case name is on the palette";
}

}  // namespace
}  // namespace qx
