#include "input/macro.h"

#include <algorithm>
#include <cstring>

#include "input/prompt.h"
#include "screen/screen.h"
#include "screen/status.h"
#include "store/fixed_text.h"
#include "store/memory.h"
#include "store/text.h"
#include "undo/undo.h"

namespace qx {

LineList Macros;

namespace {

constexpr char MACRO_VERSION[4] = {'3', '5', 'g', '\0'};
constexpr int32_t IMAGE_VERSION = 8, IMAGE_MAGIC_1 = 12, IMAGE_MAGIC_2 = 16, IMAGE_COUNT = 20,
                  IMAGE_NAME = 24, IMAGE_KEYS = 44;
static_assert(IMAGE_KEYS + 4 * MACRO_KEY_SLOTS == MACRO_FILE_SIZE);

void put32(unsigned char* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t get32(const unsigned char* at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= uint32_t{at[i]} << (8 * i);
    return value;
}

void remove_macro(Macro* macro) {
    int32_t status = 0;
    list_remove(Macros, macro, status);
    vfree(macro);
}

}  // namespace

Macro* FindMacro(std::string_view name) {
    for (ListLink* node = Macros.count ? Macros.first : nullptr; node; node = node->next) {
        auto* macro = static_cast<Macro*>(node);
        if (name == macro->name) return macro;
    }
    return nullptr;
}

Macro* AskForMacro() {
    char name[MACRO_NAME_ANSWER];
    Prompt(0, 0, "Macro name: ", -1, -1, name, sizeof name);
    Macro* macro = FindMacro(name);
    if (!macro) ShowMessage("No such macro       ");
    return macro;
}

void delete_macro(Macro* macro) {
    if (MacroState.lastExecuted == macro) MacroState.lastExecuted = nullptr;
    if (MacroState.current == macro) {
        if (MacroPlaying()) end_macro_playback();
        MacroState.state = MACRO_IDLE;
        MacroState.current = nullptr;
    }
    remove_macro(macro);
}

void macro_to_file(Macro& macro, unsigned char* image) {
    std::memcpy(macro.version, MACRO_VERSION, sizeof macro.version);
    macro.magic1 = MACRO_MAGIC_1;
    macro.magic2 = MACRO_MAGIC_2;
    // The first eight bytes stand for the links, which mean nothing in a file.
    std::memset(image, 0, IMAGE_VERSION);
    std::memcpy(image + IMAGE_VERSION, macro.version, sizeof macro.version);
    put32(image + IMAGE_MAGIC_1, macro.magic1);
    put32(image + IMAGE_MAGIC_2, macro.magic2);
    put32(image + IMAGE_COUNT, static_cast<uint32_t>(macro.keyCount));
    std::memcpy(image + IMAGE_NAME, macro.name, MACRO_NAME_SIZE);
    for (int32_t i = 0; i < MACRO_KEY_SLOTS; ++i) put32(image + IMAGE_KEYS + 4 * i, static_cast<uint32_t>(macro.keys[i]));
}

Macro* macro_from_file(const unsigned char* image) {
    if (get32(image + IMAGE_MAGIC_1) != MACRO_MAGIC_1 || get32(image + IMAGE_MAGIC_2) != MACRO_MAGIC_2) return nullptr;
    auto* macro = valloc_record<Macro>();
    std::memcpy(macro->version, image + IMAGE_VERSION, sizeof macro->version);
    macro->magic1 = MACRO_MAGIC_1;
    macro->magic2 = MACRO_MAGIC_2;
    macro->keyCount = std::clamp(static_cast<int32_t>(get32(image + IMAGE_COUNT)), 0, MACRO_KEY_LIMIT);
    std::memcpy(macro->name, image + IMAGE_NAME, MACRO_NAME_SIZE);
    macro->name[MACRO_NAME_SIZE - 1] = '\0';
    for (int32_t i = 0; i < MACRO_KEY_SLOTS; ++i)
        macro->keys[i] = static_cast<KeyCode>(get32(image + IMAGE_KEYS + 4 * i));
    return macro;
}

void end_macro_playback() {
    MacroState.state = MACRO_IDLE;
    MacroState.current = nullptr;
    if (const char* problem = end_undo_macro()) ShowMessage(problem);
    UpdateStatus(true, 0, TypingMode);
}

void create_macro() {
    auto* macro = valloc_record<Macro>();
    list_append(Macros, macro);
    char name[MACRO_NAME_ANSWER];
    Prompt(0, 0, "Macro name: ", -1, -1, name, sizeof name);
    // The new record is already listed, unnamed: an empty name finds it.
    if (FindMacro(name)) {
        remove_macro(macro);
        ShowMessage("Macro already exists");
        return;
    }
    copy_text(macro->name, MACRO_NAME_SIZE, name);
    MacroState.current = macro;
    MacroState.state = MACRO_RECORDING;
    MacroState.dropped = 0;
    RowText message("Defining macro: ");
    ShowMessage(message += macro->name);
}

void stop_macro() {
    if (!MacroRecording()) {
        ShowMessage("Not creating a macro");
        return;
    }
    Macro* macro = MacroState.current;
    MacroState.state = MACRO_IDLE;
    MacroState.current = nullptr;
    // The keys that stopped it are not part of it, unless a full recording dropped them.
    int32_t menu_keys = std::max(MACRO_MENU_KEYS - MacroState.dropped, 0);
    if (macro->keyCount > menu_keys) {
        macro->keyCount -= menu_keys;
        RowText message("Macro defined: ");
        ShowMessage(message += macro->name);
    } else {
        remove_macro(macro);
        ShowMessage("Empty macro - deleted");
    }
}

void delete_macro_command() {
    Macro* macro = AskForMacro();
    if (!macro) return;
    RowText message(macro->name);
    delete_macro(macro);
    ShowMessage(message += " deleted");
}

void execute_macro() {
    if (MacroRecording()) {
        ShowMessage("Cannot nest macros");
        return;
    }
    Macro* macro = CurrentCommandKey == 'a' ? MacroState.lastExecuted : nullptr;
    if (!macro && !(macro = AskForMacro())) return;
    // Started from a playback, it takes that playback's place: groups never nest,
    // and the look for ESC keeps its pace.
    bool from_playback = MacroPlaying();
    if (from_playback) end_macro_playback();
    MacroState.current = MacroState.lastExecuted = macro;
    MacroState.playbackIndex = 0;
    UpdateStatus(true, 0, TypingMode);
    MacroState.state = MACRO_PLAYING;
    if (!from_playback) DeferEscapeLook();
    // The count repeats the playback, not this command.
    MacroState.repetitions = std::max(RepeatCount - 1, 0);
    if (RepeatCount > 0) Iteration = RepeatCount;
    begin_undo_macro(command_index('m'), CurrentLineIndex(), CurrentFile.view.cursorColumn);
}

void execute_macro_command() {
    line_commit();
    execute_macro();
    UpdateStatus(true, PendingMessage, TypingMode);
}

}  // namespace qx
