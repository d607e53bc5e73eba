#include "qx_screen.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace qx::test {

namespace {

// Longest a single poll() waits, so predicates about files or the process
// are re-checked even when nothing is drawn.
constexpr milliseconds kPollSlice{20};
// Output taken in per pump before the caller re-checks its deadline: libvterm
// needs a while for heavy scrolling (seconds per MiB under ASan).
constexpr std::size_t kMaxReadPerPump = 1 << 16;

milliseconds scaled(milliseconds t) {
  static const double scale = [] {
    const char* v = std::getenv("QX_TEST_TIMEOUT_SCALE");
    const double d = v ? std::atof(v) : 0;
    return d > 0 ? d : 1.0;
  }();
  return milliseconds(static_cast<long long>(static_cast<double>(t.count()) * scale));
}

milliseconds until(Clock::time_point deadline) {
  return std::max(milliseconds(0), std::chrono::ceil<milliseconds>(deadline - Clock::now()));
}

// One byte per cell; line-drawing characters as '-', '|' or '+'.
char cell_char(std::uint32_t cp) {
  if (cp == 0) return ' ';
  if (cp < 0x80) return static_cast<char>(cp);
  if (cp == 0x2500 || cp == 0x2501 || cp == 0x2550) return '-';
  if (cp == 0x2502 || cp == 0x2503 || cp == 0x2551) return '|';
  return cp >= 0x2500 && cp <= 0x257f ? '+' : '?';
}

}  // namespace

std::string numbered_lines(int n) {
  std::string text;
  for (int i = 1; i <= n; ++i) text += "line " + std::to_string(i) + "\n";
  return text;
}

// Rewrites the program's output so that libvterm 0.1.4 shows it as an xterm
// would (the editor itself writes only ASCII):
//  - CSI ? a;b h/l sets every listed mode; libvterm applies only the first
//    (curses turns the mouse on with CSI ? 1006;1000 h);
//  - CSI n b (repeat) is expanded, as libvterm wraps a column early when the
//    run ends at the right margin.
class OutputFixer {
 public:
  void process(std::string_view in, std::string& out) {
    for (const char c : in) take(static_cast<unsigned char>(c), out);
  }
  // Hands over an escape sequence cut short by the end of the output.
  void finish(std::string& out) {
    out += seq_;
    seq_.clear();
  }

 private:
  void take(unsigned char b, std::string& out) {
    if (!seq_.empty()) {
      if (seq_.size() == 1 && b == '[') {
        seq_ += '[';
        return;
      }
      // Longer sequences are not ours to rewrite.
      if (seq_.size() >= 2 && seq_.size() < 64 && b >= 0x20 && b <= 0x7e) {
        seq_ += static_cast<char>(b);
        if (b >= 0x40) finish_csi(out);
        return;
      }
      finish(out);  // some other escape, or a control inside one
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
    std::string_view params = std::string_view(seq_).substr(2, seq_.size() - 3);
    if ((final == 'h' || final == 'l') && params.starts_with('?') &&
        params.find(';') != std::string_view::npos) {
      for (params.remove_prefix(1); !params.empty();) {
        const auto semi = std::min(params.find(';'), params.size());
        if (semi > 0) out.append("\x1b[?").append(params.substr(0, semi)).append(1, final);
        params.remove_prefix(std::min(semi + 1, params.size()));
      }
    } else if (final == 'b' && last_char_ != 0 && params.size() <= 5 &&
               std::all_of(params.begin(), params.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      const int n = params.empty() ? 1 : std::max(1, std::atoi(std::string(params).c_str()));
      for (int i = 0; i < n; ++i) put(last_char_, out);
    } else {
      out += seq_;
    }
    seq_.clear();
  }

  static void put(unsigned char b, std::string& out) { out += static_cast<char>(b); }

  std::string seq_;              // unfinished escape sequence, from its ESC
  unsigned char last_char_ = 0;  // last printable byte, for CSI n b
};

struct QxScreen::Hooks {
  // Query answers and generated key/mouse bytes go to the program in order.
  static void output(const char* s, std::size_t len, void* user) {
    static_cast<QxScreen*>(user)->pending_input_.append(s, len);
  }
  static int settermprop(VTermProp prop, VTermValue* val, void* user) {
    if (prop == VTERM_PROP_MOUSE)
      static_cast<QxScreen*>(user)->mouse_reporting_ = val->number != VTERM_PROP_MOUSE_NONE;
    if (prop == VTERM_PROP_ALTSCREEN) static_cast<QxScreen*>(user)->alt_screen_ = val->boolean;
    return 1;  // 0 would make libvterm ignore the mode
  }
  static int bell(void* user) {
    ++static_cast<QxScreen*>(user)->bell_count_;
    return 1;
  }
  static constexpr VTermScreenCallbacks callbacks = {
      .damage = nullptr, .moverect = nullptr, .movecursor = nullptr, .settermprop = &settermprop,
      .bell = &bell, .resize = nullptr, .sb_pushline = nullptr, .sb_popline = nullptr,
  };
};

QxScreen::QxScreen(std::vector<std::string> args, int cols, int rows)
    : args_(std::move(args)), cols_(cols), rows_(rows), fixer_(std::make_unique<OutputFixer>()) {
  std::string tmpl = (fs::temp_directory_path() / "qx-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  // Canonical, so paths the program prints compare equal to ours.
  root_ = fs::canonical(tmpl).string();
  home_ = root_ + "/home";
  workdir_ = root_ + "/work";
  fs::create_directory(home_);
  fs::create_directory(workdir_);
}

QxScreen::~QxScreen() {
  // The child leads its own process group, so this reaches anything it started.
  if (pid_ > 0 && !reap()) {
    ::kill(-pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (master_ >= 0) ::close(master_);
  if (vt_) vterm_free(vt_);
  std::error_code ec;
  fs::remove_all(root_, ec);
}

void QxScreen::start(const std::string& program) {
  vt_ = vterm_new(rows_, cols_);
  vterm_output_set_callback(vt_, &Hooks::output, this);
  screen_ = vterm_obtain_screen(vt_);
  vterm_screen_set_callbacks(screen_, &Hooks::callbacks, this);
  vterm_screen_enable_altscreen(screen_, 1);
  vterm_screen_reset(screen_, 1);

  // Prepared before the fork: the child may only make async-signal-safe calls.
  std::vector<std::string> env;
  for (const char* name : {"PATH", "TERMINFO", "TERMINFO_DIRS", "TMPDIR", "ASAN_OPTIONS",
                           "UBSAN_OPTIONS", "LSAN_OPTIONS"})
    if (const char* v = std::getenv(name)) env.push_back(std::string(name) + "=" + v);
  for (const char* fixed : {"ESCDELAY=25", "LANG=C", "LC_ALL=C"}) env.push_back(fixed);
  env.push_back("TERM=" + term);
  env.push_back("HOME=" + home_);
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args_.begin(), args_.end());
  std::vector<char*> argv_p, env_p;
  for (auto& a : argv) argv_p.push_back(a.data());
  for (auto& e : env) env_p.push_back(e.data());
  argv_p.push_back(nullptr);
  env_p.push_back(nullptr);
  const std::string error = "cannot execute " + program + "\r\n";

  struct winsize ws {};
  ws.ws_row = static_cast<unsigned short>(rows_);
  ws.ws_col = static_cast<unsigned short>(cols_);
  pid_ = ::forkpty(&master_, nullptr, nullptr, &ws);
  if (pid_ < 0) throw std::system_error(errno, std::generic_category(), "forkpty");
  if (pid_ == 0) {
    // Signals the runner ignores or blocks must not carry over.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int sig = 1; sig < NSIG; ++sig) signal(sig, SIG_DFL);
    if (::chdir(workdir_.c_str()) == 0) ::execve(program.c_str(), argv_p.data(), env_p.data());
    // Shows on the screen, and so in dump().
    [[maybe_unused]] auto n = ::write(2, error.data(), error.size());
    ::_exit(127);
  }
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
}

bool QxScreen::start_editing() {
  start();
  return wait_for([&] { return row(1).starts_with(std::string(cols_, '-')); });
}

std::string QxScreen::path(std::string_view relpath) const {
  return relpath.starts_with('/') ? std::string(relpath) : workdir_ + "/" + std::string(relpath);
}

void QxScreen::write_file(std::string_view relpath, std::string_view bytes) const {
  const fs::path p = path(relpath);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string QxScreen::read_file(std::string_view relpath) const {
  std::ostringstream ss;
  ss << std::ifstream(path(relpath), std::ios::binary).rdbuf();
  return ss.str();
}

void QxScreen::send(std::string_view bytes) {
  pending_input_.append(bytes);
  flush_input();
}

void QxScreen::key(Key k, Mod mods) {
  static constexpr VTermKey keys[] = {
      VTERM_KEY_UP, VTERM_KEY_DOWN, VTERM_KEY_LEFT, VTERM_KEY_RIGHT, VTERM_KEY_HOME,
      VTERM_KEY_END, VTERM_KEY_PAGEUP, VTERM_KEY_PAGEDOWN, VTERM_KEY_INS, VTERM_KEY_DEL,
      VTERM_KEY_ENTER, VTERM_KEY_TAB, VTERM_KEY_BACKSPACE, VTERM_KEY_KP_5, VTERM_KEY_KP_PLUS,
      VTERM_KEY_KP_MINUS, VTERM_KEY_KP_MULT, VTERM_KEY_KP_DIVIDE, VTERM_KEY_KP_ENTER};
  const int i = static_cast<int>(k);
  const int f1 = static_cast<int>(Key::F1);
  const auto vk = i >= f1 ? static_cast<VTermKey>(VTERM_KEY_FUNCTION(1 + i - f1)) : keys[i];
  const std::size_t before = pending_input_.size();
  vterm_keyboard_key(vt_, vk, static_cast<VTermModifier>(static_cast<unsigned>(mods)));
  // libvterm sends LF for keypad Enter outside application keypad mode; an
  // xterm sends CR, like the main Enter key.
  if (k == Key::KP_Enter && pending_input_.compare(before, std::string::npos, "\n") == 0)
    pending_input_.back() = '\r';
  flush_input();
}

void QxScreen::click(int col, int row, int button) {
  // libvterm 0.1.4 reports buttons even with reporting off; an xterm does not.
  if (!mouse_reporting_) return;
  vterm_mouse_move(vt_, row, col, VTERM_MOD_NONE);
  vterm_mouse_button(vt_, button, true, VTERM_MOD_NONE);
  vterm_mouse_button(vt_, button, false, VTERM_MOD_NONE);
  flush_input();
}

void QxScreen::resize(int cols, int rows, std::string_view late) {
  pump(milliseconds(0));  // output already written was laid out for the old size
  vterm_set_size(vt_, rows, cols);
  vterm_input_write(vt_, late.data(), late.size());
  cols_ = cols;
  rows_ = rows;
  struct winsize ws {};
  ws.ws_row = static_cast<unsigned short>(rows);
  ws.ws_col = static_cast<unsigned short>(cols);
  ::ioctl(master_, TIOCSWINSZ, &ws);
}

void QxScreen::flush_input() {
  while (!pending_input_.empty()) {
    const ssize_t n = reaped_ ? -1 : ::write(master_, pending_input_.data(), pending_input_.size());
    if (n > 0) {
      pending_input_.erase(0, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      // Not reading yet (retried on every pump), or nobody left to read it.
      if (reaped_ || errno != EAGAIN) pending_input_.clear();
      return;
    }
  }
}

// One round of I/O: writes queued input, waits up to `max_wait` (at most a
// poll slice) for output and feeds it to the model. True if output arrived.
bool QxScreen::pump(milliseconds max_wait) {
  flush_input();
  bool got_output = false;
  if (!output_eof_) {
    pollfd fd = {master_, static_cast<short>(POLLIN | (pending_input_.empty() ? 0 : POLLOUT)), 0};
    if (::poll(&fd, 1, static_cast<int>(std::min(max_wait, kPollSlice).count())) > 0) {
      char buf[4096];
      std::string fixed;
      for (std::size_t total = 0; total < kMaxReadPerPump;) {
        const ssize_t r = ::read(master_, buf, sizeof buf);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 && errno == EAGAIN) break;
        if (r <= 0) {  // 0 or EIO: every slave fd is closed and the output drained
          output_eof_ = true;
          fixer_->finish(fixed);
          break;
        }
        bytes_received_ += static_cast<std::uint64_t>(r);
        total += static_cast<std::size_t>(r);
        fixer_->process(std::string_view(buf, static_cast<std::size_t>(r)), fixed);
        got_output = true;
      }
      vterm_input_write(vt_, fixed.data(), fixed.size());
    }
  } else if (!reaped_) {
    ::poll(nullptr, 0, static_cast<int>(std::min(max_wait, kPollSlice).count()));
  }
  reap();
  flush_input();
  return got_output;
}

bool QxScreen::reap() {
  if (!reaped_ && pid_ > 0 && ::waitpid(pid_, &wait_status_, WNOHANG) == pid_) reaped_ = true;
  return reaped_;
}

bool QxScreen::wait_for(const std::function<bool()>& pred, milliseconds timeout) {
  const milliseconds limit = scaled(timeout);
  const auto deadline = Clock::now() + limit;
  pump(milliseconds(0));
  while (!pred()) {
    if (output_done() || Clock::now() >= deadline) {
      last_timeout_ = output_done() ? "the program had exited"
                                    : "gave up after " + std::to_string(limit.count()) + " ms";
      return false;
    }
    pump(until(deadline));
  }
  return true;
}

bool QxScreen::settle(milliseconds quiet) {
  const milliseconds q = scaled(quiet);
  auto last_activity = Clock::now();
  std::uint64_t seen = bytes_received_;
  return wait_for([&] {
    // Input the program has not taken yet counts as activity.
    if (bytes_received_ != seen || !pending_input_.empty()) {
      seen = bytes_received_;
      last_activity = Clock::now();
    }
    return output_done() || Clock::now() - last_activity >= q;
  });
}

bool QxScreen::wait_exit() {
  if (!wait_for([&] { return reap(); })) return false;
  // Take in what it wrote before exiting; something it left running may keep
  // the terminal open, so stop after a quiet spell then.
  settle(milliseconds(200));
  return true;
}

int QxScreen::exit_status() const {
  return reaped_ && WIFEXITED(wait_status_) ? WEXITSTATUS(wait_status_) : -1;
}

std::string QxScreen::row(int r) const {
  std::string out(static_cast<std::size_t>(cols_), ' ');
  VTermScreenCell cell;
  for (int c = 0; c < cols_; ++c)
    if (vterm_screen_get_cell(screen_, VTermPos{r, c}, &cell))
      out[static_cast<std::size_t>(c)] = cell_char(cell.chars[0]);
  return out;
}

std::pair<int, int> QxScreen::colours(Pos at) const {
  VTermScreenCell cell{};
  vterm_screen_get_cell(screen_, VTermPos{at.row, at.col}, &cell);
  auto number = [](const VTermColor& c, bool is_default) { return VTERM_COLOR_IS_INDEXED(&c) && !is_default ? c.indexed.idx : -1; };
  return {number(cell.fg, VTERM_COLOR_IS_DEFAULT_FG(&cell.fg)), number(cell.bg, VTERM_COLOR_IS_DEFAULT_BG(&cell.bg))};
}

std::string QxScreen::row_trimmed(int r) const {
  std::string s = row(r);
  return s.erase(s.find_last_not_of(' ') + 1);
}

std::string QxScreen::message80() const {
  std::string m = row(0).substr(25, 40);
  return m.erase(m.find_last_not_of(' ') + 1);
}

Pos QxScreen::cursor() const {
  VTermPos p;
  vterm_state_get_cursorpos(vterm_obtain_state(vt_), &p);
  return {p.row, p.col};
}

std::optional<Pos> QxScreen::find(std::string_view needle) const {
  for (int r = 0; r < rows_; ++r)
    if (const auto c = row(r).find(needle); c != std::string::npos) return Pos{r, static_cast<int>(c)};
  return std::nullopt;
}

std::string QxScreen::dump() const {
  const Pos cur = cursor();
  std::ostringstream os;
  os << "screen " << cols_ << "x" << rows_ << ", cursor at row " << cur.row << ", col " << cur.col << ":\n";
  for (int r = 0; r < rows_; ++r) {
    os << std::setw(3) << r << (r == cur.row ? ">|" : " |") << row(r) << "|\n";
    if (r == cur.row) os << std::string(5 + static_cast<std::size_t>(std::max(cur.col, 0)), ' ') << "^\n";
  }
  if (!reaped_)
    os << "program: running (pid " << pid_ << ")\n";
  else if (WIFSIGNALED(wait_status_))
    os << "program: killed by signal " << WTERMSIG(wait_status_) << " (" << strsignal(WTERMSIG(wait_status_)) << ")\n";
  else
    os << "program: exited with status " << exit_status() << "\n";
  if (!pending_input_.empty()) os << "input not yet read by the program: " << pending_input_.size() << " bytes\n";
  if (!last_timeout_.empty()) os << "last wait: " << last_timeout_ << "\n";
  return os.str();
}

}  // namespace qx::test
