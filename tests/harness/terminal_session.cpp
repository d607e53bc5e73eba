#include "terminal_session.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace qx::test {

namespace {

// Longest a single poll() waits, so predicates that look at more than the
// screen (files, process state) are re-checked even when nothing is drawn.
constexpr milliseconds kPollSlice{20};
// How much output one pump() takes in before the caller re-checks its
// predicate and deadline. Small, because libvterm needs a while for heavy
// scrolling (seconds per MiB under ASan) and a deadline must not overshoot.
constexpr std::size_t kMaxReadPerPump = 1 << 16;
// Time the child gets to act on SIGTERM before SIGKILL.
constexpr milliseconds kTermGrace{500};

[[noreturn]] void throw_errno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

std::string rtrim(std::string_view s) {
  auto end = s.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view{}
                                                   : s.substr(0, end + 1));
}

std::string in_quotes(std::string_view s) {
  std::string out = "\"";
  out += s;
  out += '"';
  return out;
}

// One byte per cell: the terminal stores code points, QX writes bytes.
char cell_char(std::uint32_t cp) {
  if (cp == 0) return ' ';
  if (cp < 0x100) return static_cast<char>(cp);
  if (cp >= 0x2500 && cp <= 0x257f) {  // box drawing (line-drawing charset)
    switch (cp) {
      case 0x2500: case 0x2501: case 0x2550: return '-';
      case 0x2502: case 0x2503: case 0x2551: return '|';
      default: return '+';
    }
  }
  return '?';
}

VTermKey to_vterm_key(Key k) {
  const int i = static_cast<int>(k);
  if (k >= Key::F1 && k <= Key::F12)
    return static_cast<VTermKey>(VTERM_KEY_FUNCTION(1 + i - static_cast<int>(Key::F1)));
  switch (k) {
    case Key::Up: return VTERM_KEY_UP;
    case Key::Down: return VTERM_KEY_DOWN;
    case Key::Left: return VTERM_KEY_LEFT;
    case Key::Right: return VTERM_KEY_RIGHT;
    case Key::Home: return VTERM_KEY_HOME;
    case Key::End: return VTERM_KEY_END;
    case Key::PageUp: return VTERM_KEY_PAGEUP;
    case Key::PageDown: return VTERM_KEY_PAGEDOWN;
    case Key::Insert: return VTERM_KEY_INS;
    case Key::Delete: return VTERM_KEY_DEL;
    case Key::Enter: return VTERM_KEY_ENTER;
    case Key::Tab: return VTERM_KEY_TAB;
    case Key::Backspace: return VTERM_KEY_BACKSPACE;
    case Key::KP5: return VTERM_KEY_KP_5;
    case Key::KP_Plus: return VTERM_KEY_KP_PLUS;
    case Key::KP_Minus: return VTERM_KEY_KP_MINUS;
    case Key::KP_Mult: return VTERM_KEY_KP_MULT;
    case Key::KP_Divide: return VTERM_KEY_KP_DIVIDE;
    case Key::KP_Enter: return VTERM_KEY_KP_ENTER;
    default: break;
  }
  throw std::invalid_argument("unknown key");
}

VTermModifier to_vterm_mod(Mod m) {
  return static_cast<VTermModifier>(static_cast<unsigned>(m) & VTERM_ALL_MODS_MASK);
}

// Makes every directory below `p` writable so remove_all can empty it even
// after a test took permissions away.
void make_removable(const fs::path& p) {
  std::error_code ec;
  if (fs::symlink_status(p, ec).type() != fs::file_type::directory) return;
  ::chmod(p.c_str(), 0700);
  for (fs::directory_iterator it(p, ec), end; !ec && it != end; it.increment(ec))
    make_removable(it->path());
}

// What the child reports through the exec pipe when it cannot start.
struct ChildError {
  int stage;  // 1: chdir, 2: execve
  int err;
};

}  // namespace

// What the program writes, rewritten so that libvterm 0.1.4 shows it the way
// an xterm outside UTF-8 mode would:
//  - bytes A0-FF are Latin-1 characters and 80-9F the 8-bit forms of
//    ESC @ .. ESC _; libvterm's 8-bit mode strips the high bit instead, so
//    the terminal runs in UTF-8 and gets the same meaning encoded;
//  - CSI ? a;b h/l sets every listed mode; libvterm applies only the first
//    (curses turns the mouse on with CSI ? 1006;1000 h);
//  - CSI n b (repeat the last character) is expanded, as libvterm wraps a
//    column early when the run ends at the right margin.
class OutputFixer {
 public:
  // Hands over an escape sequence cut short by the end of the output.
  void finish(std::string& out) {
    out += seq_;
    seq_.clear();
  }

  void process(std::string_view in, std::string& out) {
    for (const char c : in) {
      const auto b = static_cast<unsigned char>(c);
      if (b >= 0x80 && b < 0xa0) {
        take(0x1b, out);
        take(static_cast<unsigned char>(b - 0x40), out);
      } else {
        take(b, out);
      }
    }
  }

 private:
  // Longer sequences are not ours to rewrite; pass them on as they come.
  static constexpr std::size_t kMaxSequence = 64;
  static constexpr int kMaxRepeat = 1 << 16;

  void take(unsigned char b, std::string& out) {
    if (!seq_.empty()) {
      if (seq_.size() == 1 && b == '[') {
        seq_ += '[';
        return;
      }
      if (seq_.size() >= 2 && seq_.size() < kMaxSequence) {
        if (b >= 0x20 && b <= 0x3f) {  // parameter or intermediate byte
          seq_ += static_cast<char>(b);
          return;
        }
        if (b >= 0x40 && b <= 0x7e) {
          seq_ += static_cast<char>(b);
          finish_csi(out);
          return;
        }
      }
      out += seq_;  // some other escape, or a control inside one
      seq_.clear();
    }
    if (b == 0x1b) {
      seq_ = "\x1b";
      return;
    }
    if (b >= 0x20 && b != 0x7f) last_char_ = b;
    put(b, out);
  }

  void finish_csi(std::string& out) {
    const char final = seq_.back();
    const std::string_view params = std::string_view(seq_).substr(2, seq_.size() - 3);
    const bool all_digits = std::all_of(params.begin(), params.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
    if ((final == 'h' || final == 'l') && params.starts_with('?') &&
        params.find(';') != std::string_view::npos) {
      std::string_view modes = params.substr(1);
      while (true) {
        const auto semi = modes.find(';');
        const std::string_view mode = modes.substr(0, semi);
        if (!mode.empty()) out.append("\x1b[?").append(mode).append(1, final);
        if (semi == std::string_view::npos) break;
        modes.remove_prefix(semi + 1);
      }
    } else if (final == 'b' && all_digits && last_char_ != 0 && params.size() <= 5) {
      int n = 0;
      for (char c : params) n = n * 10 + (c - '0');
      for (int i = 0; i < std::clamp(n, 1, kMaxRepeat); ++i) put(last_char_, out);
    } else {
      out += seq_;
    }
    seq_.clear();
  }

  static void put(unsigned char b, std::string& out) {
    if (b < 0x80) {
      out += static_cast<char>(b);
    } else {
      out += static_cast<char>(0xc0 | (b >> 6));
      out += static_cast<char>(0x80 | (b & 0x3f));
    }
  }

  std::string seq_;             // unfinished escape sequence, from its ESC
  unsigned char last_char_ = 0;  // last printable byte, for CSI n b
};

namespace {

// `t` multiplied by QX_TEST_TIMEOUT_SCALE (1 when unset or invalid).
milliseconds scaled(milliseconds t) {
  static const double scale = [] {
    const char* v = std::getenv("QX_TEST_TIMEOUT_SCALE");
    if (!v || !*v) return 1.0;
    char* end = nullptr;
    double d = std::strtod(v, &end);
    return (end && *end == '\0' && std::isfinite(d) && d > 0) ? d : 1.0;
  }();
  return milliseconds(std::llround(static_cast<double>(t.count()) * scale));
}

}  // namespace

milliseconds default_timeout() { return milliseconds(10'000); }

std::ostream& operator<<(std::ostream& os, const Pos& p) {
  return os << "(row " << p.row << ", col " << p.col << ")";
}

// ---------------------------------------------------------------------------
// libvterm glue

struct TerminalSession::Hooks {
  // Answers to terminal queries and generated key/mouse bytes go to the
  // program, in order with anything sent explicitly.
  static void output(const char* s, std::size_t len, void* user) {
    static_cast<TerminalSession*>(user)->pending_input_.append(s, len);
  }
  static int settermprop(VTermProp prop, VTermValue* val, void* user) {
    auto* self = static_cast<TerminalSession*>(user);
    if (prop == VTERM_PROP_MOUSE) self->mouse_reporting_ = val->number != VTERM_PROP_MOUSE_NONE;
    return 1;  // 0 would make libvterm ignore the mode (mouse, altscreen...)
  }
  static int bell(void* user) {
    ++static_cast<TerminalSession*>(user)->bell_count_;
    return 1;
  }
  static constexpr VTermScreenCallbacks screen_callbacks = {
      .damage = nullptr,
      .moverect = nullptr,
      .movecursor = nullptr,
      .settermprop = &settermprop,
      .bell = &bell,
      .resize = nullptr,
      .sb_pushline = nullptr,
      .sb_popline = nullptr,
  };
};

void TerminalSession::VTermDeleter::operator()(VTerm* vt) const { vterm_free(vt); }

TerminalSession::Fd& TerminalSession::Fd::operator=(Fd&& o) noexcept {
  if (this != &o) reset(std::exchange(o.fd_, -1));
  return *this;
}

void TerminalSession::Fd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

void TerminalSession::make_terminal(int cols, int rows) {
  if (cols <= 0 || rows <= 0) throw std::invalid_argument("terminal size must be positive");
  vt_.reset(vterm_new(rows, cols));
  if (!vt_) throw std::runtime_error("vterm_new failed");
  cols_ = cols;
  rows_ = rows;
  // The child runs in a C locale; OutputFixer maps its bytes onto UTF-8.
  vterm_set_utf8(vt_.get(), 1);
  fixer_ = std::make_unique<OutputFixer>();
  vterm_output_set_callback(vt_.get(), &Hooks::output, this);
  screen_ = vterm_obtain_screen(vt_.get());
  vterm_screen_set_callbacks(screen_, &Hooks::screen_callbacks, this);
  vterm_screen_enable_altscreen(screen_, 1);
  vterm_screen_reset(screen_, 1);
  mouse_reporting_ = false;
}

// ---------------------------------------------------------------------------
// Lifetime

TerminalSession::TerminalSession() {
  fs::path base = fs::temp_directory_path();
  std::string tmpl = (base / "qx-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw_errno("mkdtemp " + tmpl);
  // Canonical, so paths the program prints compare equal to ours.
  root_ = fs::canonical(tmpl).string();
  home_ = root_ + "/home";
  workdir_ = root_ + "/work";
  try {
    fs::create_directory(home_);
    fs::create_directory(workdir_);
    make_terminal(80, 24);
  } catch (...) {
    remove_dirs();
    throw;
  }
}

TerminalSession::~TerminalSession() {
  try {
    kill_child();
  } catch (...) {
    // Nothing sensible to do in a destructor; the fds are closed below.
  }
  master_.reset();
  pidfd_.reset();
  remove_dirs();
}

void TerminalSession::remove_dirs() noexcept {
  if (root_.empty()) return;
  make_removable(root_);
  std::error_code ec;
  fs::remove_all(root_, ec);
}

void TerminalSession::kill_child() {
  if (pid_ <= 0 || reap()) return;
  // The child leads its own session and process group (forkpty), so the
  // group signal also reaches anything it started.
  ::kill(-pid_, SIGTERM);
  const auto deadline = Clock::now() + kTermGrace;
  while (!reap() && Clock::now() < deadline)
    pump(std::min(kPollSlice, std::chrono::duration_cast<milliseconds>(
                                  deadline - Clock::now())));
  if (reaped_) return;
  ::kill(-pid_, SIGKILL);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  reaped_ = true;
  wait_status_ = status;
}

std::vector<std::string> TerminalSession::build_env() const {
  std::vector<std::pair<std::string, std::string>> env;
  auto set = [&](const std::string& name, const std::string& value) {
    for (auto& [n, v] : env)
      if (n == name) {
        v = value;
        return;
      }
    env.emplace_back(name, value);
  };

  // Only what finding programs, terminfo and the sanitizers need comes from
  // our own environment; everything else is fixed so runs are repeatable.
  for (const char* name : {"PATH", "TERMINFO", "TERMINFO_DIRS", "TMPDIR",
                           "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
    if (const char* v = std::getenv(name)) set(name, v);
  if (!std::getenv("PATH")) set("PATH", "/usr/local/bin:/usr/bin:/bin");
  set("TERM", "xterm-256color");
  set("ESCDELAY", "25");
  set("LANG", "C");
  set("LC_ALL", "C");
  set("HOME", home_);

  std::vector<std::string> out;
  out.reserve(env.size());
  for (const auto& [n, v] : env) out.push_back(n + "=" + v);
  return out;
}

void TerminalSession::start(SessionOptions options) {
  if (pid_ > 0) throw std::logic_error("TerminalSession already started");
  if (options.argv.empty()) throw std::invalid_argument("argv is empty");
  make_terminal(options.cols, options.rows);

  const std::vector<std::string> env = build_env();
  const std::string program = options.argv[0];
  const std::string cwd = workdir_;

  // Everything the child touches is prepared here: between fork and exec
  // only async-signal-safe calls are allowed.
  std::vector<char*> argv_p, env_p;
  for (auto& a : options.argv) argv_p.push_back(a.data());
  argv_p.push_back(nullptr);
  std::vector<std::string> env_copy = env;
  for (auto& e : env_copy) env_p.push_back(e.data());
  env_p.push_back(nullptr);

  // Closed by a successful exec; carries errno back if chdir/exec fails.
  int err_pipe[2];
  if (::pipe2(err_pipe, O_CLOEXEC) != 0) throw_errno("pipe2");
  Fd err_read(err_pipe[0]), err_write(err_pipe[1]);
  // If the runner closed stdin/stdout the pipe could land on 0-2, which the
  // child replaces with the terminal.
  if (err_write.get() < 3) {
    const int moved = ::fcntl(err_write.get(), F_DUPFD_CLOEXEC, 3);
    if (moved < 0) throw_errno("fcntl F_DUPFD_CLOEXEC");
    err_write.reset(moved);
  }

  struct winsize ws {};
  ws.ws_row = static_cast<unsigned short>(options.rows);
  ws.ws_col = static_cast<unsigned short>(options.cols);
  int master = -1;
  const pid_t pid = ::forkpty(&master, nullptr, nullptr, &ws);
  if (pid < 0) throw_errno("forkpty");

  if (pid == 0) {
    // Child. Signals the test runner ignores or blocks must not carry over.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &dfl, nullptr);
    const int keep = err_write.get();
    if (keep > 3) ::close_range(3, static_cast<unsigned>(keep) - 1, 0);
    ::close_range(static_cast<unsigned>(keep) + 1, ~0U, 0);

    ChildError e{1, 0};
    if (::chdir(cwd.c_str()) == 0) {
      ::execve(program.c_str(), argv_p.data(), env_p.data());
      e.stage = 2;
    }
    e.err = errno;
    [[maybe_unused]] auto n = ::write(keep, &e, sizeof e);
    ::_exit(127);
  }

  pid_ = pid;
  master_.reset(master);
  err_write.reset();
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

  ChildError e{};
  ssize_t got;
  while ((got = ::read(err_read.get(), &e, sizeof e)) < 0 && errno == EINTR) {
  }
  if (got == static_cast<ssize_t>(sizeof e)) {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
    wait_status_ = status;
    master_.reset();
    throw std::runtime_error(
        (e.stage == 1 ? "cannot enter directory " + cwd : "cannot execute " + program) +
        ": " + std::strerror(e.err));
  }

  // Lets us sleep in poll() until the child exits; without it (old kernel)
  // pump() falls back to short poll slices.
  const long pidfd = ::syscall(SYS_pidfd_open, pid_, 0);
  if (pidfd >= 0) pidfd_.reset(static_cast<int>(pidfd));
}

// ---------------------------------------------------------------------------
// Files

std::string TerminalSession::path(std::string_view relpath) const {
  if (!relpath.empty() && relpath.front() == '/') return std::string(relpath);
  return workdir_ + "/" + std::string(relpath);
}

void TerminalSession::write_file(std::string_view relpath, std::string_view bytes,
                                 mode_t mode) const {
  const fs::path p = path(relpath);
  fs::create_directories(p.parent_path());
  {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + p.string());
  }
  if (::chmod(p.c_str(), mode) != 0) throw_errno("chmod " + p.string());
}

std::string TerminalSession::read_file(std::string_view relpath) const {
  const std::string p = path(relpath);
  std::ifstream in(p, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + p);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool TerminalSession::file_exists(std::string_view relpath) const {
  struct stat st {};
  return ::lstat(path(relpath).c_str(), &st) == 0;
}

// ---------------------------------------------------------------------------
// Input

void TerminalSession::require_started() const {
  if (pid_ <= 0) throw std::logic_error("TerminalSession used before start()");
}

void TerminalSession::send(std::string_view raw_bytes) {
  require_started();
  pending_input_.append(raw_bytes);
  flush_input();
}

void TerminalSession::key(Key k, Mod mods) {
  require_started();
  const std::size_t before = pending_input_.size();
  vterm_keyboard_key(vt_.get(), to_vterm_key(k), to_vterm_mod(mods));
  // libvterm sends LF for keypad Enter outside application keypad mode; an
  // xterm sends CR there, like the main Enter key.
  if (k == Key::KP_Enter && pending_input_.compare(before, std::string::npos, "\n") == 0)
    pending_input_.back() = '\r';
  flush_input();
}

void TerminalSession::ctrl(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (u >= 'a' && u <= 'z') u = static_cast<unsigned char>(u - 'a' + 'A');
  if (u == '?') {
    send("\x7f");
  } else if (u == ' ' || (u >= '@' && u <= '_')) {
    const char b = static_cast<char>(u & 0x1f);
    send(std::string_view(&b, 1));
  } else {
    throw std::invalid_argument(std::string("no control character for '") + c + "'");
  }
}

void TerminalSession::click(int col, int row, int button) {
  require_started();
  if (row < 0 || row >= rows_ || col < 0 || col >= cols_)
    throw std::out_of_range("click outside the screen");
  // libvterm 0.1.4 reports buttons even with reporting off; an xterm
  // sends nothing then.
  if (!mouse_reporting_) return;
  vterm_mouse_move(vt_.get(), row, col, VTERM_MOD_NONE);
  vterm_mouse_button(vt_.get(), button, true, VTERM_MOD_NONE);
  vterm_mouse_button(vt_.get(), button, false, VTERM_MOD_NONE);
  flush_input();
}

void TerminalSession::flush_input() {
  while (!pending_input_.empty()) {
    if (!master_ || reaped_) {
      pending_input_.clear();  // nobody left to read it
      return;
    }
    const ssize_t n = ::write(master_.get(), pending_input_.data(), pending_input_.size());
    if (n > 0) {
      pending_input_.erase(0, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      return;  // program is not reading yet; retried on every pump
    } else {
      pending_input_.clear();  // EIO: the terminal has been hung up
      return;
    }
  }
}

// ---------------------------------------------------------------------------
// Output

void TerminalSession::feed(const char* data, std::size_t len) {
  std::string fixed;
  fixer_->process(std::string_view(data, len), fixed);
  vterm_input_write(vt_.get(), fixed.data(), fixed.size());
}

bool TerminalSession::pump(milliseconds max_wait) {
  flush_input();

  pollfd fds[2];
  nfds_t n = 0;
  const bool watch_output = master_ && !output_eof_;
  if (watch_output) {
    fds[n++] = {master_.get(),
                static_cast<short>(POLLIN | (pending_input_.empty() ? 0 : POLLOUT)), 0};
  }
  const bool watch_exit = pid_ > 0 && !reaped_ && pidfd_;
  if (watch_exit) fds[n++] = {pidfd_.get(), POLLIN, 0};
  if (pid_ > 0 && !reaped_ && !pidfd_) max_wait = std::min(max_wait, kPollSlice);
  if (n == 0 && (pid_ <= 0 || reaped_)) return false;  // nothing can happen any more

  const int rc = ::poll(fds, n, static_cast<int>(std::max<milliseconds::rep>(0, max_wait.count())));
  if (rc < 0 && errno != EINTR) throw_errno("poll");

  bool got_output = false;
  if (rc > 0 && watch_output && fds[0].revents != 0) {
    char buf[4096];
    std::size_t total = 0;
    while (total < kMaxReadPerPump) {
      const ssize_t r = ::read(master_.get(), buf, sizeof buf);
      if (r > 0) {
        bytes_received_ += static_cast<std::uint64_t>(r);
        feed(buf, static_cast<std::size_t>(r));
        total += static_cast<std::size_t>(r);
        got_output = true;
      } else if (r < 0 && errno == EINTR) {
        continue;
      } else if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        break;
      } else {
        // 0 or EIO: every slave fd is closed and the buffer is drained.
        output_eof_ = true;
        std::string rest;
        fixer_->finish(rest);
        vterm_input_write(vt_.get(), rest.data(), rest.size());
        break;
      }
    }
  }
  reap();
  flush_input();
  return got_output;
}

bool TerminalSession::reap() {
  if (pid_ <= 0 || reaped_) return reaped_;
  int status = 0;
  const pid_t r = ::waitpid(pid_, &status, WNOHANG);
  if (r == pid_) {
    reaped_ = true;
    wait_status_ = status;
  } else if (r < 0 && errno == ECHILD) {
    reaped_ = true;  // reaped elsewhere; status unknown
    wait_status_ = -1;
  }
  if (reaped_) pidfd_.reset();
  return reaped_;
}

bool TerminalSession::output_done() const {
  // After this nothing can change the screen any more.
  return pid_ > 0 && reaped_ && (output_eof_ || !master_);
}

// ---------------------------------------------------------------------------
// Waiting

bool TerminalSession::wait_until(const std::function<bool()>& pred, milliseconds timeout,
                                 std::string what) {
  require_started();
  const milliseconds limit = scaled(timeout);
  const auto deadline = Clock::now() + limit;
  pump(milliseconds(0));
  while (true) {
    if (pred()) return true;
    const auto now = Clock::now();
    if (output_done() || now >= deadline) break;
    pump(std::min(kPollSlice, std::chrono::ceil<milliseconds>(deadline - now)));
  }
  last_timeout_ = what + (output_done() ? " (program had exited)"
                                        : " (gave up after " + std::to_string(limit.count()) + " ms)");
  return false;
}

bool TerminalSession::wait_for(const std::function<bool()>& pred, milliseconds timeout) {
  return wait_until(pred, timeout, "waiting for a condition");
}

bool TerminalSession::wait_for_text(std::string_view needle, milliseconds timeout) {
  return wait_until([&] { return find(needle).has_value(); }, timeout,
                    "waiting for text " + in_quotes(needle));
}

bool TerminalSession::wait_for_row_contains(int r, std::string_view needle,
                                            milliseconds timeout) {
  return wait_until([&] { return row(r).find(needle) != std::string::npos; }, timeout,
                    "waiting for row " + std::to_string(r) + " to contain " + in_quotes(needle));
}

bool TerminalSession::wait_for_row_starts_with(int r, std::string_view prefix,
                                               milliseconds timeout) {
  return wait_until([&] { return row(r).starts_with(prefix); }, timeout,
                    "waiting for row " + std::to_string(r) + " to start with " + in_quotes(prefix));
}

bool TerminalSession::settle(milliseconds quiet, milliseconds timeout) {
  require_started();
  const milliseconds q = scaled(quiet);
  const milliseconds limit = scaled(timeout);
  const auto deadline = Clock::now() + limit;
  auto last_activity = Clock::now();
  while (true) {
    if (output_done()) return true;
    const auto now = Clock::now();
    // Input the program has not taken yet counts as activity.
    if (!pending_input_.empty()) last_activity = now;
    if (now - last_activity >= q) return true;
    if (now >= deadline) break;
    const auto wait = std::min<Clock::duration>(q - (now - last_activity), deadline - now);
    if (pump(std::min(kPollSlice, std::chrono::ceil<milliseconds>(wait))))
      last_activity = Clock::now();
  }
  last_timeout_ = "waiting for output to settle (gave up after " +
                  std::to_string(limit.count()) + " ms)";
  return false;
}

bool TerminalSession::running() {
  if (pid_ <= 0) return false;
  return !reap();
}

bool TerminalSession::wait_exit(milliseconds timeout) {
  require_started();
  const milliseconds limit = scaled(timeout);
  const auto deadline = Clock::now() + limit;
  while (!reap()) {
    const auto now = Clock::now();
    if (now >= deadline) {
      last_timeout_ = "waiting for the program to exit (gave up after " +
                      std::to_string(limit.count()) + " ms)";
      return false;
    }
    pump(std::chrono::ceil<milliseconds>(deadline - now));
  }
  // Take in what it wrote before exiting. Normally the terminal reports
  // end-of-data at once; something it left running may keep the terminal
  // open, so stop after a quiet spell in that case.
  const milliseconds quiet = scaled(milliseconds(200));
  auto last_output = Clock::now();
  while (!output_eof_ && master_) {
    const auto now = Clock::now();
    if (now - last_output >= quiet || now >= deadline) break;
    if (pump(std::chrono::ceil<milliseconds>(
            std::min<Clock::duration>(quiet - (now - last_output), deadline - now))))
      last_output = Clock::now();
  }
  return true;
}

int TerminalSession::exit_status() const {
  if (!reaped_ || wait_status_ == -1 || !WIFEXITED(wait_status_)) return -1;
  return WEXITSTATUS(wait_status_);
}

double TerminalSession::cpu_seconds() const {
  if (pid_ <= 0 || reaped_) return 0;
  std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
  std::string stat;
  if (!std::getline(in, stat)) return 0;
  // The command name in parentheses may hold blanks; fields count from after it.
  const auto paren = stat.rfind(')');
  if (paren == std::string::npos) return 0;
  std::istringstream fields(stat.substr(paren + 1));
  std::string field;
  unsigned long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {  // utime and stime are 14 and 15
    if (i == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
    if (i == 15) stime = std::strtoull(field.c_str(), nullptr, 10);
  }
  return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void TerminalSession::resize(int cols, int rows) {
  if (cols <= 0 || rows <= 0) throw std::invalid_argument("terminal size must be positive");
  // Output already written was laid out for the old size.
  pump(milliseconds(0));
  vterm_set_size(vt_.get(), rows, cols);
  cols_ = cols;
  rows_ = rows;
  if (master_) {
    struct winsize ws {};
    ws.ws_row = static_cast<unsigned short>(rows);
    ws.ws_col = static_cast<unsigned short>(cols);
    if (::ioctl(master_.get(), TIOCSWINSZ, &ws) != 0) throw_errno("TIOCSWINSZ");
  }
}

// ---------------------------------------------------------------------------
// Screen

std::string TerminalSession::row(int r) const {
  if (r < 0 || r >= rows_) throw std::out_of_range("row " + std::to_string(r) + " off screen");
  std::string out(static_cast<std::size_t>(cols_), ' ');
  VTermScreenCell cell;
  for (int c = 0; c < cols_; ++c) {
    if (vterm_screen_get_cell(screen_, VTermPos{r, c}, &cell))
      out[static_cast<std::size_t>(c)] = cell_char(cell.chars[0]);
  }
  return out;
}

std::string TerminalSession::row_trimmed(int r) const { return rtrim(row(r)); }

std::string TerminalSession::text() const {
  std::string out;
  for (int r = 0; r < rows_; ++r) {
    if (r) out += '\n';
    out += row(r);
  }
  return out;
}

Pos TerminalSession::cursor() const {
  VTermPos p;
  vterm_state_get_cursorpos(vterm_obtain_state(vt_.get()), &p);
  return {p.row, p.col};
}

std::optional<Pos> TerminalSession::find(std::string_view needle) const {
  for (int r = 0; r < rows_; ++r) {
    const auto c = row(r).find(needle);
    if (c != std::string::npos) return Pos{r, static_cast<int>(c)};
  }
  return std::nullopt;
}

std::string TerminalSession::dump() const {
  const Pos cur = cursor();
  std::ostringstream os;
  os << "screen " << cols_ << "x" << rows_ << ", cursor at " << cur << ":\n";
  const std::string bar = "    +" + std::string(static_cast<std::size_t>(cols_), '-') + "+\n";
  os << bar;
  for (int r = 0; r < rows_; ++r) {
    std::string line = row(r);
    // Keep the failure message plain ASCII.
    for (char& ch : line) {
      const auto u = static_cast<unsigned char>(ch);
      if (u < 0x20 || u >= 0x7f) ch = '?';
    }
    char num[16];
    std::snprintf(num, sizeof num, "%3d", r);
    os << num << (r == cur.row ? ">|" : " |") << line << "|\n";
    if (r == cur.row)
      os << "     " << std::string(static_cast<std::size_t>(std::max(cur.col, 0)), ' ')
         << "^\n";
  }
  os << bar;
  if (pid_ <= 0) {
    os << "program: not started\n";
  } else if (!reaped_) {
    os << "program: running (pid " << pid_ << ")\n";
  } else if (WIFSIGNALED(wait_status_)) {
    os << "program: killed by signal " << WTERMSIG(wait_status_) << " ("
       << strsignal(WTERMSIG(wait_status_)) << ")\n";
  } else {
    os << "program: exited with status " << exit_status() << "\n";
  }
  if (!pending_input_.empty())
    os << "input not yet read by the program: " << pending_input_.size() << " bytes\n";
  if (!last_timeout_.empty()) os << "last timeout: " << last_timeout_ << "\n";
  return os.str();
}

}  // namespace qx::test

