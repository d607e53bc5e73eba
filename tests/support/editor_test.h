// A fixture for unit tests that drive editing commands as keys would, without a
// terminal: a 24 x 80 screen in memory, one open file, and readers for the text,
// the cursor and the message buffer.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/dispatch.h"
#include "app/startup.h"
#include "edit/typing.h"
#include "options/options.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "support/editor_state.h"
#include "undo/undo.h"

namespace qx::test {

class EditorTest : public ::testing::Test {
protected:
    using Lines = std::vector<std::string>;

    void SetUp() override { reset(); }
    void TearDown() override { reset_editor(); }

    // The state start-up gives the editor (a 24 x 80 screen), with its own hooks.
    void reset() {
        reset_editor();
        install_editor_hooks();
    }

    // Opens the lines as the current file with the cursor on line (0-based) and col.
    void open(const Lines& lines, int line = 0, int col = 0) {
        open_test_file(lines);
        place(line, col);
    }
    void place(int line, int col) {
        line_commit();
        CurrentFile.currentLine = LineAtIndex(line);
        CurrentFile.view.cursorColumn = col;
        FrameCurrentLine(FIRST_TEXT_ROW + std::min(line, ScreenRows - 3));
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
    std::string message() {
        std::string m(MessageBuffer());
        return m.substr(0, m.find_last_not_of(' ') + 1);
    }
    int32_t col() { return CurrentFile.view.cursorColumn; }
    int32_t line() { return CurrentLineIndex(); }
    FileView& view() { return CurrentFile.view; }
};

}  // namespace qx::test
