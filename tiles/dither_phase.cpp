#include "tiles/dither_phase.h"

namespace ruvo {

uint32_t theDitherPhase = 0;

}  // namespace ruvo
