// A fixture for unit tests that drive editing commands as keys would, on a
// 24 x 80 fake screen: one open file, and readers for the text, the cursor, the
// message buffer and what the screen shows.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "app/dispatch.h"
#include "app/startup.h"
#include "edit/typing.h"
#include "files/open_files.h"
#include "options/options.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "support/editor_state.h"
#include "support/fake_terminal.h"
#include "undo/undo.h"

namespace qx::test {

class EditorTest : public ::testing::Test {
protected:
    using Lines = std::vector<std::string>;
    using Pos = ScreenPos;

    void SetUp() override { reset(); }
    void TearDown() override {
        reset_editor();
        EndScreen();
        UseTerminal(NoTerminal());
    }

    // The state start-up gives the editor, with its own hooks, on a fresh 24 x 80
    // fake screen.
    void reset() {
        reset_editor();
        install_editor_hooks();
        install_fake_screen();
        InitScreen();
        InitStatus();
    }

    // Opens the lines as the current file with the cursor on line (0-based) and
    // col, the screen drawn as at start-up.
    void open(const Lines& lines, int line = 0, int col = 0, const char* name = "test.txt", int32_t format = 'u') {
        open_test_file(lines, format, name);
        DrawSeparator(1);
        UpdateStatus(true, 0, TypingMode);
        place(line, col);
    }
    void place(int line, int col) {
        line_commit();
        CurrentFile.currentLine = LineAtIndex(line);
        CurrentFile.view.cursorColumn = col;
        FrameCurrentLine(FIRST_TEXT_ROW + std::min(line, ScreenRows - 3));
        RedrawText();
        PlaceCursor();
    }
    // Opens files from disk as the command line would (none: the unnamed file).
    void open_files(std::initializer_list<const char*> names) {
        for (const char* n : names) open_file(n);
        if (OpenFiles.count == 0) open_file(nullptr);
        switch_file(OpenFiles.currentIndex, 0);
        DrawSeparator(1);
        UpdateStatus(true, 0, TypingMode);
        RedrawText();
        PlaceCursor();
    }
    // "line 1" to "line n".
    static Lines numbered(int n) {
        Lines lines;
        for (int i = 1; i <= n; ++i) lines.push_back("line " + std::to_string(i));
        return lines;
    }
    Lines text() {
        line_commit();
        return texts_of(CurrentFile.text.lines);
    }
    // Typed text, as the main loop hands it to TypeChar.
    void type(const std::string& keys) {
        for (char c : keys) TypeChar(c);
    }
    // Command letters (and count digits), as they reach the dispatcher after ESC.
    void command(const std::string& keys) {
        for (char c : keys) Dispatch(c);
    }
    // A fake screen of another size, before open().
    void resize(int32_t rows, int32_t cols) {
        install_fake_screen(rows, cols);
        InitScreen();
        InitStatus();
    }
    // Keys as the terminal delivers them (ESC sequences, control keys, key codes),
    // each through the main loop. Keys after a counted command go in another call:
    // queued behind it, they would be typed ahead of its repetition.
    void keys(std::initializer_list<KeyCode> codes) {
        fake_screen().waits.clear();
        for (KeyCode k : codes) fake_screen().keys.push_back(k);
        while (!fake_screen().keys.empty()) MainLoopStep();
    }
    // In a string of keys, where the screen is to be saved into waits().
    static constexpr std::string_view LOOK = "\xff";
    void keys(std::string_view bytes) {
        fake_screen().waits.clear();
        queue(bytes);
        while (!fake_screen().keys.empty()) MainLoopStep();
    }
    void queue(KeyCode k) { fake_screen().keys.push_back(k); }
    void queue(std::string_view bytes) {
        for (char c : bytes) fake_screen().keys.push_back(c == LOOK[0] ? FAKE_LOOK : static_cast<unsigned char>(c));
    }
    // Key codes and strings of keys queued together, then run.
    template <class... K>
    void press(const K&... k) {
        (queue(k), ...);
        keys(std::string_view());
    }
    // What the screen shows: a row without its trailing blanks, the cursor, the bells.
    std::string row(int32_t r) { return fake_screen().row(r); }
    Lines rows(int32_t from, int32_t to) {
        Lines out;
        for (int32_t r = from; r <= to; ++r) out.push_back(row(r));
        return out;
    }
    ScreenPos cursor() { return fake_screen().cursor; }
    // Rows from `first` show `texts` and the cursor is at `at`; else the whole screen.
    ::testing::AssertionResult shows(int32_t first, const Lines& texts, ScreenPos at) {
        if (rows(first, first + static_cast<int32_t>(texts.size()) - 1) == texts && cursor() == at)
            return ::testing::AssertionSuccess();
        auto failure = ::testing::AssertionFailure() << "the screen, cursor at " << cursor().row << "," << cursor().col;
        for (int32_t r = 0; r < fake_screen().rows; ++r) failure << "\n" << r << "|" << row(r);
        return failure;
    }
    int32_t bells() { return fake_screen().bells; }
    // The screens at which the last keys() ran out while a panel or menu waited.
    const std::vector<FakeShot>& waits() { return fake_screen().waits; }
    std::string mode_shown() { return row(0).substr(71); }   // "<-" and the typing mode
    std::string shown_message() {
        std::string m = fake_screen().text[0].substr(25, 40);
        return m.substr(0, m.find_last_not_of(' ') + 1);
    }
    std::string message() {
        std::string m(MessageBuffer());
        return m.substr(0, m.find_last_not_of(' ') + 1);
    }
    int32_t col() { return CurrentFile.view.cursorColumn; }
    int32_t line() { return CurrentLineIndex(); }
    FileView& view() { return CurrentFile.view; }
};

}  // namespace qx::test
