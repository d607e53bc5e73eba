// The macro menu: creating, stopping, deleting and executing macros, writing them to
// macro files and reading them back, and the list of macros.
#pragma once

namespace qx {

void macro_menu();    // m
void write_macro();
void read_macro();
void list_macros();

}  // namespace qx
