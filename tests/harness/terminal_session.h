// Screen-test harness: runs a program on a pseudo-terminal, keeps a libvterm
// model of what an xterm would show, and lets tests type keys, click and read
// the screen back.
//
// Rows and columns are 0-based everywhere. Every timeout is multiplied by
// QX_TEST_TIMEOUT_SCALE (e.g. 3 under sanitizers), so tests can state the
// times a normal build needs.
//
// Typical use:
//
//   TerminalSession s;                                  // private HOME + workdir
//   s.write_file("a.txt", "one\ntwo\n");
//   s.start({.argv = {qx_binary(), "a.txt"}, .cols = 80, .rows = 24});
//   QX_ASSERT_SCREEN(s, s.row_trimmed(0) == "one");
//   s.key(Key::Down);
//   ASSERT_TRUE(s.wait_for_text("ready")) << s.dump();
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct VTerm;
struct VTermScreen;

namespace qx::test {

class OutputFixer;  // private to terminal_session.cpp

// Path of the qx executable under test, as configured by the build.
// `static` keeps the definition local to each test file, so a file compiled
// with QX_BINARY_PATH never shares it with one compiled without.
static inline std::string qx_binary() {
#ifdef QX_BINARY_PATH
  return QX_BINARY_PATH;
#else
  return "qx";
#endif
}

using std::chrono::milliseconds;

// 10 s before scaling.
milliseconds default_timeout();

// Keys as an xterm sends them. Cursor keys and the keypad follow the modes
// the program has set (cursor-key / keypad application mode).
enum class Key {
  Up, Down, Left, Right,
  Home, End, PageUp, PageDown, Insert, Delete,
  Enter, Tab, Backspace,
  F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12,
  KP5, KP_Plus, KP_Minus, KP_Mult, KP_Divide, KP_Enter,
};

enum class Mod : unsigned { None = 0, Shift = 1, Ctrl = 4 };

struct Pos {
  int row = 0;
  int col = 0;
  friend bool operator==(const Pos&, const Pos&) = default;
};
std::ostream& operator<<(std::ostream& os, const Pos& p);

struct SessionOptions {
  // argv[0] is the program, by its path; it runs in the private work directory.
  std::vector<std::string> argv = {};
  int cols = 80;
  int rows = 24;
};

// One program on one pseudo-terminal.
//
// The child sees TERM=xterm-256color, ESCDELAY=25, LANG=LC_ALL=C, a private HOME
// and PATH from the test process (plus TERMINFO*, TMPDIR and sanitizer
// options if set); nothing else leaks in from the caller's environment.
//
// Input is queued and written without blocking; whatever the program has
// not read yet is delivered while the session waits (wait_for, settle, ...).
// Output is read only while waiting, so always wait for the screen to show
// what you expect before reading it.
class TerminalSession {
 public:
  // Creates the private home and work directories; start() runs the program.
  TerminalSession();
  ~TerminalSession();

  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // Throws std::runtime_error if the program cannot be executed.
  void start(SessionOptions options);

  // --- private directories (removed with the session) ---------------------
  // Absolute paths pass through; relative ones are taken inside the work directory.
  std::string path(std::string_view relpath) const;
  // Creates parent directories as needed; mode is applied with chmod.
  void write_file(std::string_view relpath, std::string_view bytes,
                  mode_t mode = 0644) const;
  // Throws std::runtime_error if the file cannot be read.
  std::string read_file(std::string_view relpath) const;
  bool file_exists(std::string_view relpath) const;

  // --- input ---------------------------------------------------------------
  void send(std::string_view raw_bytes);
  // Text as typed; a '\n' is sent as LF, use key(Key::Enter) for Return.
  void type(std::string_view text) { send(text); }
  // After Escape, let the screen react before sending more: curses takes an
  // ESC followed quickly by other bytes as one key sequence.
  void key(Key k, Mod mods = Mod::None);
  // Control character for a letter or one of @[\]^_? (ctrl('?') is DEL).
  void ctrl(char c);
  // Mouse buttons are 1 (left), 2 (middle), 3 (right), 4/5 (wheel).
  // Bytes are sent only if the program enabled mouse reporting.
  // Note the (col, row) order, as in x/y.
  void click(int col, int row, int button = 1);

  // --- screen --------------------------------------------------------------
  int cols() const { return cols_; }
  int rows() const { return rows_; }
  // Exactly cols() characters, one per cell, blanks for empty cells. A cell
  // holds the byte the program wrote (A0-FF included, as an xterm outside
  // UTF-8 shows them); line-drawing characters read as '-', '|' or '+'.
  std::string row(int r) const;
  std::string row_trimmed(int r) const;
  // All rows joined by '\n'.
  std::string text() const;
  Pos cursor() const;
  // First occurrence of `needle` within a row, scanning top to bottom.
  std::optional<Pos> find(std::string_view needle) const;
  // Number of BEL characters received so far.
  int bell_count() const { return bell_count_; }
  // Picture of the screen for failure messages: numbered rows between bars,
  // the cursor marked, plus process state and the last wait that timed out.
  std::string dump() const;

  // --- waiting (each returns false on timeout, or early once the program
  //     has exited and its output is drained) -----------------------------
  bool wait_for(const std::function<bool()>& pred,
                milliseconds timeout = default_timeout());
  bool wait_for_text(std::string_view needle,
                     milliseconds timeout = default_timeout());
  bool wait_for_row_contains(int r, std::string_view needle,
                             milliseconds timeout = default_timeout());
  bool wait_for_row_starts_with(int r, std::string_view prefix,
                                milliseconds timeout = default_timeout());
  // Pumps until no output has arrived (and no input was waiting to be read)
  // for `quiet`. This cannot prove the program has handled all input, so
  // only use it to check that something did NOT happen; otherwise wait for
  // a positive change. False if activity went on until `timeout`.
  bool settle(milliseconds quiet = milliseconds(150),
              milliseconds timeout = default_timeout());

  // --- process -------------------------------------------------------------
  // True until the child has been reaped.
  bool running();
  // Waits for the child to exit and drains its remaining output.
  bool wait_exit(milliseconds timeout = default_timeout());
  // Exit code after a normal exit, else -1 (still running or signalled).
  int exit_status() const;
  // Bytes the program has written to the terminal so far, as it wrote them
  // (before any rewriting for the model); counts only what waiting took in.
  std::uint64_t bytes_received() const { return bytes_received_; }
  // User plus system CPU time the child has used so far, from /proc; 0 once
  // it has been reaped or if that cannot be read.
  double cpu_seconds() const;

  // Sets the window size; the program gets SIGWINCH.
  void resize(int cols, int rows);

 private:
  struct VTermDeleter {
    void operator()(VTerm* vt) const;
  };
  class Fd {
   public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    Fd& operator=(Fd&& o) noexcept;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset(int fd = -1);

   private:
    int fd_ = -1;
  };

  struct Hooks;  // libvterm callbacks

  void require_started() const;
  void make_terminal(int cols, int rows);
  std::vector<std::string> build_env() const;
  // Does one round of I/O: writes queued input, waits up to `max_wait` for
  // output or exit and feeds what arrives to the terminal. Returns true if
  // output arrived.
  bool pump(milliseconds max_wait);
  void feed(const char* data, std::size_t len);
  void flush_input();
  bool reap();
  bool output_done() const;
  bool wait_until(const std::function<bool()>& pred, milliseconds timeout,
                  std::string what);
  void kill_child();
  void remove_dirs() noexcept;

  std::string root_, home_, workdir_;
  int cols_ = 0, rows_ = 0;
  std::unique_ptr<VTerm, VTermDeleter> vt_;
  VTermScreen* screen_ = nullptr;
  std::unique_ptr<OutputFixer> fixer_;
  bool mouse_reporting_ = false;
  int bell_count_ = 0;

  Fd master_;
  Fd pidfd_;
  bool output_eof_ = false;
  std::uint64_t bytes_received_ = 0;
  std::string pending_input_;
  pid_t pid_ = -1;
  bool reaped_ = false;
  int wait_status_ = 0;
  std::string last_timeout_;
};

}  // namespace qx::test

// Fails the test (fatally / not) unless `cond` becomes true within the
// default timeout; the message shows the condition and the screen.
//   QX_ASSERT_SCREEN(s, s.row_trimmed(23) == "Saved");
#define QX_ASSERT_SCREEN(session, cond)                                    \
  switch (0)                                                               \
  case 0:                                                                  \
  default:                                                                 \
    if ((session).wait_for([&] { return static_cast<bool>(cond); })) {     \
    } else                                                                 \
      FAIL() << "timed out waiting for: " #cond "\n" << (session).dump()

#define QX_EXPECT_SCREEN(session, cond)                                    \
  switch (0)                                                               \
  case 0:                                                                  \
  default:                                                                 \
    if ((session).wait_for([&] { return static_cast<bool>(cond); })) {     \
    } else                                                                 \
      ADD_FAILURE() << "timed out waiting for: " #cond "\n" << (session).dump()
