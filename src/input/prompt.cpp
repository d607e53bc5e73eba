#include "input/prompt.h"

#include <cctype>
#include <cstring>

#include "input/keys.h"
#include "input/macro.h"
#include "screen/messages.h"
#include "screen/panels.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/text.h"

namespace qx {

namespace {

bool drawing() { return !MacroPlaying(); }

// The text a prompt shows before the answer being edited.
struct PromptLabel {
    int32_t column, row;
    std::string_view text;
};
const PromptLabel* g_label = nullptr;

struct LineBeingEdited {
    const char* buffer;
    const int32_t* position;
    const int32_t* column;   // the cursor's
    int32_t row;
    const PromptLabel* label;
};

void redraw_edited_line(void* context) {
    const LineBeingEdited& e = *static_cast<const LineBeingEdited*>(context);
    if (!drawing()) return;
    if (e.label) {
        MoveTo(0, e.label->row);
        ClearRow(e.label->row);
        PutTextAt(e.label->column, e.label->row, false, e.label->text);
    }
    PutTextAt(*e.column - *e.position, e.row, false, e.buffer);
    MoveTo(*e.column, e.row);
}

}  // namespace

int32_t EditLineKey(char* buffer, int32_t n, int key, int32_t& position, int32_t& column, int32_t& row) {
    int32_t length = static_cast<int32_t>(std::strlen(buffer));
    bool draw = drawing();
    auto delete_on_screen = [&](int32_t at, int32_t count) {
        if (!draw) return;
        MoveTo(at, row);
        for (int32_t i = 0; i < count; ++i) DeleteCharOnScreen();
    };
    if (Mode == MODE_COMMAND) {
        switch (key) {
        case '#':
            if (position > 0) {
                std::memmove(buffer + position - 1, buffer + position, length - position + 1);
                --position;
                --column;
                delete_on_screen(column, 1);
            } else {
                Beep();
            }
            break;
        case 'D':
            if (position < length) {
                std::memmove(buffer + position, buffer + position + 1, length - position);
                delete_on_screen(column, 1);
            }
            break;
        case 'k':
            buffer[position] = '\0';
            if (draw) {
                MoveTo(column, row);
                ClearRow(row);
            }
            break;
        case 'd':
            std::memmove(buffer, buffer + position, length - position + 1);
            column -= position;
            delete_on_screen(column, position);
            position = 0;
            break;
        case '<':
            column -= position;
            position = 0;
            break;
        case '>':
            column += length - position;
            position = length;
            break;
        case ',':
            if (position > 0) --position, --column;
            else Beep();
            break;
        case '.':
            if (position < n && position < length) ++position, ++column;
            else Beep();
            break;
        default:
            Beep();
            break;
        }
        Mode = TypingMode;
    } else if (key >= 32 && key <= 126) {
        if (length < n - 1) {
            std::memmove(buffer + position + 1, buffer + position, length - position + 1);
            buffer[position] = static_cast<char>(key);
            if (draw) {
                MoveTo(column, row);
                InsertCharOnScreen(key);
            }
            ++position;
            ++column;
        } else {
            Beep();
        }
    }
    if (draw) MoveTo(column, row);
    return static_cast<int32_t>(std::strlen(buffer));
}

int32_t EditLine(char* buffer, int32_t n, int32_t column, int32_t row, bool clear, bool keep) {
    if (!keep) buffer[0] = '\0';
    buffer[n - 1] = '\0';
    if (clear && drawing()) {
        MoveTo(column, row);
        ClearRow(row);
    }
    if (keep && buffer[0] && drawing()) {
        PutTextAt(column, row, false, buffer);
        MoveTo(column, row);
    }
    int32_t position = 0, length = static_cast<int32_t>(std::strlen(buffer));
    LineBeingEdited edited{buffer, &position, &column, row, g_label};
    RedrawWhileOpen redraw(redraw_edited_line, &edited);
    Mode = TypingMode;
    for (;;) {
        int key = ReadKey();
        length = EditLineKey(buffer, n, key, position, column, row);
        if (key == ENTER) break;
    }
    Mode = TypingMode;
    return length;
}

int32_t Prompt(int32_t column, int32_t row, std::string_view text, int32_t edit_column, int32_t edit_row,
               char* buffer, int32_t n) {
    BeginPromptMode();
    auto write_text = [&] {
        if (column < 0 || row < 0 || !drawing()) return;
        MoveTo(0, row);
        ClearRow(row);
        PutTextAt(column, row, false, text);
    };
    int32_t length;
    PromptLabel label{column, row, text};
    const PromptLabel* outer = g_label;
    g_label = column >= 0 && row >= 0 && !(edit_column == -2 && edit_row == -2) ? &label : nullptr;
    if (edit_column == -1 && edit_row == -1) {
        write_text();
        buffer[0] = '\0';
        length = EditLine(buffer, n, column + static_cast<int32_t>(text.size()), row, true, true);
    } else if (edit_column == -2 && edit_row == -2) {
        std::size_t copy = std::min<std::size_t>(text.size(), static_cast<std::size_t>(n - 1));
        std::memcpy(buffer, text.data(), copy);
        buffer[copy] = '\0';
        length = EditLine(buffer, n, column, row, true, true);
    } else {
        write_text();
        buffer[0] = '\0';
        length = EditLine(buffer, n, edit_column, edit_row, true, true);
    }
    g_label = outer;
    EndPromptMode();
    PlaceCursor();
    return length;
}

void ShowFileMenu(std::string_view menu, bool push) {
    if (push) PushPrompt(menu);
    else ShowPromptLine(PromptTop());
    RowText name = shorten_left(CurrentFile.name, Layout.fileNameWidth - 1);
    PutTextAt(ScreenColumns - 1 - static_cast<int32_t>(name.size()), 0, false, name);
    MoveTo(static_cast<int32_t>(menu.size()), 0);
}

bool AskYesNo(std::string_view question, bool bell) {
    ShowPromptLine(question);
    RedrawWhileOpen redraw([](void* q) { ShowPromptLine(*static_cast<std::string_view*>(q)); }, &question);
    int key = std::toupper(ReadKey());
    if (key == 'Y') return true;
    if (key != 'N' && bell) Beep();
    return false;
}

int ReadMenuKey() { return std::toupper(ReadPanelKey()); }

void DrawPanelFooter() {
    DrawSeparator(ScreenRows - 2);
    PutTextAt(0, ScreenRows - 1, false, message_text(MSG_RETURN_PROMPT));
    MoveTo(0, 0);
}

void ShowPanel(std::string_view suffix, void (*body)()) {
    struct Panel {
        std::string_view suffix;
        void (*body)();
    } panel{suffix, body};
    OpenPanel(suffix);
    body();
    RedrawWhileOpen redraw(
        [](void* p) {
            const Panel& open = *static_cast<const Panel*>(p);
            DrawPanelTitle(open.suffix);
            open.body();
            DrawPanelFooter();
        },
        &panel);
    ClosePanel();
}

void ClosePanel() {
    DrawPanelFooter();
    WaitForEnter();
    EndPromptMode();
    if (OpenFiles.count > 0) ViewScreen();
}

}  // namespace qx
