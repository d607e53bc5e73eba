#include "app/startup.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "app/dispatch.h"
#include "app/panels.h"
#include "buffers/column_buffer.h"
#include "buffers/line_buffer.h"
#include "edit/find.h"
#include "edit/typing.h"
#include "files/block_menu.h"
#include "files/column_menu.h"
#include "files/open_files.h"
#include "files/session.h"
#include "input/keys.h"
#include "input/macro.h"
#include "input/prompt.h"
#include "options/options.h"
#include "screen/messages.h"
#include "screen/panels.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "screen/terminal.h"
#include "store/hooks.h"
#include "store/memory.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

namespace {

struct CommandLine {
    int32_t fileCount = 0;      // file arguments given
    char** files = nullptr;
    int32_t startLine = 1;
    bool noFileArguments = true;   // none given, or only an option
    bool help = false;
};

void wait_with_notice() {
    ShowNotice("> press any key to continue", 0, 2);
    ReadKey();
    ClearNotice();
}

void memory_warning() {
    ShowPromptLine("WARNING: QX is nearly out of memory - please save work and exit");
    wait_with_notice();
}

void memory_exhausted() {
    ShowPromptLine("ERROR: QX is out of memory -  discarding all files and quitting");
    wait_with_notice();
}

bool confirm_overwrite() {
    bool yes = AskYesNo("File already exists: Overwrite ? ", false);
    PlaceCursor();
    return yes;
}

void exit_hook(int32_t status) { editor_exit(status); }

[[noreturn]] void refuse_screen(std::string_view why) {
    PutRawText(why);
    PutRawText("press any key to exit\n");
    ReadRawKey();
    EndScreen();
    std::exit(0);
}

CommandLine parse(int argc, char** argv) {
    CommandLine line;
    if (argc < 2) return line;
    std::string_view first = argv[1];
    if (first == "-h" || first == "--help") {
        line.help = true;
        return line;
    }
    // Start in the file selector: the Quit menu's Replace on the unnamed file.
    if (first == "-b") {
        QueueStartupKey(ESC);
        QueueStartupKey('q');
        QueueStartupKey('r');
        return line;
    }
    line.noFileArguments = false;
    line.files = argv + 1;
    line.fileCount = argc - 1;
    if (argc == 4 && std::string_view(argv[2]) == "-l") {
        char* end = nullptr;
        long n = std::strtol(argv[3], &end, 10);
        line.startLine = end != argv[3] && *end == '\0' && n > 0 && n <= INT32_MAX ? static_cast<int32_t>(n) : 1;
        line.fileCount = 1;
    }
    return line;
}

void open_command_line_files(const CommandLine& line) {
    int32_t count = line.fileCount;
    if (count >= MAX_FILE_ARGUMENTS) {
        ShowPromptLine("QX: Too many files - not all will be opened");
        ShowNotice("> Any key to continue", 21, 2);
        ReadKey();
        ClearNotice();
        count = MAX_FILE_ARGUMENTS;
    }
    for (int32_t i = 0; i < count; ++i) {
        std::string_view name = line.files[i];
        if (name == "-l") break;
        char path[MAX_NAME + 1];
        copy_text(path, sizeof path, name.size() > static_cast<std::size_t>(MAX_NAME) ? "Filename-too-large.txt" : name);
        SetLastStartupArgument(count == 1);
        open_file(path);
        if (OpenResult != MSG_CANNOT_OPEN) continue;
        // Only a name that does not exist is a new file: one that exists but cannot be
        // read is reported, so that no Update replaces it with an empty text.
        if (OpenError != ENOENT) {
            SetPendingText(cannot_open_text(OpenError));
            continue;
        }
        open_file(nullptr);
        copy_text(CurrentFile.name, sizeof CurrentFile.name, path);
        copy_text(OpenFiles.current->name, sizeof OpenFiles.current->name, path);
        CurrentFile.named = OpenFiles.current->named = 1;
        RowText message("New File: ");
        SetPendingText(message += shorten_left(path, 28));
    }
    if (OpenFiles.count == 0) open_file(nullptr);
    if (line.fileCount > 1) {
        char message[64];
        std::snprintf(message, sizeof message, "%d %s", OpenFiles.count, "files opened");
        SetPendingText(message);
    }
}

}  // namespace

int32_t settle_before_start(int argc, char** argv, bool on_terminal) {
    if (argc >= 2 && std::string_view(argv[1]) == "--version") {
        std::printf("%.*s\n", static_cast<int>(VERSION_TEXT.size()), VERSION_TEXT.data());
        return 0;
    }
    if (on_terminal) return -1;
    std::fputs("qx: standard input and output must be a terminal\n", stderr);
    return EXIT_NOT_A_TERMINAL;
}

void install_editor_hooks() {
    install_store_hooks({memory_warning, flush_undo, memory_exhausted, exit_hook, confirm_overwrite,
                         ShowReadProgress});
}

void reset_editor() {
    // What the editor holds is given back first: files, buffers, undo history, macros.
    save_file_state(OpenFiles.currentIndex);
    close_all_files();
    LineEditBuffer = LineEditBufferState{};
    release_line_buffers();
    LineBlockBuffer = FileText{};
    SingleLineBuffer = FileText{};
    SingleLineCut = false;
    reset_block_menu();
    release_column_buffer();
    ColumnBuffer = FileText{};
    column_buffer_init();
    reset_column_menu();
    reset_undo();
    list_free_all(Macros);
    release_memory_reserve();   // start-up takes it again
    TextChanges = 1;            // no text is left whose counts it could vouch for
    TextSumsPending = false;
    OpenResult = OpenError = 0;

    Options = DEFAULT_OPTIONS;
    reset_dispatcher();   // with the command and macro state
    reset_typing();
    reset_search();
    reset_key_reader();
    ForgetEndSignal();
    TakeResizeNote();
    reset_prompt_stack();
    reset_redraws();
    SetStartingUp(false);
    SetLastStartupArgument(false);
    // The size the screen has until InitScreen measures the terminal.
    ScreenRows = 24;
    ScreenColumns = 80;
    InitStatus();
    install_store_hooks(default_store_hooks());
}

void editor_start(int argc, char** argv) {
    reset_editor();
    load_options();   // before the terminal starts: it reads the mouse and colour options
    install_editor_hooks();
    SetStartingUp(true);
    // Before curses starts, which then leaves them to the editor.
    CatchEndSignals();
    CatchResizeSignal();
    switch (InitScreen()) {
    case ScreenVerdict::TooLarge: refuse_screen("QX cannot support screen sizes this large\n\n");
    case ScreenVerdict::TooSmall: refuse_screen("QX requires at least 20 rows and 80 columns\n\n");
    case ScreenVerdict::Usable: break;
    }
    InitStatus();
    acquire_memory_reserve();

    ClearToBottom(0);
    SetColours();
    CurrentFile.view.cursorColumn = 0;
    CurrentFile.view.cursorRow = FIRST_TEXT_ROW;
    TypingMode = Mode = MODE_INSERT;
    DrawSeparator(1);
    MoveTo(0, FIRST_TEXT_ROW);

    CommandLine line = parse(argc, argv);
    if (line.help) ShowHelp();
    open_command_line_files(line);
    switch_file(OpenFiles.currentIndex, 0);
    UpdateStatus(true, PendingMessage, TypingMode);
    if (line.startLine != 1) {
        int32_t steps = 0;
        LineList& lines = CurrentFile.text.lines;
        CurrentFile.currentLine = walk_lines(lines, first_line(lines), '+', line.startLine - 1, &steps);
        SetLineNumberCache(steps + 1);   // known now, so the first edit need not count
        FrameCurrentLine((ScreenRows - 2) / 2);
    }
    RedrawText();
    if (line.fileCount <= 1) {
        RowText blank;
        blank.append(static_cast<std::size_t>(std::max(Layout.fileNameWidth, 0)), ' ');
        PutTextAt(0, 0, false, blank);
        PutTextAt(0, 0, false, VERSION_TEXT);
    }
    std::string_view hint = message_text(MSG_HELP_HINT);
    PutTextAt(line.noFileArguments ? Layout.messageColumn : ScreenColumns - 14, 0, false, hint);
    SetFirstKeyFlag();
    SetStartingUp(false);
    MoveTo(0, CurrentFile.view.cursorRow);
    MainLoop();
}

}  // namespace qx
