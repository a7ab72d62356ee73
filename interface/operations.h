// Every slot operation, declared once from the slot list of the public header.
// Each is defined in its subsystem's folder under the same name.
#pragma once

#include "ruvodraw1024.h"

namespace ruvo {

#define RUVO_DECLARE_OPERATION(slot, Member, Operation, Result, Params) \
    Result RUVO_CDECL Operation Params;
RUVO_OPERATION_SLOTS(RUVO_DECLARE_OPERATION)
#undef RUVO_DECLARE_OPERATION

}  // namespace ruvo
