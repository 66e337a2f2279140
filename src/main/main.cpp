#include "main/main_routine.h"
#include "app/version_block.h"

MIRELVANE_DEFINE_VERSION_BLOCK();

int main(int argc, char** argv) { return MirelvaneMain(argc, argv); }
