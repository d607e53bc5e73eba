#include "edit/typing.h"

#include <algorithm>
#include <cstring>

#include "edit/motion.h"
#include "edit/paragraph.h"
#include "input/keys.h"
#include "options/options.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

namespace {

int32_t g_rememberedIndent = 0;   // of the last line that had text, for auto-indent

int32_t buffer_indent() { return count_leading_blanks(LineEditBuffer.text, LineEditBuffer.length); }

}  // namespace

void reset_typing() { g_rememberedIndent = 0; }

void TypeChar(int c) {
    line_load();
    FileView& view = CurrentFile.view;
    if (c == ENTER) {
        NewLine();
        return;
    }
    if (c == '\t' && Options.inputTranslation) {
        int64_t w = tab_width(), x = view.cursorColumn;
        for (int64_t n = (x / w + 1) * w - x; n > 0; --n) TypeChar(' ');
        return;
    }
    if (Mode == MODE_OVERWRITE) {
        if (view.cursorColumn > MAX_LINE - 1) {
            ShowMessage("Maximum line size reached");
            return;
        }
        PutChar(c);
        char replaced = LineEditBuffer.text[view.cursorColumn];
        LineEditBuffer.text[view.cursorColumn++] = static_cast<char>(c);
        if (!undo_in_progress()) push_undo_type_char(replaced, 1, CurrentLineIndex(), view.cursorColumn);
        LineEditBuffer.length = std::max(LineEditBuffer.length, view.cursorColumn);
        return;
    }
    if (LineEditBuffer.length >= MAX_LINE || view.cursorColumn >= MAX_LINE) {
        ShowMessage("Maximum line size reached");
        return;
    }
    if (view.cursorColumn > LineEditBuffer.length) {
        if (Options.textWrapping) {
            Beep();
            view.cursorColumn = LineEditBuffer.length;
            PlaceCursor();
        } else {
            LineEditBuffer.length = view.cursorColumn;
        }
    }
    InsertCharOnScreen(c);
    if (!undo_in_progress()) push_undo_type_char(' ', 0, CurrentLineIndex(), view.cursorColumn);
    char* at = LineEditBuffer.text + view.cursorColumn;
    std::memmove(at + 1, at, LineEditBuffer.length - view.cursorColumn);
    *at = static_cast<char>(c);
    ++LineEditBuffer.length;
    ++view.cursorColumn;
    if (Options.textWrapping && !undo_in_progress() && !Pasting) {
        flush_undo();
        wrap_while_typing(0);
    }
}

void NewLine() {
    FileView& view = CurrentFile.view;
    LineList& lines = CurrentFile.text.lines;
    int32_t status = 0;
    if (view.cursorColumn > 0) {
        int32_t indent = 0;
        if (Options.autoIndent && !Pasting) {
            indent = buffer_indent();
            if (LineEditBuffer.length == 0 || indent == LineEditBuffer.length) indent = g_rememberedIndent;
            else g_rememberedIndent = indent;
        }
        char text[EDIT_BUFFER_SIZE + EDIT_BUFFER_SIZE];
        int32_t length = 0;
        if (view.cursorColumn < LineEditBuffer.length) {
            int32_t rest = LineEditBuffer.length - view.cursorColumn;
            indent = std::min(indent, MAX_LINE - rest);   // less indentation rather than lost text
            std::memset(text, ' ', indent);
            std::memcpy(text + indent, LineEditBuffer.text + view.cursorColumn, rest);
            length = indent + rest;
            std::memset(LineEditBuffer.text + view.cursorColumn, ' ', rest);
            LineEditBuffer.length = view.cursorColumn;
        }
        line_commit();
        if (!undo_in_progress())
            push_undo_type_char(' ', 0, CurrentLineIndex(), CurrentFile.currentLine->length);
        list_insert_after(lines, CurrentFile.currentLine, new_line(text, length), status);
        MoveTo(view.cursorColumn, view.cursorRow);
        ClearRow(view.cursorRow);
        cursor_down();
        if (view.cursorRow == ScreenRows - 1) {
            MoveTo(GetLeftColumn(), view.cursorRow);
            ClearRow(view.cursorRow);
        } else {
            InsertScreenLine(view.cursorRow);
        }
        const Line* added = CurrentFile.currentLine;
        view.cursorColumn = indent;
        DrawLineAt(indent, view.cursorRow, false, added->text(), added->length, 0);
        PlaceCursor();
    } else {
        line_commit();
        if (!undo_in_progress()) push_undo_ins_lines(0, 1, CurrentLineIndex(), 0);
        Line* opened = new_line(nullptr, 0);
        list_insert_after(lines, CurrentFile.currentLine->prev, opened, status);
        CurrentFile.currentLine = opened;
        InsertScreenLine(view.cursorRow);
        cursor_down();
    }
    FrameCurrentLine(view.cursorRow);
}

}  // namespace qx
