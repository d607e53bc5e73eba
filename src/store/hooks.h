// What the store needs from the editor above it, reached through function pointers
// that start-up installs (tests install their own). Until then the defaults do
// nothing visible: no notices, overwriting is refused, exit is a plain exit.
#pragma once

#include <cstdint>

namespace qx {

struct StoreHooks {
    // Running out of memory: the warning, shown until the user presses a key.
    void (*memoryWarning)();
    // After the warning: gives up what the editor can spare (the undo history).
    void (*releaseMemory)();
    // Out of memory for good: the last notice before the editor ends.
    void (*memoryExhausted)();
    // The editor's single exit path; must not return.
    void (*exitEditor)(int32_t status);
    // Writing over a file that exists: true to go on.
    bool (*confirmOverwrite)();
    // Every PROGRESS_INTERVAL lines of a long read.
    void (*readProgress)(uint32_t lines);
};

StoreHooks default_store_hooks();
void install_store_hooks(const StoreHooks& hooks);
const StoreHooks& store_hooks();

// Exit statuses after a hang-up or a termination signal: every modified file was
// saved beside itself (or none was modified), or some could not be saved. The exit
// path saves them when given ENDED_SAVED.
inline constexpr int32_t ENDED_SAVED = 4;
inline constexpr int32_t ENDED_UNSAVED = 5;

// Ends the editor through the installed exit path.
[[noreturn]] void exit_editor(int32_t status);

}  // namespace qx
