// Screen-test harness: the qx binary on a pseudo-terminal, with a libvterm
// model of what an xterm would show. Rows and columns are 0-based. Every
// timeout is multiplied by QX_TEST_TIMEOUT_SCALE (e.g. 3 under sanitizers).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct VTerm;
struct VTermScreen;

namespace qx::test {

// `static`: each test file sees its own build's QX_BINARY_PATH.
static inline std::string qx_binary() {
#ifdef QX_BINARY_PATH
  return QX_BINARY_PATH;
#else
  return "qx";
#endif
}

using std::chrono::milliseconds;

// Keys as an xterm sends them, following the cursor-key and keypad modes.
enum class Key {
  Up, Down, Left, Right, Home, End, PageUp, PageDown, Insert, Delete, Enter, Tab, Backspace,
  KP5, KP_Plus, KP_Minus, KP_Mult, KP_Divide, KP_Enter,
  F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
};

enum class Mod : unsigned { None = 0, Shift = 1, Ctrl = 4 };

struct Pos {
  int row = 0;
  int col = 0;
  friend bool operator==(const Pos&, const Pos&) = default;
};

class OutputFixer;

inline const std::string HINT = "ESC-h for Help";

// Lines "line 1" .. "line n", each ending in LF.
std::string numbered_lines(int n);

// The editor on one pseudo-terminal as an xterm-256color (or `term`) with ESCDELAY=25 and LANG=C,
// in a private HOME and working directory (removed with it); only PATH, TERMINFO*,
// TMPDIR and sanitizer options come from the caller. Output is read only while
// waiting: wait for the screen to show what you expect before reading it.
class QxScreen {
 public:
  explicit QxScreen(std::vector<std::string> args = {}, int cols = 80, int rows = 24);
  ~QxScreen();
  QxScreen(const QxScreen&) = delete;
  QxScreen& operator=(const QxScreen&) = delete;

  // The terminal type the program is told, until start().
  std::string term = "xterm-256color";

  // Throws std::runtime_error if the terminal cannot be made.
  void start(const std::string& program = qx_binary());
  // Starts and waits for the editing screen (the separator on row 1).
  bool start_editing();

  // Relative paths are taken inside the working directory.
  std::string path(std::string_view relpath) const;
  void write_file(std::string_view relpath, std::string_view bytes) const;
  std::string read_file(std::string_view relpath) const;

  // Input is queued and delivered without blocking, also while waiting.
  void send(std::string_view bytes);
  void type(std::string_view text) { send(text); }
  void esc(std::string_view keys) { send("\x1b" + std::string(keys)); }
  void key(Key k, Mod mods = Mod::None);
  // Buttons 1-3, 4/5 the wheel; sent only if the program enabled the mouse.
  void click(int col, int row, int button = 1);
  // The program gets SIGWINCH. `late` is output written for the old size that reaches the terminal after it
  // changed size, as happens when a resize comes while the program draws.
  void resize(int cols, int rows, std::string_view late = {});

  // One byte per cell; line-drawing characters read as '-', '|' or '+'.
  std::string row(int r) const;
  std::string row_trimmed(int r) const;
  Pos cursor() const;
  // Palette numbers of a cell's foreground and background; -1 for the default.
  std::pair<int, int> colours(Pos at) const;
  std::optional<Pos> find(std::string_view needle) const;
  int bell_count() const { return bell_count_; }
  bool mouse_reporting() const { return mouse_reporting_; }
  bool alt_screen() const { return alt_screen_; }
  // The message area of an 80-column screen, without trailing blanks.
  std::string message80() const;
  // The screen, cursor, process state and last timed-out wait, for failure messages.
  std::string dump() const;

  // False on timeout, or once the program has exited and its output is drained.
  bool wait_for(const std::function<bool()>& pred, milliseconds timeout = milliseconds(10'000));
  // Pumps until nothing has arrived or waited to be read for `quiet`. That
  // cannot prove the program handled all input: use it only to check that
  // something did NOT happen.
  bool settle(milliseconds quiet = milliseconds(150));

  bool running() { return !reap(); }
  // Waits for the child to exit and takes in its remaining output.
  bool wait_exit();
  // Exit code after a normal exit, else -1.
  int exit_status() const;
  // Bytes the program wrote to the terminal, as far as waiting took them in.
  std::uint64_t bytes_received() const { return bytes_received_; }
  pid_t pid() const { return pid_; }

 private:
  struct Hooks;
  bool pump(milliseconds max_wait);
  void flush_input();
  bool reap();
  bool output_done() const { return reaped_ && output_eof_; }

  std::vector<std::string> args_;
  std::string root_, home_, workdir_;
  int cols_, rows_;
  VTerm* vt_ = nullptr;
  VTermScreen* screen_ = nullptr;
  std::unique_ptr<OutputFixer> fixer_;
  bool mouse_reporting_ = false;
  bool alt_screen_ = false;
  int bell_count_ = 0;
  int master_ = -1;
  bool output_eof_ = false;
  std::uint64_t bytes_received_ = 0;
  std::string pending_input_;
  pid_t pid_ = -1;
  bool reaped_ = false;
  int wait_status_ = 0;
  std::string last_timeout_;
};

}  // namespace qx::test

// Fails the test unless `cond` becomes true within the default timeout.
#define QX_SCREEN_CHECK_(session, cond, fail)                          \
  switch (0)                                                           \
  case 0:                                                              \
  default:                                                             \
    if ((session).wait_for([&] { return static_cast<bool>(cond); })) { \
    } else                                                             \
      fail() << "timed out waiting for: " #cond "\n" << (session).dump()
#define QX_ASSERT_SCREEN(session, cond) QX_SCREEN_CHECK_(session, cond, FAIL)
#define QX_EXPECT_SCREEN(session, cond) QX_SCREEN_CHECK_(session, cond, ADD_FAILURE)
