// Tests of the screen-test harness itself, driven by small shell programs.

#include "terminal_session.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace qx::test {
namespace {

using namespace std::chrono_literals;

SessionOptions shell(std::string script, int cols = 80, int rows = 24) {
  return {.argv = {"/bin/sh", "-c", std::move(script)}, .cols = cols, .rows = rows};
}

TEST(TerminalSession, CursorAddressingPlacesTextAndCursor) {
  TerminalSession s(shell(
      R"(printf '\033[2J\033[5;10Hhello\033[10;1Hworld\a\033[?25l\033[3;7H'; read x)"));
  ASSERT_TRUE(s.wait_for_cursor(2, 6)) << s.dump();

  EXPECT_EQ(s.row(4), std::string(9, ' ') + "hello" + std::string(66, ' '));
  EXPECT_EQ(s.row_trimmed(9), "world");
  EXPECT_EQ(s.row_trimmed(0), "");
  EXPECT_EQ(s.find("world"), (Pos{9, 0}));
  EXPECT_FALSE(s.cursor_visible());
  EXPECT_EQ(s.bell_count(), 1);

  const std::string all = s.text();
  EXPECT_EQ(all.size(), 24u * 80u + 23u);
  EXPECT_EQ(all.substr(4 * 81, 80), s.row(4));

  const std::string d = s.dump();
  EXPECT_NE(d.find("  4 |         hello "), std::string::npos) << d;
  EXPECT_NE(d.find("  2>|"), std::string::npos) << d;
}

TEST(TerminalSession, SgrAttributesShowInCells) {
  TerminalSession s(shell(
      R"(printf '\033[4;31mU\033[0m \033[1;7;44mB\033[0m \033[38;5;200mC\033[0mN'; read x)"));
  ASSERT_TRUE(s.wait_for_row_equals(0, "U B CN")) << s.dump();

  const CellAttrs u = s.cell_attrs(0, 0);
  EXPECT_EQ(u.ch, 'U');
  EXPECT_TRUE(u.underline);
  EXPECT_FALSE(u.bold);
  EXPECT_EQ(u.fg, 1);
  EXPECT_EQ(u.bg, CellAttrs::kDefaultColor);

  const CellAttrs b = s.cell_attrs(0, 2);
  EXPECT_TRUE(b.bold);
  EXPECT_TRUE(b.reverse);
  EXPECT_FALSE(b.underline);
  EXPECT_EQ(b.fg, CellAttrs::kDefaultColor);
  EXPECT_EQ(b.bg, 4);

  EXPECT_EQ(s.cell_attrs(0, 4).fg, 200);

  const CellAttrs n = s.cell_attrs(0, 5);
  EXPECT_EQ(n.ch, 'N');
  EXPECT_FALSE(n.underline || n.bold || n.reverse);
  EXPECT_EQ(n.fg, CellAttrs::kDefaultColor);
}

TEST(TerminalSession, BytesShowAsAnXtermOutsideUtf8Would) {
  // \351 is Latin-1 e-acute; \233 is the 8-bit CSI; ESC ( 0 selects line
  // drawing, where l q k are the top-left corner, a line and top-right.
  TerminalSession s(shell(R"(printf 'caf\351 \2331mB\033[0m \033(0lqk\033(B.'; read x)"));
  ASSERT_TRUE(s.wait_for_text(".")) << s.dump();
  EXPECT_EQ(s.row_trimmed(0), "caf\xe9 B +-+.");
  EXPECT_EQ(s.cell_attrs(0, 3).codepoint, 0xe9u);
  EXPECT_TRUE(s.cell_attrs(0, 5).bold);
  EXPECT_EQ(s.cell_attrs(0, 8).codepoint, 0x2500u);
}

TEST(TerminalSession, SequencesCursesUsesWork) {
  // CSI n b repeats the last character (here up to the right margin);
  // CSI ? 12;25 l sets two modes at once.
  TerminalSession s(shell(R"(printf 'ab\033[77bc\033[?12;25l\r\nnext'; read x)"));
  ASSERT_TRUE(s.wait_for_text("next")) << s.dump();
  EXPECT_EQ(s.row(0), "a" + std::string(78, 'b') + "c");
  EXPECT_EQ(s.row_trimmed(1), "next");
  EXPECT_FALSE(s.cursor_visible());
}

TEST(TerminalSession, ReportsExitStatus) {
  TerminalSession s(shell("exit 3"));
  ASSERT_TRUE(s.wait_exit()) << s.dump();
  EXPECT_FALSE(s.running());
  EXPECT_EQ(s.exit_status(), 3);
  EXPECT_EQ(s.exit_signal(), 0);
}

TEST(TerminalSession, ReportsDeathBySignal) {
  TerminalSession s({.argv = {"cat"}});
  EXPECT_TRUE(s.running());
  s.ctrl('c');  // the terminal turns ^C into SIGINT
  ASSERT_TRUE(s.wait_exit()) << s.dump();
  EXPECT_EQ(s.exit_signal(), SIGINT);
  EXPECT_EQ(s.exit_status(), -1);
}

TEST(TerminalSession, ChildSeesWindowSize) {
  for (auto [cols, rows] : {std::pair{80, 24}, {132, 43}, {80, 20}, {79, 24}, {600, 10}}) {
    SCOPED_TRACE(std::to_string(cols) + "x" + std::to_string(rows));
    TerminalSession s(shell("stty size", cols, rows));
    ASSERT_TRUE(s.wait_exit()) << s.dump();
    EXPECT_EQ(s.row_trimmed(0), std::to_string(rows) + " " + std::to_string(cols)) << s.dump();
    EXPECT_EQ(s.row(rows - 1).size(), static_cast<std::size_t>(cols));
  }
}

TEST(TerminalSession, ResizeReachesChild) {
  // `wait` returns when a trapped signal arrives, so the trap runs at once.
  TerminalSession s(
      shell(R"(trap 'stty size' WINCH; echo ready; sleep 1000 & while :; do wait; done)"));
  ASSERT_TRUE(s.wait_for_text("ready")) << s.dump();
  s.resize(100, 30);
  EXPECT_EQ(s.cols(), 100);
  EXPECT_EQ(s.rows(), 30);
  ASSERT_TRUE(s.wait_for_text("30 100")) << s.dump();
  EXPECT_EQ(s.row(29).size(), 100u);
}

// Runs a raw-mode reader that shows the next `nbytes` bytes it gets through
// `cat -v`, after printing `modes` (escape sequences) to the terminal.
struct KeyCase {
  const char* name;
  const char* modes;
  int nbytes;
  std::function<void(TerminalSession&)> press;
  const char* shown;
};

TEST(TerminalSession, KeysArriveAsAnXtermSendsThem) {
  const char* kAppCursor = R"(\033[?1h)";
  const char* kAppKeypad = R"(\033=)";
  const KeyCase cases[] = {
      {"Up", "", 3, [](auto& s) { s.key(Key::Up); }, "^[[A"},
      {"Up, application cursor mode", kAppCursor, 3, [](auto& s) { s.key(Key::Up); }, "^[OA"},
      {"Ctrl+Up", "", 6, [](auto& s) { s.key(Key::Up, Mod::Ctrl); }, "^[[1;5A"},
      {"Home, application cursor mode", kAppCursor, 3, [](auto& s) { s.key(Key::Home); },
       "^[OH"},
      {"End", "", 3, [](auto& s) { s.key(Key::End); }, "^[[F"},
      {"Delete", "", 4, [](auto& s) { s.key(Key::Delete); }, "^[[3~"},
      {"PageDown", "", 4, [](auto& s) { s.key(Key::PageDown); }, "^[[6~"},
      {"F1", "", 3, [](auto& s) { s.key(Key::F1); }, "^[OP"},
      {"F5", "", 5, [](auto& s) { s.key(Key::F5); }, "^[[15~"},
      {"F12", "", 5, [](auto& s) { s.key(Key::F12); }, "^[[24~"},
      {"KP5", "", 1, [](auto& s) { s.key(Key::KP5); }, "5"},
      {"KP5, application keypad", kAppKeypad, 3, [](auto& s) { s.key(Key::KP5); }, "^[Ou"},
      {"KP_Enter", "", 1, [](auto& s) { s.key(Key::KP_Enter); }, "^M"},
      {"KP_Enter, application keypad", kAppKeypad, 3, [](auto& s) { s.key(Key::KP_Enter); },
       "^[OM"},
      {"Enter", "", 1, [](auto& s) { s.key(Key::Enter); }, "^M"},
      {"Backspace", "", 1, [](auto& s) { s.key(Key::Backspace); }, "^?"},
      {"Escape", "", 1, [](auto& s) { s.key(Key::Escape); }, "^["},
      {"Shift+Tab", "", 3, [](auto& s) { s.key(Key::Tab, Mod::Shift); }, "^[[Z"},
      {"ctrl x", "", 1, [](auto& s) { s.ctrl('x'); }, "^X"},
      {"alt f", "", 2, [](auto& s) { s.alt('f'); }, "^[f"},
      {"typed text", "", 5, [](auto& s) { s.type("a b\x01"); s.send("z"); }, "a b^Az"},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    TerminalSession s({.argv = {"/bin/sh", "-c",
                                R"(stty raw -echo; printf "$1"; printf 'ready\r\n'; )"
                                R"(head -c "$2" | cat -v; printf '|\r\n')",
                                "sh", c.modes, std::to_string(c.nbytes)}});
    ASSERT_TRUE(s.wait_for_text("ready")) << s.dump();
    c.press(s);
    ASSERT_TRUE(s.wait_for_row_equals(1, std::string(c.shown) + "|")) << s.dump();
  }
}

// Curses enables SGR mouse reports as one sequence: CSI ? 1006;1000 h.
TEST(TerminalSession, MouseReportsOnlyWhenEnabled) {
  TerminalSession s(shell(
      R"(stty raw -echo; printf 'ready\r\n'; head -c 1 | cat -v; )"
      R"(printf '\033[?1006;1000h|on\r\n'; head -c 18 | cat -v; printf '|\r\n'; )"
      R"(head -c 40 | cat -v; printf '|\r\n')"));
  ASSERT_TRUE(s.wait_for_text("ready")) << s.dump();
  s.click(4, 2);  // reporting is off: must send nothing
  s.type("a");
  ASSERT_TRUE(s.wait_for_row_equals(1, "a|on")) << s.dump();

  s.click(4, 2);
  ASSERT_TRUE(s.wait_for_row_equals(2, "^[[<0;5;3M^[[<0;5;3m|")) << s.dump();

  s.double_click(0, 9, 3);
  ASSERT_TRUE(s.wait_for_row_equals(3, "^[[<2;1;10M^[[<2;1;10m^[[<2;1;10M^[[<2;1;10m|"))
      << s.dump();
}

TEST(TerminalSession, CanonicalLineIsReadAndEchoed) {
  TerminalSession s(shell(R"(printf 'name? '; read line; echo "got [$line]")"));
  ASSERT_TRUE(s.wait_for_cursor(0, 6)) << s.dump();
  s.type("hello");
  QX_ASSERT_SCREEN(s, s.row_trimmed(0) == "name? hello");  // the terminal echoes
  s.key(Key::Enter);
  QX_ASSERT_SCREEN(s, s.row_trimmed(1) == "got [hello]");
  ASSERT_TRUE(s.wait_exit()) << s.dump();
  EXPECT_EQ(s.exit_status(), 0);
}

TEST(TerminalSession, EnvironmentIsFixedAndPrivate) {
  TerminalSession s(shell(R"(echo "HOME=$HOME"; pwd; )"
                          R"(echo "TERM=$TERM LANG=$LANG LC_ALL=$LC_ALL ESCDELAY=$ESCDELAY")",
                          200, 24));
  ASSERT_TRUE(s.wait_exit()) << s.dump();
  EXPECT_EQ(s.row_trimmed(0), "HOME=" + s.home()) << s.dump();
  EXPECT_EQ(s.row_trimmed(1), s.workdir()) << s.dump();
  EXPECT_EQ(s.row_trimmed(2), "TERM=xterm-256color LANG=C LC_ALL=C ESCDELAY=25") << s.dump();
  EXPECT_NE(s.home(), s.workdir());
  EXPECT_TRUE(std::filesystem::is_directory(s.home()));
  if (const char* real_home = std::getenv("HOME")) {
    EXPECT_NE(s.home(), real_home);
  }
}

TEST(TerminalSession, EnvironmentCanBeOverridden) {
  TerminalSession s({.argv = {"/bin/sh", "-c", R"(echo "[${HOME-unset}] [$FOO] [${LANG-unset}]")"},
                     .env = {{"FOO", "bar"}, {"LANG", std::nullopt}},
                     .unset_home = true});
  ASSERT_TRUE(s.wait_exit()) << s.dump();
  EXPECT_EQ(s.row_trimmed(0), "[unset] [bar] [unset]") << s.dump();
}

TEST(TerminalSession, FilesAndWorkingDirectory) {
  TerminalSession s;
  s.write_file("sub/in.txt", "data\n");
  s.start({.argv = {"/bin/sh", "-c", "cat in.txt; printf 'x\\0y' > out.bin; chmod 600 out.bin"},
           .cwd = "sub"});
  ASSERT_TRUE(s.wait_exit()) << s.dump();
  EXPECT_EQ(s.exit_status(), 0) << s.dump();
  EXPECT_EQ(s.row_trimmed(0), "data");
  ASSERT_TRUE(s.file_exists("sub/out.bin"));
  EXPECT_FALSE(s.file_exists("out.bin"));
  EXPECT_EQ(s.read_file("sub/out.bin"), std::string("x\0y", 3));
  EXPECT_EQ(s.file_mode("sub/out.bin"), 0600u);
  EXPECT_EQ(s.read_file(s.workdir() + "/sub/in.txt"), "data\n");
}

TEST(TerminalSession, RemovesItsDirectoriesEvenWhenLockedDown) {
  std::filesystem::path home;
  {
    TerminalSession s;
    home = s.home();
    s.write_file(s.home() + "/locked/f", "x", 0400);
    std::filesystem::permissions(s.home() + "/locked", std::filesystem::perms::none);
  }
  EXPECT_FALSE(std::filesystem::exists(home.parent_path()));
}

TEST(TerminalSession, UnstartableProgramThrows) {
  TerminalSession s;
  EXPECT_THROW(s.start({.argv = {"/nonexistent/program"}}), std::runtime_error);
  TerminalSession t;
  EXPECT_THROW(t.start({.argv = {"qx-no-such-program-in-path"}}), std::runtime_error);
  TerminalSession u;
  EXPECT_THROW(u.start({.argv = {"/bin/true"}, .cwd = "missing-dir"}), std::runtime_error);
}

TEST(TerminalSession, WaitForGivesUpInBoundedTime) {
  TerminalSession s({.argv = {"cat"}});
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(s.wait_for_text("never", 300ms));
  const auto took = std::chrono::steady_clock::now() - t0;
  EXPECT_GE(took, scaled(300ms));
  EXPECT_LT(took, scaled(300ms) + 5s);
  EXPECT_NE(s.dump().find("last timeout: waiting for text \"never\""), std::string::npos)
      << s.dump();
}

TEST(TerminalSession, WaitForStopsOnceTheProgramHasExited) {
  TerminalSession s(shell("echo bye"));
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(s.wait_for_text("never"));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, scaled(default_timeout()) / 2);
  EXPECT_TRUE(s.find("bye").has_value());
  EXPECT_NE(s.dump().find("exited with status 0"), std::string::npos) << s.dump();
}

TEST(TerminalSession, DrainsLargeOutputIncludingAfterExit) {
  TerminalSession s({.argv = {"seq", "1", "50000"}});
  ASSERT_TRUE(s.wait_exit()) << s.dump();
  EXPECT_EQ(s.row_trimmed(22), "50000") << s.dump();
  EXPECT_EQ(s.cursor(), (Pos{23, 0}));
}

TEST(TerminalSession, LargeInputToAnEchoingProgramDoesNotDeadlock) {
  TerminalSession s(shell(R"(stty raw -echo; printf 'ready\r\n'; exec head -c 200000)"));
  ASSERT_TRUE(s.wait_for_text("ready")) << s.dump();
  s.type(std::string(199'999, 'x') + "E");
  ASSERT_TRUE(s.wait_exit()) << s.dump();
  EXPECT_EQ(s.exit_status(), 0);
  EXPECT_TRUE(s.find("xxxE").has_value()) << s.dump();
}

TEST(TerminalSession, SettleDistinguishesQuietFromBusy) {
  TerminalSession quiet({.argv = {"cat"}});
  EXPECT_TRUE(quiet.settle());

  TerminalSession busy({.argv = {"yes"}});
  EXPECT_FALSE(busy.settle(150ms, 500ms));
  EXPECT_TRUE(busy.find("y").has_value());
}

}  // namespace
}  // namespace qx::test
