#include "framestore/layers.h"

namespace ruvo {

LayerStorage theLayers;

}  // namespace ruvo
