// ruvo-pack: turns PNG images and fonts into the library's asset files.
#include "tools/pack/pack_commands.h"

int main(int argc, char **argv) { return ruvo::pack::Run(argc, argv); }
