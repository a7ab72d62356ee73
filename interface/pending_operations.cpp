// Operations not built yet: each does nothing until its subsystem lands.
// Remove an entry here when its real definition is added.
#include "interface/operations.h"

namespace ruvo {

int32_t RUVO_CDECL MeasureText(const char *, const RuvoFont *) { return 0; }
void RUVO_CDECL DrawBackText(int32_t, int32_t, const char *, const RuvoFont *, const uint16_t *) {}
void RUVO_CDECL DrawText(int32_t, int32_t, const char *, const RuvoFont *, const uint16_t *) {}
void RUVO_CDECL DrawBackSpriteP1(int32_t, int32_t, const void *) {}
void RUVO_CDECL DrawBackSpriteP2(int32_t, int32_t, const void *) {}
void RUVO_CDECL StampBackSpriteP0(int32_t, int32_t, int32_t, const void *) {}
void RUVO_CDECL StampBackSprite(int32_t, int32_t, int32_t, const uint16_t *, const void *) {}
void RUVO_CDECL StampBackSpritePlain(int32_t, int32_t, int32_t, const uint16_t *, const void *) {}
void RUVO_CDECL DrawBackSprite(int32_t, int32_t, const uint16_t *, const void *) {}
void RUVO_CDECL CastBackShadow(int32_t, int32_t, uint32_t, const void *) {}
void RUVO_CDECL DrawScreenSprite(int32_t, int32_t, const uint16_t *, const void *) {}
void RUVO_CDECL DrawScreenColourSprite(int32_t, int32_t, const void *) {}
void RUVO_CDECL DrawScreenBlendSprite(int32_t, int32_t, const uint16_t *, const void *) {}
void RUVO_CDECL DrawScreenSpriteTested(int32_t, int32_t, int32_t, const uint16_t *, const void *) {}
void RUVO_CDECL DrawScreenBlendSpriteTested(int32_t, int32_t, int32_t, const uint16_t *,
                                            const void *) {}
void RUVO_CDECL DrawScreenBlendSpriteStippled(int32_t, int32_t, int32_t, const uint16_t *,
                                              const void *) {}
void RUVO_CDECL DrawScreenSpriteTranslucent(int32_t, int32_t, int32_t, const uint32_t *,
                                            const void *) {}
void RUVO_CDECL CastScreenShadow(int32_t, int32_t, uint32_t, const void *) {}
void RUVO_CDECL DrawScreenSpriteAdditive(int32_t, int32_t, int32_t, const uint16_t *,
                                         const void *) {}
void RUVO_CDECL ApplyScreenLight(int32_t, int32_t, int32_t, const void *) {}
void RUVO_CDECL DrawScreenSpriteFaded(int32_t, int32_t, int32_t, const uint16_t *, const void *) {}
void RUVO_CDECL DrawSpriteToSurface(int32_t, int32_t, const void *, const void *,
                                    const RuvoSurfaceDesc *) {}
void RUVO_CDECL BlendSpriteToSurface(int32_t, int32_t, int32_t, const uint16_t *, const void *,
                                     const RuvoSurfaceDesc *) {}
void RUVO_CDECL StampSpriteMask(int32_t, int32_t, const void *, uint32_t, const RuvoSurfaceDesc *,
                                uint8_t *) {}

}  // namespace ruvo
