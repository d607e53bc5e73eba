// Screen tests: the real qx binary on a pseudo-terminal, with helpers for the
// keys and rows every test uses.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "terminal_session.h"

namespace qx::test {

// The editor started and its first screen drawn (the separator on row 1).
class QxScreen : public TerminalSession {
public:
    explicit QxScreen(std::vector<std::string> args = {}, int cols = 80, int rows = 24) {
        pending_args_ = std::move(args);
        cols_wanted_ = cols;
        rows_wanted_ = rows;
    }
    // Files written before start() are in the working directory.
    void start() {
        std::vector<std::string> argv = {qx_binary()};
        argv.insert(argv.end(), pending_args_.begin(), pending_args_.end());
        TerminalSession::start({.argv = argv, .cols = cols_wanted_, .rows = rows_wanted_});
    }
    // Starts and waits for the editing screen.
    bool start_editing() {
        start();
        return wait_for_row_starts_with(1, std::string(cols_wanted_, '-'));
    }

    // ESC followed by a command letter or count.
    void esc(std::string_view keys) {
        send("\x1b");
        send(keys);
    }
    // The message area of an 80-column screen, without trailing blanks.
    std::string message80() const {
        std::string m = row(0).substr(25, 40);
        return m.substr(0, m.find_last_not_of(' ') + 1);
    }
    bool wait_for_message(std::string_view text) { return wait_for_row_contains(0, text); }

private:
    std::vector<std::string> pending_args_;
    int cols_wanted_, rows_wanted_;
};

inline const std::string HINT = "ESC-h for Help";

// Lines "line 1" .. "line n", each ending in LF.
inline std::string numbered_lines(int n) {
    std::string text;
    for (int i = 1; i <= n; ++i) text += "line " + std::to_string(i) + "\n";
    return text;
}

}  // namespace qx::test
