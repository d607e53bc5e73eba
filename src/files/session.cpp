#include "files/session.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "buffers/column_buffer.h"
#include "buffers/line_buffer.h"
#include "files/open_files.h"
#include "options/options.h"
#include "screen/screen.h"
#include "store/hooks.h"
#include "store/message_ids.h"
#include "store/memory.h"
#include "store/text.h"
#include "store/text_file.h"
#include "undo/undo.h"

namespace qx {

namespace {

bool g_startingUp = false;
bool g_lastArgument = false;

// What the emergency save did with one file, reported once the terminal is back.
struct SaveReport {
    FixedText<MAX_NAME + 1> name;
    PathText saved;   // empty when it could not be saved
};

// Writes the text under base, or base.1, base.2, ... when that exists: never over a
// file that is there, so neither the original nor an earlier save is lost.
bool save_under(const FileText& text, const PathText& base, PathText& saved) {
    for (int32_t n = 0; n < 1000; ++n) {
        PathText name(base);
        if (n > 0) name.appendf(".%d", n);
        struct stat st;
        if (::lstat(name.c_str(), &st) == 0) continue;
        uint32_t chars, lines, checksum;
        if (write_text_file(name.c_str(), 1, text.format, first_line(text.lines), nullptr, chars, lines, checksum,
                            tab_translation()) != MSG_SUCCESS)
            return false;
        saved = name;
        return true;
    }
    return false;
}

// NAME.save beside the file (qx.save in the start directory for an unnamed one); where
// that cannot be written, the same name in HOME.
bool save_modified(const EditFile& f, PathText& saved) {
    std::string_view name = f.named ? std::string_view(f.name) : "qx";
    PathText beside(name);
    beside += ".save";
    if (save_under(f.text, beside, saved)) return true;
    const char* home = std::getenv("HOME");
    if (!home || !*home) return false;
    std::size_t slash = name.rfind('/');
    PathText in_home(home);
    in_home += '/';
    in_home += slash == std::string_view::npos ? name : name.substr(slash + 1);
    in_home += ".save";
    return save_under(f.text, in_home, saved);
}

// Saves every modified open file; the reports go to reports (at most MAX_FILES).
int32_t save_all_modified(SaveReport* reports, int32_t& count) {
    int32_t status = ENDED_SAVED;
    count = 0;
    for (EditFile* f = first_open_file(); f && count < MAX_FILES; f = next_open_file(f)) {
        if (!text_modified(f->text)) continue;
        SaveReport& report = reports[count++];
        report.name = FixedText<MAX_NAME + 1>(f->named ? std::string_view(f->name) : UNNAMED_FILE);
        report.saved = PathText();
        if (!save_modified(*f, report.saved)) status = ENDED_UNSAVED;
    }
    return status;
}

void print_reports(const SaveReport* reports, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const char* name = reports[i].name.c_str();
        if (reports[i].saved.empty()) std::fprintf(stderr, "QX: could not save %s\n", name);
        else std::fprintf(stderr, "QX: saved %s as %s\n", name, reports[i].saved.c_str());
    }
}

}  // namespace

bool StartingUp() { return g_startingUp; }
bool LastStartupArgument() { return g_lastArgument; }
void SetStartingUp(bool on) { g_startingUp = on; }
void SetLastStartupArgument(bool on) { g_lastArgument = on; }

void editor_exit(int32_t status) {
    // An exit that begins while one is under way (the save ran out of memory and the
    // warning's key cannot be read) only ends the process: the terminal first.
    static bool exiting = false, saving = false;
    if (exiting) {
        EndScreen();
        std::_Exit(saving ? ENDED_UNSAVED : status);
    }
    exiting = true;
    save_file_state(OpenFiles.currentIndex);   // the edited line goes into the text
    static SaveReport reports[MAX_FILES];
    int32_t saved = 0;
    if (status == ENDED_SAVED) {
        saving = true;
        status = save_all_modified(reports, saved);
        saving = false;
    }
    // Everything goes, so the allocator hands back its blocks whole instead of the
    // texts being freed line by line, which took long after a big file.
    if (!release_all_memory()) {
        close_all_files();
        release_line_buffers();
        release_column_buffer();
        flush_undo();
    }
    release_memory_reserve();
    if (ScreenStarted()) {
        ClearToBottom(ScreenRows - 2);
        RefreshScreen();
        EndScreen();
    }
    print_reports(reports, saved);
    std::exit(status);
}

}  // namespace qx
