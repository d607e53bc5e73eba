#include "files/startup.h"

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    qx::editor_exit(0);
}
