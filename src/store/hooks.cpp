#include "store/hooks.h"

#include <cstdlib>

namespace qx {

namespace {

void nothing() {}
void no_progress(uint32_t) {}
bool refuse_overwrite() { return false; }
void plain_exit(int32_t status) { std::exit(status); }

StoreHooks g_hooks = default_store_hooks();

}  // namespace

StoreHooks default_store_hooks() {
    return {nothing, nothing, nothing, plain_exit, refuse_overwrite, no_progress};
}

void install_store_hooks(const StoreHooks& hooks) { g_hooks = hooks; }
const StoreHooks& store_hooks() { return g_hooks; }

void exit_editor(int32_t status) {
    g_hooks.exitEditor(status);
    std::exit(status);   // an exit hook that returned still ends the editor
}

}  // namespace qx
