// Operations not built yet: each does nothing until its subsystem lands.
// Remove an entry here when its real definition is added.
#include "interface/operations.h"

namespace ruvo {

int32_t RUVO_CDECL OpenDisplay(void *, int32_t) { return 0; }
void RUVO_CDECL CloseDisplay(void) {}
int32_t RUVO_CDECL SetScreenMode(int32_t, int32_t) { return 0; }
void RUVO_CDECL ReleasePrimary(void) {}
int32_t RUVO_CDECL LockPrimary(void) { return 0; }
int32_t RUVO_CDECL UnlockPrimary(void) { return 0; }
void RUVO_CDECL ConvertColours(const uint16_t *, uint16_t *, int32_t) {}
void RUVO_CDECL ConvertAlternateColours(const void *, void *, int32_t) {}
int32_t RUVO_CDECL MeasureText(const char *, const RuvoFont *) { return 0; }
void RUVO_CDECL DrawBackText(int32_t, int32_t, const char *, const RuvoFont *, const uint16_t *) {}
void RUVO_CDECL DrawText(int32_t, int32_t, const char *, const RuvoFont *, const uint16_t *) {}
void RUVO_CDECL DrawShadedTile(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                               const uint8_t *) {}
void RUVO_CDECL TintTile(int32_t, int32_t, uint32_t) {}
void RUVO_CDECL PutBackPixel(int32_t, int32_t, uint32_t) {}
void RUVO_CDECL DarkenTile(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void RUVO_CDECL BlackenTile(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const uint8_t *) {
}
void RUVO_CDECL ApplyLightGrid(int32_t, int32_t, int32_t, int32_t) {}
void RUVO_CDECL PutPixel(int32_t, int32_t, uint32_t) {}
void RUVO_CDECL FillRect(int32_t, int32_t, int32_t, int32_t, uint32_t) {}
void RUVO_CDECL DrawRect(int32_t, int32_t, int32_t, int32_t, uint32_t) {}
void RUVO_CDECL DrawHLine(int32_t, int32_t, int32_t, uint32_t) {}
void RUVO_CDECL DrawVLine(int32_t, int32_t, int32_t, uint32_t) {}
void RUVO_CDECL BlendRect(int32_t, int32_t, int32_t, int32_t, uint32_t) {}
void RUVO_CDECL DrawAnchoredRect(int32_t, int32_t, int32_t, int32_t, uint32_t) {}
void RUVO_CDECL DrawDottedEllipse(int32_t, int32_t, int32_t, uint32_t, int32_t) {}
int32_t RUVO_CDECL PresentLit(int32_t, int32_t, int32_t, int32_t) { return 0; }
int32_t RUVO_CDECL PresentRect(int32_t, int32_t, int32_t, int32_t) { return 0; }
int32_t RUVO_CDECL PresentImage(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                const uint16_t *) {
    return 0;
}
void RUVO_CDECL DrawSpriteToSurface(int32_t, int32_t, const void *, const void *,
                                    const RuvoSurfaceDesc *) {}
void RUVO_CDECL BlendSpriteToSurface(int32_t, int32_t, int32_t, const uint16_t *, const void *,
                                     const RuvoSurfaceDesc *) {}
void RUVO_CDECL StampSpriteMask(int32_t, int32_t, const void *, uint32_t, const RuvoSurfaceDesc *,
                                uint8_t *) {}
void RUVO_CDECL ReleaseDisplay(void) {}

}  // namespace ruvo
