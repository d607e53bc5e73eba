// Keystroke macros: the macros the key reader records and plays (the recording and
// playback state is in state/command_state.h), their file image, and the commands
// that create, stop, delete and execute them.
#pragma once

#include <cstdint>
#include <string_view>

#include "input/keys.h"
#include "state/command_state.h"
#include "store/line.h"

namespace qx {

inline constexpr int32_t MACRO_KEY_LIMIT = 511;
inline constexpr int32_t MACRO_KEY_SLOTS = 512;
inline constexpr int32_t MACRO_NAME_SIZE = 20;
inline constexpr int32_t MACRO_NAME_ANSWER = 18;   // a name of at most 17 characters
inline constexpr int32_t MACRO_FILE_SIZE = 2092;
inline constexpr uint32_t MACRO_MAGIC_1 = 0x55AA;
inline constexpr uint32_t MACRO_MAGIC_2 = 0xAA55;
// The keys that stop a recording from the macro menu: ESC, "m" and the choice.
inline constexpr int32_t MACRO_MENU_KEYS = 3;

// One macro, in memory in the layout of a macro file after its links.
struct Macro : ListLink {
    char version[4];
    uint32_t magic1;
    uint32_t magic2;
    int32_t keyCount;
    char name[MACRO_NAME_SIZE];
    KeyCode keys[MACRO_KEY_SLOTS];
};

extern LineList Macros;

// The first macro of that name (exact case), or null.
Macro* FindMacro(std::string_view name);
// Asks "Macro name: " and looks the answer up; null, with "No such macro       "
// shown, when there is none of that name.
Macro* AskForMacro();
// Unlinks and frees a macro; playback of it ends first, and Again forgets it.
void delete_macro(Macro* macro);

// The 2092 bytes of a macro file (the version and magic numbers are set in the
// record too).
void macro_to_file(Macro& macro, unsigned char* image);
// A new macro from a file's first 2092 bytes (zero beyond what the file held), or
// null unless both magic numbers are in place. The key count is clipped to the
// key limit and the name ended within its field, so that no use reads past them.
Macro* macro_from_file(const unsigned char* image);

// The end of a playback: idle again, its undo group closed, the status line drawn.
void end_macro_playback();

void create_macro();
void stop_macro();
void delete_macro_command();
// Plays a macro chosen by name (by Again: the last one played), the repeat count
// repeating the whole playback.
void execute_macro();
void execute_macro_command();   // x

}  // namespace qx
