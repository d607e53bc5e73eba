#include "app/startup.h"
#include "screen/terminal.h"

int main(int argc, char** argv) {
    qx::UseTerminal(qx::CursesTerminal());
    qx::editor_start(argc, argv);
}
