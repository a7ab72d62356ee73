// The subcommands of ruvo-pack. Run prints errors as one line on stderr and
// returns the exit status: 0 done, 1 bad input, 2 bad usage.
#pragma once

namespace ruvo::pack {

int Run(int argc, char **argv);

}  // namespace ruvo::pack
