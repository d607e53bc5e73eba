#include "files/open_files.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "files/quit.h"
#include "files/selector.h"
#include "files/session.h"
#include "input/keys.h"
#include "input/prompt.h"
#include "options/options.h"
#include "screen/messages.h"
#include "screen/panels.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/memory.h"
#include "store/text.h"
#include "store/text_file.h"

namespace qx {

int32_t OpenResult = 0;
int32_t OpenError = 0;

namespace {

void load_file(int32_t previous) {
    EditFile* record = OpenFiles.current;
    CurrentFile.named = record->named;
    CurrentFile.text = FileText{};
    CurrentFile.view = FileView{};
    copy_text(CurrentFile.name, sizeof CurrentFile.name, record->name);
    FileText& text = CurrentFile.text;
    // Taken before the read: a change while reading counts as a change.
    CurrentFile.disk = disk_identity(CurrentFile.name);
    int32_t result =
        read_text_lines(CurrentFile.name, text.lines, text.charCount, text.lineCount, text.format, tab_translation());
    if (result != MSG_SUCCESS) {
        OpenResult = result;
        UpdateStatus(false, result, TypingMode);
        free_file(first_line(text.lines), true);
        WaitForEnter();
        if (OpenFiles.count == 0) {
            if (!StartingUp() || LastStartupArgument()) editor_exit(result);
            return;
        }
        if (previous >= 0) switch_file(-1, previous);   // none when the file replaced the current one
        return;
    }
    // Taken once the screen shows, before any key.
    defer_text_sums(text);
    FileView& view = CurrentFile.view;
    CurrentFile.currentLine = view.topLine = first_line(text.lines);
    view.bottomLine = walk_lines(text.lines, view.topLine, '+', ScreenRows - 3);
    view.cursorColumn = 0;
    view.cursorRow = FIRST_TEXT_ROW;
    view.lastMotion = 'P';
    if (!StartingUp()) RedrawText();
    char message[80];
    std::snprintf(message, sizeof message, "%u %s %d %s %s", text.charCount, "Chars",
                  static_cast<int32_t>(text.lineCount), "Lines", text.format == 'd' ? "[DOS/Win]" : "[Linux]");
    SetPendingText(message);
}

}  // namespace

void save_file_state(int32_t index) {
    EditFile* f = open_file_at(index);
    if (!f) return;
    line_commit();
    CurrentFile.view.firstColumn = GetLeftColumn();
    CurrentFile.view.lastColumn = GetRightColumn();
    static_cast<FileState&>(*f) = CurrentFile;
}

void load_file_state(int32_t index) {
    EditFile* f = open_file_at(index);
    if (!f) return;
    CurrentFile = *f;
    clear_line_marks();   // they named lines of the file that was current
    StoreLeftColumn(CurrentFile.view.firstColumn);
    StoreRightColumn(CurrentFile.view.lastColumn);
    OpenFiles.current = f;
    ResetLineNumberCache();
}

void switch_file(int32_t from, int32_t to) {
    save_file_state(from);
    load_file_state(to);
    OpenFiles.currentIndex = to;
    FrameCurrentLine(CurrentFile.view.cursorRow);
    RedrawText();
}

int32_t find_open_file(std::string_view name) {
    int32_t index = 0;
    for (EditFile* f = first_open_file(); f; f = next_open_file(f), ++index)
        if (name == f->name) return index;
    return -1;
}

void make_new_empty_file() {
    CurrentFile.text = FileText{};
    CurrentFile.view = FileView{};
    CurrentFile.disk = DiskIdentity{};   // not on disk: nothing was read
    copy_text(CurrentFile.name, sizeof CurrentFile.name, OpenFiles.current->name);
    CurrentFile.named = 0;
    FileText& text = CurrentFile.text;
    text.format = 'u';
    text.charCount = 1;
    text.lineCount = 1;
    text.checksum = 0;
    text.fingerprint = empty_text_fingerprint();
    Line* line = new_line(nullptr, 0);
    list_append(text.lines, line);
    CurrentFile.currentLine = CurrentFile.view.topLine = CurrentFile.view.bottomLine = line;
    CurrentFile.view.cursorColumn = 0;
    CurrentFile.view.cursorRow = FIRST_TEXT_ROW;
    CurrentFile.view.lastMotion = 'K';
    ClearToBottom(FIRST_TEXT_ROW);
}

void open_file(const char* path) {
    OpenResult = MSG_SUCCESS;
    int32_t previous = OpenFiles.currentIndex;
    OpenError = 0;
    if (path) {
        int fd = open_regular_file(path, OpenError);
        if (fd < 0) {
            OpenResult = MSG_CANNOT_OPEN;
            return;
        }
        ::close(fd);
    }
    auto* record = valloc_record<EditFile>();
    record->named = path ? 1 : 0;
    copy_text(record->name, sizeof record->name, path ? std::string_view(path) : UNNAMED_FILE);
    list_append(OpenFiles.list, record);
    save_file_state(previous);
    OpenFiles.currentIndex = OpenFiles.count++;
    OpenFiles.current = record;
    clear_line_marks();
    StoreLeftColumn(0);   // a new file is shown from its first column
    StoreRightColumn(ScreenColumns - 1);
    ResetLineNumberCache();
    if (path) load_file(previous);
    else make_new_empty_file();
}

void close_all_files() {
    line_abandon();
    while (EditFile* f = first_open_file()) {
        list_free_all(f->text.lines);
        int32_t status = 0;
        list_remove(OpenFiles.list, f, status);
        vfree(f);
    }
    OpenFiles.count = 0;
    OpenFiles.currentIndex = -1;
    OpenFiles.current = nullptr;
    CurrentFile = CurrentFileState{};
    CurrentFile.view.cursorRow = FIRST_TEXT_ROW;
}

namespace {

constexpr std::string_view EDIT_MENU = "File  New  Menu  + : ";

// The Edit menu's File entry: an open file is switched to, any other is opened.
void open_selected_file() {
    char name[SELECTOR_NAME_SIZE];
    if (!choose_file_name(MSG_SELECT_OPEN, MSG_NONE_TO_OPEN, name, sizeof name, false)) return;
    int32_t open = find_open_file(name);
    if (open >= 0) {
        switch_file(OpenFiles.currentIndex, open);
        return;
    }
    open_file(name);
    if (OpenResult == MSG_SUCCESS) return;
    ViewScreen();
    // Shown when the menu closes.
    if (OpenResult == MSG_CANNOT_OPEN) SetPendingText(cannot_open_text(OpenError));
}

}  // namespace

void edit_menu() {
    line_commit();
    ShowFileMenu(EDIT_MENU, true);
    RedrawWhileOpen redraw([](void*) { ShowFileMenu(EDIT_MENU, false); }, nullptr);
    for (bool done = false; !done;) {
        switch (ReadMenuKey()) {
        case 'F':
            if (OpenFiles.count >= MAX_FILES) ShowMessage("Cannot open any more files");
            else open_selected_file();
            done = true;
            break;
        case 'N':
            if (OpenFiles.count >= MAX_FILES) ShowMessage("Cannot open any more files");
            else open_file(nullptr);
            done = true;
            break;
        case 'M':
            go_to_file();
            done = true;
            break;
        case '+':
        case '=':
            next_file();
            ShowFileMenu(EDIT_MENU, false);
            break;
        case ENTER:
            done = true;
            break;
        default:
            Beep();
            ShowFileMenu(EDIT_MENU, false);
            break;
        }
    }
    PopPrompt();
}

void go_to_file() {
    line_commit();
    if (OpenFiles.count == 0) {
        ShowMessage("No open files");
        return;
    }
    char name[SELECTOR_NAME_SIZE];
    int32_t chosen = select_open_file(" - Select File to Switch To", name, sizeof name, false);
    switch_file(OpenFiles.currentIndex, chosen);
    UpdateStatus(true, 0, TypingMode);
}

void next_file() {
    line_commit();
    if (OpenFiles.count > 1) {
        switch_file(OpenFiles.currentIndex, (OpenFiles.currentIndex + 1) % OpenFiles.count);
        UpdateStatus(true, 0, TypingMode);
    } else {
        ShowMessage("Only 1 file open");
        Beep();
    }
}

}  // namespace qx
