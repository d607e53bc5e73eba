#include <unistd.h>

#include "app/startup.h"
#include "screen/terminal.h"

int main(int argc, char** argv) {
    int32_t status = qx::settle_before_start(argc, argv, isatty(STDIN_FILENO) && isatty(STDOUT_FILENO));
    if (status >= 0) return status;
    qx::UseTerminal(qx::CursesTerminal());
    qx::editor_start(argc, argv);
}
