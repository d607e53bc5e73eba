#include "files/quit.h"

#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "files/open_files.h"
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
#include "undo/undo.h"

namespace qx {

namespace {

constexpr std::string_view QUIT_MENU = "Abs/All  Save  Discard/Quit  Replace  Write  Update : ";
constexpr std::string_view SWITCH_TITLE = " - Select Another File to Switch To";
constexpr std::string_view EDIT_TITLE = " - Select/Type Filename To Edit ";
constexpr std::string_view AGAIN_TITLE = " - Could not open. Again? (ESC-q to Quit) ";

// The name of the current file, in CurrentFile and in its record.
void set_current_name(std::string_view name) {
    std::size_t n = std::min<std::size_t>(name.size(), MAX_NAME);
    std::memcpy(CurrentFile.name, name.data(), n);
    CurrentFile.name[n] = '\0';
    if (OpenFiles.current) std::memcpy(OpenFiles.current->name, CurrentFile.name, n + 1);
}

void set_current_named(int32_t named) {
    CurrentFile.named = named;
    if (OpenFiles.current) OpenFiles.current->named = named;
}

// Whether path names the current file, under its own name or another way there
// ("./a.txt", a link).
bool is_own_file(const char* path) {
    if (std::string_view(path) == CurrentFile.name) return true;
    char mine[PATH_MAX], theirs[PATH_MAX];
    return ::realpath(CurrentFile.name, mine) && ::realpath(path, theirs) && std::strcmp(mine, theirs) == 0;
}

// The whole current text under path, without asking; the stored counts follow a
// complete write, so the file then counts as unmodified.
bool write_current_text(const char* path) {
    FileText& text = CurrentFile.text;
    if (write_text_file(path, 1, text.format, first_line(text.lines), nullptr, text.charCount, text.lineCount,
                        text.checksum, tab_translation(), &text.fingerprint) != MSG_SUCCESS)
        return false;
    note_counts_hold(text);
    if (is_own_file(path)) CurrentFile.disk = disk_identity(path);
    return true;
}

// Before the current file's own name is written over: when another program changed
// the file since it was read or written here, the user decides.
bool may_replace_own_file(const char* path) {
    if (!is_own_file(path) || !disk_changed(CurrentFile.disk, path)) return true;
    bool yes = AskYesNo("File changed on disk since read: Overwrite ? (y or n)");
    if (!yes) ShowMessage("File not written");
    return yes;
}

// Update; false when nothing was written.
bool update_current_file() {
    line_commit();
    if (!OpenFiles.current) return false;
    bool named = CurrentFile.named != 0;
    if (!named) {
        char name[SELECTOR_NAME_SIZE];
        if (!choose_file_name(MSG_SELECT_WRITE, MSG_NONE_TO_WRITE, name, sizeof name, true)) return false;
        set_current_name(name);
    }
    if (named && !may_replace_own_file(CurrentFile.name)) return false;
    if (!write_current_text(CurrentFile.name)) {
        ShowMessage("Failed to write file");
        if (!named) set_current_name(UNNAMED_FILE);
        return false;
    }
    ShowMessage("File has been written");
    if (!named) {
        set_current_named(1);
        UpdateStatus(true, 0, TypingMode);
    }
    return true;
}

// Whether a temporary file can be made beside path, as every write needs one.
bool temporary_file_possible(const char* path) {
    PathText temp;
    int fd = create_temporary_file(path, temp);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(temp.c_str());
    return true;
}

// After the current file was freed: the one left, or one the user picks.
void switch_to_remaining_file() {
    if (OpenFiles.count == 1) {
        switch_file(-1, 0);
        return;
    }
    char name[SELECTOR_NAME_SIZE];
    int32_t index = select_open_file(SWITCH_TITLE, name, sizeof name, false);
    switch_file(-1, index);
}

void drop_current_file() {
    free_file(first_line(CurrentFile.text.lines), true);
    flush_undo();   // its items point into the freed lines
}

void close_current_file() {
    if (OpenFiles.count == 1) {
        PopPrompt();
        // The last file goes with the editor: the exit hands the allocator's blocks
        // back whole, where freeing every line first took long after a big file.
        editor_exit(0);
    }
    drop_current_file();
    switch_to_remaining_file();
}

void abandon_all() {
    save_file_state(OpenFiles.currentIndex);
    int32_t count = 0;
    if (!count_modified_files(count)) editor_exit(0);
    char question[96];
    std::snprintf(question, sizeof question, "%d %s", count, "file(s) with unsaved changes. Are you sure? ");
    if (AskYesNo(question, false)) editor_exit(0);
}

void write_under_new_name() {
    char name[SELECTOR_NAME_SIZE];
    if (!choose_file_name(MSG_SELECT_WRITE, MSG_NONE_TO_WRITE, name, sizeof name, true)) return;
    if (::access(name, F_OK) == 0) {
        if (!AskYesNo("File already exists: Overwrite ? ", false)) {
            ShowMessage("File not written");
            return;
        }
    }
    if (!temporary_file_possible(name)) {
        ShowMessage("File not written");
        return;
    }
    if (!may_replace_own_file(name)) return;
    line_commit();
    ShowMessage(write_current_text(name) ? "File has been written" : "Failed to write file");
}

void replace_current_file() {
    drop_current_file();
    ClearToBottom(FIRST_TEXT_ROW);
    std::string_view title = EDIT_TITLE;
    for (;;) {
        char name[SELECTOR_NAME_SIZE];
        select_file_name(title, name, sizeof name, false);
        if (!name[0]) {
            if (OpenFiles.count == 0) editor_exit(0);
            switch_to_remaining_file();
            return;
        }
        int32_t open = find_open_file(name);
        if (open >= 0) {
            switch_file(-1, open);
            return;
        }
        open_file(name);
        if (OpenResult == MSG_SUCCESS) return;
        Beep();
        title = AGAIN_TITLE;
    }
}

}  // namespace

void update_file() { update_current_file(); }

bool confirm_discard() {
    if (!file_is_modified()) return true;
    if (AskYesNo("File has been modified: Are you sure ? (y or n) : ")) return true;
    ShowMessage("File has been retained");
    return false;
}

void quit_menu() {
    line_commit();
    if (OpenFiles.count == 0) {
        ShowMessage("No files open");
        return;
    }
    ShowFileMenu(QUIT_MENU, true);
    RedrawWhileOpen redraw([](void*) { ShowFileMenu(QUIT_MENU, false); }, nullptr);
    for (bool done = false; !done;) {
        done = true;
        switch (ReadMenuKey()) {
        case 'A':
            abandon_all();
            break;
        case 'S':
            // A file whose write failed stays open: dropping it would lose the work.
            if (update_current_file()) close_current_file();
            break;
        case 'D':
        case 'Q':
            if (confirm_discard()) close_current_file();
            break;
        case 'R':
            if (confirm_discard()) replace_current_file();
            break;
        case 'W':
            write_under_new_name();
            break;
        case 'U':
            update_current_file();
            break;
        case ENTER:
            break;
        default:
            Beep();
            ShowFileMenu(QUIT_MENU, false);
            done = false;
            break;
        }
    }
    if (OpenFiles.count == 0) editor_exit(0);
    PopPrompt();
}

void free_file(Line* first, bool remove) {
    line_abandon();
    for (Line* line = first; line;) {
        Line* next = next_line(line);
        free_line(line);
        line = next;
    }
    if (first) {
        CurrentFile.text = FileText{};
        CurrentFile.view = FileView{};
        CurrentFile.name[0] = '\0';
        CurrentFile.currentLine = nullptr;
        CurrentFile.view.cursorRow = FIRST_TEXT_ROW;
    }
    if (remove) {
        if (EditFile* record = open_file_at(OpenFiles.currentIndex)) {
            int32_t status = 0;
            list_remove(OpenFiles.list, record, status);
            vfree(record);
        }
    }
    --OpenFiles.count;
    OpenFiles.current = nullptr;
    OpenFiles.currentIndex = -1;
}

}  // namespace qx
