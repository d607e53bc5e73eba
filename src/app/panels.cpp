#include "app/panels.h"

#include <array>
#include <cstdio>

#include "buffers/column_buffer.h"
#include "buffers/line_buffer.h"
#include "files/open_files.h"
#include "input/keys.h"
#include "input/macro.h"
#include "input/prompt.h"
#include "screen/messages.h"
#include "screen/panels.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

namespace {

constexpr std::array<std::string_view, HELP_LINE_COUNT> HELP_LINES = {
    "F1=Again           F2=Block  F3=Column   F4=Jump         F5=Find     F6=Replace",
    "F7=Paste           F8=Edit   F9=DelLine  F10=DeleteEol   F11=Update  F12=Quit  ",
    " ",
    "SHFT-CurUp=Scroll-Up     :   also ESC--  SHFT-CurDn=ScrollDown     : also ESC-+",
    "SHFT-CurLeft=Scroll-Left :   also ESC-(  SHFT-CurRight=ScrollRight : also ESC-)",
    " ",
    "Keypad/=PickLine   Keypad+=NextFile      Keypad*=Info    Keypad-=SelectFile",
    "Keypad5=ExtMotion  Backspace=Rubout      ESC-#=Rubout",
    "CTL-c=CopyLine     CTL-x=CutLine         CTL-v=PasteLine CTL-z=Undo",
    " ",
    "Insert=Ins/Ovr     ESC-Insert=unused     Delete=DelChar  ESC-Delete=DeleteWord",
    "Home=StartOfLine   ESC-Home=unused       End=EndOfLine   ESC-End=unused",
    "PageUp=PageUp      ESC-PageUp=TopOfFile  PageDn=PageDn   ESC-PageDn=EndOfFile",
    "CurLeft=left       ESC-CurLeft=WordLeft  CurRight=right  ESC-CurRight=WordRight",
    "CurUp=up           ESC-CurUp=ParaUp      CurDown=down    ESC-CurDown=ParaDown",
    " ",
    "ESC-a=Again        ESC-b=Block           ESC-c=Column    ESC-d=DelLeft",
    "ESC-e=Edit         ESC-f=Find            ESC-g=GoToFile  ESC-h=Help",
    "ESC-i=Info         ESC-j=Jump            ESC-k=DelRight  ESC-l=DelLine",
    "ESC-m=Macro        ESC-n=NextFile        ESC-o=Option    ESC-p=Paste",
    "ESC-q=Quit         ESC-r=Replace         ESC-s=Status    ESC-t=Tags",
    "ESC-u=Undo         ESC-v=ViewScreen      ESC-w=WrapPara  ESC-x=eXecuteMacro",
    "ESC-y=unused       ESC-z=SelectLine",
    " ",
    "ESC-]=WordRight    ESC-[=WordLeft        ESC-{=ParaUp    ESC-}=ParaDown",
    "ESC-\\=TopOfFile    ESC-~=EndOfFile       ESC->=EndofLine ESC-<=StartOfLine",
    " ",
    "ESC-I=Insert       ESC-O=Overwrite       ESC-D=DelChar   ESC-W=DeleteWord",
    "ESC-B=PageUp       ESC-F=PageDown        ESC-A=AboutQX   ESC-;=ExtMotion",
    "ESC-H=Home         ESC-M=Middle          ESC-L=Last      ESC-U=Update",
    " ",
};

// Seventeen lines of 73 columns each.
constexpr std::array<std::string_view, ABOUT_LINE_COUNT> ABOUT_LINES = {
    "QX is a small, fast, keyboard-driven text editor for Linux terminals.    ",
    "                                                                         ",
    "It keeps every open file in memory as a list of lines, up to 256 files   ",
    "at a time, and never changes a file on disk until you write it: a write  ",
    "goes to a temporary file beside the original, which then replaces it.    ",
    "                                                                         ",
    "Commands are ESC followed by a letter, a function key or a cursor key;   ",
    "ESC-h shows them all. ESC followed by digits or * repeats the next one.  ",
    "                                                                         ",
    "Terms of use: QX is provided as it is, without warranty of any kind,     ",
    "express or implied, including fitness for a particular purpose. You may  ",
    "use, copy and share it freely. Keep copies of work that matters to you;  ",
    "the authors accept no liability for loss of data or any other damage     ",
    "arising from its use.                                                    ",
    "                                                                         ",
    "Options are saved to ~/.qx.opt and read again at every start.            ",
    "Press ENTER to return to your text.                                      ",
};

constexpr bool about_lines_fit() {
    for (std::string_view line : ABOUT_LINES)
        if (line.size() != 73) return false;
    return true;
}
static_assert(about_lines_fit());
static_assert(HELP_LINES[0].size() == 79);

template <class... Args>
RowText format(const char* fmt, Args... args) {
    RowText text;
    text.appendf(fmt, args...);
    return text;
}

RowText size_row(const char* label, const FileText& text) {
    uint32_t chars, lines, checksum;
    text_count(text, false, chars, lines, checksum);
    return format("%s %d %s %d %s", label, static_cast<int32_t>(chars), "Chars,", static_cast<int32_t>(lines),
                  "Lines");
}

}  // namespace

void ShowHelp() {
    line_commit();
    // The lines of the page shown; the pages are cut for the size at opening.
    struct Page {
        int32_t first, end;
    } page{0, std::min<int32_t>(ScreenRows - 4, HELP_LINE_COUNT)};
    auto draw = [](void* p) {
        const Page& shown = *static_cast<const Page*>(p);
        DrawPanelTitle(" - QX Help Panel");
        int32_t column = (ScreenColumns - static_cast<int32_t>(HELP_LINES[0].size())) / 2;
        for (int32_t i = shown.first; i < shown.end && FIRST_TEXT_ROW + i - shown.first < ScreenRows - 2; ++i)
            PutTextAt(column, FIRST_TEXT_ROW + i - shown.first, false, HELP_LINES[i]);
        if (shown.end == HELP_LINE_COUNT) {
            DrawPanelFooter();
            return;
        }
        DrawSeparator(ScreenRows - 2);
        PutTextAt(0, ScreenRows - 1, false, "more... press ENTER to view");
        MoveTo(0, 0);
    };
    BeginPromptMode();
    draw(&page);
    RedrawWhileOpen redraw(draw, &page);
    if (page.end < HELP_LINE_COUNT) {
        WaitForEnter();
        page = {page.end, HELP_LINE_COUNT};
        draw(&page);
    }
    ClosePanel();
}

void ShowAbout() {
    line_commit();
    ShowPanel(" - About QX (2005)", [] {
        int32_t column = (ScreenColumns - static_cast<int32_t>(ABOUT_LINES[0].size())) / 2;
        for (int32_t i = 0; i < ABOUT_LINE_COUNT; ++i) PutTextAt(column, FIRST_TEXT_ROW + i, false, ABOUT_LINES[i]);
    });
}

int64_t memory_in_use() {
    save_file_state(OpenFiles.currentIndex);
    int64_t total = 0;
    uint32_t chars, lines, checksum;
    for (EditFile* f = first_open_file(); f; f = next_open_file(f)) {
        text_count(f->text, true, chars, lines, checksum);
        total += chars;
    }
    for (const FileText* buffer : {&LineBlockBuffer, &SingleLineBuffer, &ColumnBuffer}) {
        text_count(*buffer, true, chars, lines, checksum);
        total += chars;
    }
    return total + undo_memory();
}

void ShowStatus() {
    line_commit();
    ShowPanel(" - QX Status Panel ", [] {
        int64_t memory = memory_in_use();   // refreshes the current file's record first
        const FileText& text = CurrentFile.text;
        PutTextAt(0, 3, false, format("%s %s", "Curr Filename:  ", shorten_left(CurrentFile.name, ScreenColumns - 18).c_str()));
        PutTextAt(0, 4, false, size_row("Size:           ", text));
        PutTextAt(0, 5, false, format("%s%s", "File format:     ", text.format == 'd' ? "DOS/Win" : "Linux"));
        PutTextAt(0, 7, false, size_row("Block Line Buf: ", LineBlockBuffer));
        PutTextAt(0, 8, false, size_row("Single Line Buf:", SingleLineBuffer));
        PutTextAt(0, 9, false, size_row("Column Buf:     ", ColumnBuffer));
        PutTextAt(0, 11, false, format("%s %d %s %d %s", "Undo Actions:   ", undo_steps(), "Actions in", undo_items(),
                                       "Undo Items"));
        PutTextAt(0, 13, false, format("%s %d %s", "Memory In Use:  ", static_cast<int32_t>(memory), "Bytes"));
        PutTextAt(0, 15, false, format("%s %d", "Files Open:     ", OpenFiles.count));
        PutTextAt(0, 17, false, format("%s %d", "Macros Defined: ", static_cast<int32_t>(Macros.count)));
    });
}

}  // namespace qx
