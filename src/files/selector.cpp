#include "files/selector.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/open_files.h"
#include "input/keys.h"
#include "input/prompt.h"
#include "screen/messages.h"
#include "screen/panels.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "state/command_state.h"
#include "store/memory.h"
#include "store/text.h"

namespace qx {

namespace {

constexpr int32_t BROWSER_MIN_WIDTH = 30;
constexpr std::string_view FOOTER =
    "CurUp/CurDn/CurLeft/CurRight, PgUp/PgDn, ENTER (select entry), ESC-q (Quit)";

// The entries plus the typed-name entry, from valloc, freed with the table.
class EntryTable {
public:
    explicit EntryTable(int32_t count)
        : count_(count),
          entries_(static_cast<SelectorEntry*>(valloc_zeroed(sizeof(SelectorEntry) * (count + 1)))) {}
    ~EntryTable() { vfree(entries_); }
    EntryTable(const EntryTable&) = delete;
    EntryTable& operator=(const EntryTable&) = delete;

    SelectorEntry* entries() { return entries_; }
    int32_t count() const { return count_; }

private:
    int32_t count_;
    SelectorEntry* entries_;
};

// What scandir hands back; it allocates with the C library, so it is freed there.
class DirectoryListing {
public:
    DirectoryListing() : count_(::scandir(".", &names_, nullptr, alphasort)) {}
    ~DirectoryListing() {
        for (int i = 0; i < count_; ++i) std::free(names_[i]);
        std::free(names_);
    }
    DirectoryListing(const DirectoryListing&) = delete;
    DirectoryListing& operator=(const DirectoryListing&) = delete;

    int count() const { return count_; }   // -1 when the directory cannot be read
    const char* name(int i) const { return names_[i]->d_name; }

private:
    dirent** names_ = nullptr;
    int count_;
};

bool is_directory(const char* path) {
    struct stat st;
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool current_directory(char* buffer, std::size_t size) { return ::getcwd(buffer, size) != nullptr; }

// The browser's pages and the typed name over one entry table.
class Chooser {
public:
    Chooser(const SelectorLayout& layout, SelectorEntry* entries, int32_t n)
        : layout_(layout), entries_(entries), n_(n) {}

    // Puts the highlight on position (wrapped into the table) and returns it.
    int32_t move_to(int32_t position) {
        if (position < 0) position = n_ - 1;
        if (position >= n_) position = 0;
        int32_t page = position / layout_.pageCapacity;
        if (page != shownPage_) draw_page(page, position);
        if (marked_ >= 0) {
            MoveTo(marker_column(marked_), marker_row(marked_));
            PutChar(' ');
        }
        MoveTo(marker_column(position), marker_row(position));
        PutCharMarked('>');
        show_current_file(entries_[position].name);
        marked_ = position;
        return position;
    }

    // After a resize: the page with position, for the layout as it is now.
    void redraw(int32_t position) {
        draw_page(std::min(position, n_ - 1) / layout_.pageCapacity, position);
        if (position < n_) move_to(position);
    }

    void rest_cursor() const {
        if (marked_ >= 0) MoveTo(marker_column(marked_), marker_row(marked_));
    }

    // The entry under a pointer on the page shown.
    int32_t entry_at(int32_t col, int32_t row) const {
        int32_t column = std::min(col, layout_.entryColumns * layout_.columnWidth - 1) / layout_.columnWidth;
        int32_t entry_row = std::clamp(row - layout_.firstRow, 0, layout_.entryRows - 1);
        return std::max(shownPage_, 0) * layout_.pageCapacity + entry_row * layout_.entryColumns + column;
    }

private:
    int32_t marker_column(int32_t position) const {
        int32_t k = position % layout_.pageCapacity;
        return (k % layout_.entryColumns) * layout_.columnWidth + layout_.firstColumn;
    }
    int32_t marker_row(int32_t position) const {
        int32_t k = position % layout_.pageCapacity;
        return layout_.firstRow + k / layout_.entryColumns;
    }

    void show_current_file(std::string_view name) const {
        MoveTo(layout_.fileValueColumn, layout_.fileRow);
        ClearRow(layout_.fileRow);
        PutText(shorten_left(name, layout_.valueWidth));
    }

    void draw_page(int32_t page, int32_t position) {
        const SelectorLayout& l = layout_;
        ClearToBottom(FIRST_TEXT_ROW);
        int32_t total = (n_ + l.pageCapacity - 1) / l.pageCapacity;
        RowText padded;
        padded.appendf("Page %d/%d", page + 1, total);
        padded.resize(13, ' ');   // a shorter number must not leave digits of a longer one
        PutTextAt(l.pageColumn, 0, false, padded);
        bool table = l.face == SelectorFace::Table;
        int32_t columns = ScreenColumns;
        if (table) {
            PutTextAtHighlighted(2, 3, false, "Filename");
            PutTextAtHighlighted(columns - 25, 3, false, "Lines");
            PutTextAtHighlighted(columns - 17, 3, false, "Chars");
            PutTextAtHighlighted(columns - 8, 3, false, "Changed");
        }
        for (int32_t k = 0; k < l.pageCapacity; ++k) {
            int32_t index = page * l.pageCapacity + k;
            if (index >= n_) break;
            const SelectorEntry& entry = entries_[index];
            int32_t col = (k % l.entryColumns) * l.columnWidth + l.firstColumn + 1;
            int32_t row = l.firstRow + k / l.entryColumns;
            RowText name = shorten_left(entry.name, l.columnWidth - 2);
            if (entry.isDirectory) PutTextAtHighlighted(col, row, false, name);
            else PutTextAt(col, row, false, name);
            if (table) {
                RowText count;
                PutTextAt(columns - 25, row, false, count.appendf("%d", entry.lines));
                count = RowText();
                PutTextAt(columns - 17, row, false, count.appendf("%d", entry.chars));
                PutTextAt(columns - 8, row, false, entry.changed ? "Yes" : "No");
            }
        }
        char directory[START_DIRECTORY_SIZE];
        PutTextAt(2, l.directoryRow, false, "Curr Dir:");
        PutTextAt(l.directoryValueColumn, l.directoryRow, false,
                  current_directory(directory, sizeof directory)
                      ? shorten_left(directory, l.valueWidth)
                      : RowText("Directory pathname too large to acquire"));
        PutTextAt(2, l.fileRow, false, "Curr File:");
        show_current_file(entries_[position].name);
        DrawSeparator(ScreenRows - 2);
        PutTextAt(0, ScreenRows - 1, false, FOOTER);
        shownPage_ = page;
        marked_ = -1;
    }

    const SelectorLayout& layout_;
    SelectorEntry* entries_;
    int32_t n_;
    int32_t shownPage_ = -1;
    int32_t marked_ = -1;
};

// The listing with directories first, then the rest, each group in the listing's
// alphabetical order.
void fill_entries(const DirectoryListing& listing, EntryTable& table) {
    int32_t n = listing.count();
    auto* directory = static_cast<char*>(valloc_zeroed(static_cast<std::size_t>(n) + 1));
    for (int32_t i = 0; i < n; ++i) directory[i] = is_directory(listing.name(i)) ? 1 : 0;
    int32_t k = 0;
    for (int pass = 1; pass >= 0; --pass)
        for (int32_t i = 0; i < n; ++i) {
            if (directory[i] != pass) continue;
            SelectorEntry& entry = table.entries()[k++];
            copy_text(entry.name, SELECTOR_NAME_SIZE, listing.name(i));
            entry.isDirectory = pass;
        }
    vfree(directory);
}

bool is_editing_key(int key) {
    return key == '<' || key == '>' || key == 'D' || key == 'W' || key == 'k' || key == 'd' || key == '#';
}

}  // namespace

SelectorLayout selector_layout(SelectorFace face, int32_t rows, int32_t columns) {
    SelectorLayout l{};
    l.face = face;
    l.firstRow = 5;
    l.firstColumn = 2;
    l.fileRow = rows - 4;
    l.fileValueColumn = 14;
    l.valueWidth = columns - 16;
    l.pageColumn = columns - 14;
    if (face == SelectorFace::Browser) {
        l.entryColumns = (columns - 2) / BROWSER_MIN_WIDTH;
        l.columnWidth = BROWSER_MIN_WIDTH;
        if (l.entryColumns * BROWSER_MIN_WIDTH + 2 < columns)
            l.columnWidth += (columns - (l.entryColumns * BROWSER_MIN_WIDTH + 2)) / l.entryColumns;
        l.entryRows = rows - 10;
        l.directoryRow = 3;
        l.directoryValueColumn = 12;
    } else {
        l.entryColumns = columns / (columns - 27);
        l.columnWidth = columns - 27;
        l.entryRows = rows - 12;
        l.directoryRow = rows - 5;
        l.directoryValueColumn = 14;
    }
    l.pageCapacity = l.entryRows * l.entryColumns;
    return l;
}

SelectorPath parent_directory(std::string_view dir) {
    std::size_t slash = dir.rfind('/');
    if (slash == std::string_view::npos || slash == 0) return SelectorPath("/");
    return SelectorPath(dir.substr(0, slash));
}

SelectorPath enter_directory(std::string_view dir, std::string_view name) {
    if (name.starts_with('/')) return SelectorPath(name);
    if (name == "..") return parent_directory(dir);
    if (name == "." || name.empty()) return SelectorPath(dir);
    // A relative name, with or without '/', is taken inside the browsing directory.
    SelectorPath next(dir);
    if (!dir.ends_with('/')) next += '/';
    return next += name;
}

SelectorPath path_from_start(std::string_view start, std::string_view dir, std::string_view name) {
    SelectorPath path;
    if (name.empty()) return path;
    if (name.starts_with('/')) return path += name;
    if (dir == start) return path += name;
    if (start == "/") path += dir.substr(1);
    else if (dir.size() > start.size() && dir.starts_with(start) && dir[start.size()] == '/')
        path += dir.substr(start.size() + 1);
    else if (dir != "/" && parent_directory(dir).view() == parent_directory(start).view())
        (path += "../") += dir.substr(dir.rfind('/') + 1);
    else if (dir.ends_with('/'))
        return (path += dir) += name;
    else
        path += dir;
    return (path += '/') += name;
}

int32_t choose_entry(SelectorLayout& layout, std::string_view title, SelectorEntry* entries, int32_t n,
                     char* destination, int32_t size, int32_t& position) {
    destination[0] = '\0';
    if (n <= 0) return 0;
    Chooser chooser(layout, entries, n);
    SelectorEntry& typed = entries[n];
    typed.name[0] = '\0';
    typed.isDirectory = 0;
    int32_t capacity = std::clamp(layout.valueWidth, 1, SELECTOR_NAME_SIZE);
    int32_t edit_position = 0, edit_column = layout.fileValueColumn, edit_row = layout.fileRow;
    int32_t pos = chooser.move_to(position);
    auto editing = [&] { return pos == n; };
    auto edit = [&](int key) { EditLineKey(typed.name, capacity, key, edit_position, edit_column, edit_row); };
    struct Open {
        SelectorLayout& layout;
        std::string_view title;
        Chooser& chooser;
        const int32_t& pos;
        int32_t n;
        int32_t& edit_row;
        const int32_t& edit_column;
    } open{layout, title, chooser, pos, n, edit_row, edit_column};
    RedrawWhileOpen redraw(
        [](void* context) {
            Open& o = *static_cast<Open*>(context);
            o.layout = selector_layout(o.layout.face, ScreenRows, ScreenColumns);
            o.edit_row = o.layout.fileRow;
            DrawPanelTitle(o.title);
            o.chooser.redraw(o.pos);
            if (o.pos == o.n) MoveTo(o.edit_column, o.edit_row);
        },
        &open);

    bool chosen = false;
    for (;;) {
        if (!editing()) chooser.rest_cursor();
        Mode = TypingMode;
        int key = ReadKey();
        if (key == ENTER) {
            chosen = true;
            break;
        }
        if (Mode != MODE_COMMAND) {
            if (key < 0x20 || key > 0x7E) {
                Beep();
                continue;
            }
            if (!editing()) {   // typing always starts a new name
                typed.name[0] = '\0';
                edit_position = 0;
                edit_column = layout.fileValueColumn;
                Mode = MODE_COMMAND;
                edit('k');
                pos = n;
            }
            edit(key);
            continue;
        }
        if (is_editing_key(key)) {
            if (editing()) edit(key);
            continue;
        }
        bool done = false;
        switch (key) {
        case ',':
        case '.':
            if (editing()) edit(key);
            else pos = chooser.move_to(pos + (key == '.' ? 1 : -1));
            break;
        case '^': pos = chooser.move_to(pos - layout.entryColumns); break;
        case '$': pos = chooser.move_to(pos + layout.entryColumns); break;
        case 'B': pos = chooser.move_to(pos - layout.pageCapacity); break;
        case 'F': pos = chooser.move_to(pos + layout.pageCapacity); break;
        case '-':
            copy_text(typed.name, SELECTOR_NAME_SIZE, "..");
            pos = n;
            chosen = done = true;
            break;
        case 'q': done = true; break;
        case '_': {
            int32_t col = 0, row = 0;
            MouseEvent event = ReadMouseEvent(col, row);
            if (event != MouseEvent::Click && event != MouseEvent::DoubleClick) break;
            pos = chooser.move_to(chooser.entry_at(col, row));
            if (event == MouseEvent::DoubleClick) chosen = done = true;
            break;
        }
        default: break;   // other commands mean nothing here
        }
        if (done) break;
    }
    Mode = MODE_COMMAND;
    if (!chosen) {
        position = -1;
        return 0;
    }
    const char* name = editing() ? typed.name : entries[pos].name;
    copy_text(destination, size, name);
    position = editing() ? 0 : pos;
    return is_directory(name) ? 2 : 1;
}

bool choose_file_name(MessageId title, MessageId none, char* destination, int32_t size, bool redraw) {
    select_file_name(message_text(title), destination, size, redraw);
    if (destination[0]) return true;
    ShowMessage(message_text(none));
    return false;
}

void select_file_name(std::string_view title, char* destination, int32_t size, bool redraw) {
    destination[0] = '\0';
    char start[START_DIRECTORY_SIZE];
    if (!current_directory(start, sizeof start)) {
        ShowMessage("Failed to get current pathname");
        return;
    }
    OpenPanel(title);
    SelectorLayout layout = selector_layout(SelectorFace::Browser, ScreenRows, ScreenColumns);
    SelectorPath dir(start);
    char chosen[SELECTOR_NAME_SIZE] = "";
    int32_t position = 0;
    for (;;) {
        char here[START_DIRECTORY_SIZE];
        if (::chdir(dir.c_str()) != 0) {
            ShowMessage("Cannot enter selected directory");
            break;
        }
        if (current_directory(here, sizeof here)) dir = SelectorPath(here);   // relative and ".." steps become a plain path
        DirectoryListing listing;
        if (listing.count() < 0) {
            ShowMessage("Cannot enter selected directory");
            break;
        }
        EntryTable table(listing.count());
        fill_entries(listing, table);
        char name[SELECTOR_NAME_SIZE];
        int32_t result = choose_entry(layout, title, table.entries(), table.count(), name, sizeof name, position);
        if (result == 0) break;
        if (result == 2) {
            dir = enter_directory(dir, name);
            continue;
        }
        copy_text(chosen, sizeof chosen, name);
        break;
    }
    if (chosen[0] != '\0' && static_cast<int64_t>(dir.size() + std::strlen(chosen) + 1) < size) {
        char full[START_DIRECTORY_SIZE];
        if (::chdir(dir.c_str()) == 0 && current_directory(full, sizeof full)) {
            SelectorPath path = path_from_start(start, full, chosen);
            if (static_cast<int64_t>(path.size()) < size) copy_text(destination, size, path);
        }
    }
    if (::chdir(start) != 0) ShowMessage("Cannot enter selected directory");
    EndPromptMode();
    if (OpenFiles.current && (destination[0] == '\0' || redraw)) ViewScreen();
}

int32_t select_open_file(std::string_view title, char* destination, int32_t size, bool redraw) {
    destination[0] = '\0';
    if (OpenFiles.count == 0) return -1;
    save_file_state(OpenFiles.currentIndex);
    int32_t preselected = std::max(OpenFiles.currentIndex, 0);
    EditFile* first = first_open_file();
    if (EditFile* f = open_file_at(preselected)) copy_text(destination, size, f->name);

    OpenPanel(title);
    SelectorLayout layout = selector_layout(SelectorFace::Table, ScreenRows, ScreenColumns);
    EntryTable table(OpenFiles.count);
    int32_t n = 0;
    for (EditFile* f = first; f && n < table.count(); f = next_open_file(f), ++n) {
        SelectorEntry& entry = table.entries()[n];
        copy_text(entry.name, SELECTOR_NAME_SIZE, f->name);
        uint32_t chars = 0, lines = 0, checksum = 0;
        uint64_t fingerprint = 0;
        text_count(f->text, false, chars, lines, checksum, &fingerprint);
        entry.lines = static_cast<int32_t>(lines);
        entry.chars = static_cast<int32_t>(chars);
        entry.changed = counts_differ(f->text, chars, lines, checksum, fingerprint);
    }
    int32_t position = preselected;
    char name[SELECTOR_NAME_SIZE];
    int32_t result = choose_entry(layout, title, table.entries(), n, name, sizeof name, position);
    int32_t index = preselected;
    if (result != 0) {
        if (position == 0) {   // entry 0 or a typed name: found by name
            int32_t found = find_open_file(name);
            if (found >= 0) {
                index = found;
            } else {
                ShowMessage(message_text(MSG_CANNOT_OPEN));
                Beep();
            }
        } else {
            index = position;
        }
    }
    if (EditFile* f = open_file_at(index)) copy_text(destination, size, f->name);
    EndPromptMode();
    if (OpenFiles.current && (result == 0 || redraw)) ViewScreen();
    return index;
}

}  // namespace qx
