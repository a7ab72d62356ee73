#include "tools/pack/pack_commands.h"

#include <cstdio>

namespace ruvo::pack {
int Run(int, char **) {
    std::fprintf(stderr, "ruvo-pack: not yet\n");
    return 2;
}
}  // namespace ruvo::pack
