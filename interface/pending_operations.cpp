// Operations not built yet: each does nothing until its subsystem lands.
// Remove an entry here when its real definition is added.
#include "interface/operations.h"

namespace ruvo {

int32_t RUVO_CDECL MeasureText(const char *, const RuvoFont *) { return 0; }
void RUVO_CDECL DrawBackText(int32_t, int32_t, const char *, const RuvoFont *, const uint16_t *) {}
void RUVO_CDECL DrawText(int32_t, int32_t, const char *, const RuvoFont *, const uint16_t *) {}
void RUVO_CDECL DrawSpriteToSurface(int32_t, int32_t, const void *, const void *,
                                    const RuvoSurfaceDesc *) {}
void RUVO_CDECL BlendSpriteToSurface(int32_t, int32_t, int32_t, const uint16_t *, const void *,
                                     const RuvoSurfaceDesc *) {}
void RUVO_CDECL StampSpriteMask(int32_t, int32_t, const void *, uint32_t, const RuvoSurfaceDesc *,
                                uint8_t *) {}

}  // namespace ruvo
