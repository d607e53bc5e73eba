#include "files/macro_menu.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "files/selector.h"
#include "input/keys.h"
#include "input/macro.h"
#include "input/prompt.h"
#include "screen/messages.h"
#include "screen/panels.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "store/fixed_text.h"
#include "store/text.h"
#include "store/text_file.h"

namespace qx {

namespace {

constexpr std::string_view MACRO_MENU = "Create  Stop  Delete  Write  Read  eXecute  List : ";
constexpr std::string_view MACRO_CHOICES = "CSDWRXL";
constexpr void (*MACRO_ACTIONS[])() = {create_macro, stop_macro, delete_macro_command, write_macro,
                                       read_macro, execute_macro, list_macros};
static_assert(std::size(MACRO_ACTIONS) == MACRO_CHOICES.size());

constexpr int32_t MACRO_LIST_FIRST_ROW = 4;
constexpr int32_t MACRO_SIZE_COLUMN = 32;
constexpr int32_t FILE_NAME_SHOWN = 30;

}  // namespace

void macro_menu() {
    line_commit();
    PushPrompt(MACRO_MENU);
    for (;;) {
        int key = ReadMenuKey();
        if (MacroRecording() && key != 'S') {
            // The ESC, "m" and this key are no part of the macro.
            Macro* macro = MacroState.current;
            macro->keyCount = std::max(macro->keyCount - MACRO_MENU_KEYS, 0);
            ShowMessage("Cannot nest macros");
            break;
        }
        if (key == ENTER) break;
        std::size_t choice = key > 0 && key < 128 ? MACRO_CHOICES.find(static_cast<char>(key)) : std::string_view::npos;
        if (choice != std::string_view::npos) {
            MACRO_ACTIONS[choice]();
            break;
        }
        Beep();
    }
    PopPrompt();
}

void write_macro() {
    line_commit();
    Macro* macro = AskForMacro();
    if (!macro) return;
    char name[PROMPT_ANSWER_SIZE];
    select_file_name(message_text(MSG_SELECT_WRITE), name, sizeof name, true);
    unsigned char image[MACRO_FILE_SIZE];
    if (name[0]) {
        macro_to_file(*macro, image);
        if (write_file_bytes(name, 0, image, MACRO_FILE_SIZE) == MSG_SUCCESS) {
            RowText message = shorten_left(name, FILE_NAME_SHOWN);
            ShowMessage(message += " written");
            return;
        }
    }
    ShowMessage(message_text(MSG_CANNOT_OPEN));
}

void read_macro() {
    char name[PROMPT_ANSWER_SIZE];
    select_file_name(message_text(MSG_SELECT_READ), name, sizeof name, true);
    unsigned char image[MACRO_FILE_SIZE] = {};
    if (!name[0] || read_file_bytes(name, image, MACRO_FILE_SIZE) < 0) {
        PendingMessage = MSG_CANNOT_OPEN;
        return;
    }
    Macro* macro = macro_from_file(image);
    if (!macro) {
        ShowMessage("Not a QX macro file");
        return;
    }
    list_append(Macros, macro);
    RowText message = shorten_left(name, FILE_NAME_SHOWN);
    ShowMessage(message += " read");
}

// The list starts right under its heading: the rows below it down to the panel's
// closing separator hold screen rows - 6 macros.
void list_macros() {
    ShowPanel(" - Available Macros", [] {
        PutTextAt(0, 3, false, "Idx     Macro Name              Macro Size");
        int32_t index = 0;
        for (ListLink* node = Macros.count ? Macros.first : nullptr; node && index < ScreenRows - 6;
             node = node->next, ++index) {
            const auto* macro = static_cast<const Macro*>(node);
            int32_t row = MACRO_LIST_FIRST_ROW + index;
            RowText entry;
            PutTextAt(0, row, false, entry.appendf("%d       %s", index, macro->name));
            RowText size;
            PutTextAt(MACRO_SIZE_COLUMN, row, false, size.appendf("%d", macro->keyCount));
        }
    });
}

}  // namespace qx
