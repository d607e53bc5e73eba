#include "app/startup.h"

int main(int argc, char** argv) { qx::editor_start(argc, argv); }
