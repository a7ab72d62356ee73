// The surface lock, presentation onto the in-memory surface and the colour
// conversions.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <vector>

#include "simd/kernels.h"
#include "tests/display/display_fixture.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

using platform::kGenericFailure;
using platform::kSurfaceBusy;
using platform::kSurfaceLost;

using PresentTest = DisplayTest;

TEST_F(PresentTest, LockPrimary_GivesTheSurfaceMemoryAndPitch) {
    Platform().pitch_padding = 32;
    OpenReady(800, 600);
    ASSERT_EQ(op->LockPrimary(), 1);
    EXPECT_EQ(db->SurfacePointer, memory::Surface().bytes);
    EXPECT_EQ(db->SurfacePitch, 2 * 800 + 32);
    EXPECT_EQ(Platform().lock_flags, platform::kLockWait);
    EXPECT_EQ(Platform().lock_desc_size, sizeof(platform::SurfaceDescription));
    EXPECT_EQ(op->UnlockPrimary(), 0);
    EXPECT_EQ(db->SurfacePointer, nullptr);
    EXPECT_EQ(db->SurfacePitch, 2 * 800 + 32);  // kept after the unlock
}

// Busy is retried, lost is restored and retried, anything else fails.
TEST_F(PresentTest, LockPrimary_RetriesBusyAndLostAndFailsOnAnythingElse) {
    struct Case {
        const char *name;
        int64_t busy, lost;
        bool fail_restore;
        platform::Result failure;
        int32_t want, locks, restores;
    };
    const Case cases[] = {
        {"plain", 0, 0, false, 0, 1, 1, 0},
        {"busy 5 times", 5, 0, false, 0, 1, 6, 0},
        {"lost twice", 0, 2, false, 0, 1, 3, 2},
        {"busy, then lost", 3, 1, false, 0, 1, 5, 1},
        {"lost, restore fails", 0, 1, true, 0, 0, 1, 1},
        {"other failure", 0, 0, false, kGenericFailure, 0, 1, 0},
    };
    for (const Case &c : cases) {
        OpenReady();
        Platform().lock_busy_count = c.busy;
        Platform().lock_lost_count = c.lost;
        Platform().fail_restore = c.fail_restore;
        Platform().lock_failure = c.failure;
        EXPECT_EQ(op->LockPrimary(), c.want) << c.name;
        EXPECT_EQ(Calls().lock, c.locks) << c.name;
        EXPECT_EQ(Calls().restore, c.restores) << c.name;
        EXPECT_EQ(db->SurfacePointer != nullptr, c.want == 1) << c.name;
        if (c.want) op->UnlockPrimary();
        memory::ResetControl();
    }
}

// Mended: a surface that never stops being busy or lost no longer hangs the host.
TEST_F(PresentTest, LockPrimary_GivesUpOnASurfaceThatStaysBusyOrLost) {
    for (bool lost : {false, true}) {
        OpenReady();
        (lost ? Platform().lock_lost_count : Platform().lock_busy_count) = INT64_MAX;
        EXPECT_EQ(op->LockPrimary(), 0);
        EXPECT_EQ(db->SurfacePointer, nullptr);
        EXPECT_GE(Calls().lock, 1000);
        memory::ResetControl();
    }
}

TEST_F(PresentTest, UnlockPrimary_PassesTheResultOnAndClearsThePointerWhatever) {
    OpenReady();
    ASSERT_EQ(op->LockPrimary(), 1);
    Platform().unlock_result = kSurfaceLost;
    EXPECT_EQ(op->UnlockPrimary(), kSurfaceLost);
    EXPECT_EQ(db->SurfacePointer, nullptr);
    EXPECT_EQ(op->UnlockPrimary(), kGenericFailure);  // not locked
}

// Storage rows 100..767 hold logical rows 0..667, storage rows 0..99 the rest.
TEST_F(PresentTest, PresentRect_FullFrameAcrossTheWrap) {
    for (int32_t offset : {2048 * 100, 2048 * 100 + 2 * 24}) {
        OpenReady();
        FillLayerWithPattern(Layer::Screen, 7);
        SetView(offset);
        EXPECT_EQ(op->PresentRect(0, 0, 1024, 768), 0);
        const memory::SurfaceView s = memory::Surface();
        const int32_t c = offset % 2048 / 2;
        for (int32_t y = 0; y < 768; ++y) {
            const int32_t storage_row = y < 668 ? y + 100 : y - 668;
            for (int32_t x = 0; x < 1024; ++x) {
                ASSERT_EQ(s.At(x, y), Stored(Layer::Screen, storage_row, x + c)) << x << "," << y;
            }
        }
        EXPECT_EQ(db->SurfacePointer, nullptr);
        EXPECT_EQ(Calls().lock, 1);
        EXPECT_EQ(Calls().unlock, 1);
    }
}

TEST_F(PresentTest, PresentRect_InsideTheHostsLockLeavesItLockedAndReturns0) {
    OpenReady();
    ASSERT_EQ(op->LockPrimary(), 1);
    void *locked = db->SurfacePointer;
    FillLayer(Layer::Screen, 0x1234);
    Platform().unlock_result = kGenericFailure;  // would show if it unlocked
    EXPECT_EQ(op->PresentRect(0, 0, 64, 8), 0);
    EXPECT_EQ(op->PresentImage(0, 0, 4, 1, 0, 0, 4, ScreenCells()), 0);
    EXPECT_EQ(db->SurfacePointer, locked);
    EXPECT_EQ(Calls().lock, 1);
    EXPECT_EQ(Calls().unlock, 0);
    EXPECT_EQ(memory::Surface().At(63, 7), 0x1234);
}

// SurfacePointer and SurfacePitch are for the host to read: whatever it
// writes there, presentation writes through the lock the platform gave.
TEST_F(PresentTest, Presentation_WritesThroughTheLockNotTheRecordsPointer) {
    OpenReady(320, 200);
    std::vector<uint16_t> decoy(4096, 0x5A5A);
    FillLayer(Layer::Screen, 0x1234);

    // Locked by the host, pointer and pitch overwritten: the real surface
    // still gets the pixels, and the host's lock is kept.
    ASSERT_EQ(op->LockPrimary(), 1);
    db->SurfacePointer = decoy.data();
    db->SurfacePitch = -1000000;
    EXPECT_EQ(op->PresentLit(0, 0, 319, 199), 0);
    EXPECT_EQ(op->PresentRect(0, 0, 320, 200), 0);
    EXPECT_EQ(memory::Surface().At(319, 199), 0x1234);
    EXPECT_EQ(Calls().lock, 1);
    EXPECT_EQ(Calls().unlock, 0);

    // Locked, pointer cleared: still the host's lock, not a second one.
    db->SurfacePointer = nullptr;
    FillLayer(Layer::Screen, 0x4321);
    EXPECT_EQ(op->PresentRect(0, 0, 8, 1), 0);
    EXPECT_EQ(memory::Surface().At(7, 0), 0x4321);
    EXPECT_EQ(Calls().lock, 1);
    EXPECT_EQ(op->UnlockPrimary(), 0);

    // Not locked, a pointer written: presentation locks and unlocks itself.
    db->SurfacePointer = decoy.data();
    FillLayer(Layer::Screen, 0x0F0F);
    EXPECT_EQ(op->PresentRect(0, 0, 8, 1), 0);
    EXPECT_EQ(memory::Surface().At(7, 0), 0x0F0F);
    EXPECT_EQ(Calls().lock, 2);
    EXPECT_EQ(db->SurfacePointer, nullptr);
    EXPECT_EQ(std::count(decoy.begin(), decoy.end(), 0x5A5A), 4096);
}

TEST_F(PresentTest, PresentRect_ResultIsTheUnlocksOr0WhenTheLockFails) {
    OpenReady();
    FillLayer(Layer::Screen, 0xFFFF);
    Platform().unlock_result = kSurfaceBusy;
    EXPECT_EQ(op->PresentRect(0, 0, 8, 1), kSurfaceBusy);
    Platform().lock_failure = kGenericFailure;
    EXPECT_EQ(op->PresentRect(0, 1, 8, 1), 0);
    EXPECT_EQ(memory::Surface().At(0, 0), 0xFFFF);
    EXPECT_EQ(memory::Surface().At(0, 1), 0);  // nothing copied
    EXPECT_EQ(db->SurfacePointer, nullptr);
}

// Every surface pixel of s equals want(x, y).
template <class Want>
void ExpectSurface(const memory::SurfaceView &s, Want want) {
    for (int32_t y = 0; y < s.height; ++y) {
        for (int32_t x = 0; x < s.width; ++x) {
            ASSERT_EQ(s.At(x, y), want(x, y)) << x << "," << y;
        }
    }
}

bool Inside(const ClipRect &r, int32_t x, int32_t y) {
    return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

// Mended: widths that are no multiple of 8 copy exactly the pixels asked for,
// and rectangles are cut to the layer and the surface.
TEST_F(PresentTest, PresentRect_CopiesExactlyTheRectangleCutToLayerAndSurface) {
    struct Case {
        int32_t x, y, w, h;
        ClipRect want;
    };
    const Case cases[] = {
        {13, 7, 21, 5, {13, 7, 33, 11}},         // odd width
        {-8, -4, 2000, 2000, {0, 0, 799, 599}},  // over every edge
        {790, 590, 64, 64, {790, 590, 799, 599}},
        {800, 0, 8, 8, {0, 0, -1, -1}},  // wholly outside the surface
        {0, 0, 0, 5, {0, 0, -1, -1}},
        {0, 0, 8, -1, {0, 0, -1, -1}},
        {INT32_MAX - 4, 0, 8, 8, {0, 0, -1, -1}},
    };
    for (const Case &c : cases) {
        Platform().pitch_padding = 16;
        OpenReady(800, 600);
        FillLayerWithPattern(Layer::Screen, 3);
        SetView(2048 * 33 + 2 * 5);
        op->PresentRect(c.x, c.y, c.w, c.h);
        const memory::SurfaceView s = memory::Surface();
        ExpectSurface(s, [&](int32_t x, int32_t y) -> uint16_t {
            return Inside(c.want, x, y) ? At(Layer::Screen, x, y) : 0;
        });
        // The padding behind each row is never written.
        for (int32_t y = 0; y < 600; ++y) ASSERT_EQ(s.At(800 + 7, y), 0) << y;
    }
}

TEST_F(PresentTest, PresentImage_CopiesTheImageRectangleCutToTheSurface) {
    constexpr int32_t kPitch = 40;
    std::vector<uint16_t> image(kPitch * 30);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint16_t>(0x100 + i);
    struct Case {
        int32_t sx, sy, w, h, dx, dy;
        ClipRect want;  // on the surface
    };
    const Case cases[] = {
        {2, 3, 8, 4, 100, 50, {100, 50, 107, 53}},
        {2, 3, 5, 2, 10, 10, {10, 10, 14, 11}},  // width no multiple of 4
        {4, 4, 12, 6, -3, -2, {0, 0, 8, 3}},     // cut at the top left: source moves too
        {0, 0, 16, 8, 316, 236, {316, 236, 319, 239}},
    };
    for (const Case &c : cases) {
        OpenReady(320, 240);
        EXPECT_EQ(op->PresentImage(c.sx, c.sy, c.w, c.h, c.dx, c.dy, kPitch, image.data()), 0);
        ExpectSurface(memory::Surface(), [&](int32_t x, int32_t y) -> uint16_t {
            if (!Inside(c.want, x, y)) return 0;
            return image[(c.sy + y - c.dy) * kPitch + c.sx + x - c.dx];
        });
    }
}

// A plain reference: each 5-6-5 channel's top bits in the surface channel.
uint16_t ConvertByChannels(uint16_t v, uint32_t rm, uint32_t gm, uint32_t bm) {
    auto place = [](uint32_t value, int bits, uint32_t mask) -> uint32_t {
        if (!mask) return 0;
        const int top = 31 - __builtin_clz(mask), width = __builtin_popcount(mask);
        const uint32_t kept = width >= bits ? value << (width - bits) : value >> (bits - width);
        return (kept << (top + 1 - width)) & mask;
    };
    return static_cast<uint16_t>(place(v >> 11, 5, rm) | place(v >> 5 & 63, 6, gm) |
                                 place(v & 31, 5, bm));
}

TEST_F(PresentTest, ConvertColours_MatchesThePerChannelPlacementForAllColours) {
    struct Format {
        uint32_t r, g, b;
    };
    const Format formats[] = {
        {0xF800, 0x07E0, 0x001F}, {0x7C00, 0x03E0, 0x001F}, {0x001F, 0x07E0, 0xF800}};
    std::vector<uint16_t> src(65536), dst(65536);
    for (uint32_t i = 0; i < 65536; ++i) src[i] = static_cast<uint16_t>(i);
    for (const Format &f : formats) {
        op->AnalysePixelFormat(f.r, f.g, f.b);
        op->ConvertColours(src.data(), dst.data(), 65536);
        for (uint32_t v = 0; v < 65536; ++v) {
            const uint16_t want =
                v == 0xF81F ? 0xF81F : ConvertByChannels(static_cast<uint16_t>(v), f.r, f.g, f.b);
            ASSERT_EQ(dst[v], want) << std::hex << v << " to " << f.r;
        }
    }
}

TEST_F(PresentTest, ConvertColours_WorkedValuesInPlaceAndEmptyCounts) {
    op->AnalysePixelFormat(0x7C00, 0x03E0, 0x001F);
    uint16_t colours[] = {0xFFFF, 0x07E0, 0xF81F, 0x0001, 0xAAAA};
    op->ConvertColours(colours, colours, 4);
    EXPECT_EQ(colours[0], 0x7FFF);
    EXPECT_EQ(colours[1], 0x03E0);
    EXPECT_EQ(colours[2], 0xF81F);
    EXPECT_EQ(colours[3], 0x0001);
    EXPECT_EQ(colours[4], 0xAAAA);  // beyond the count
    op->ConvertColours(colours, colours + 1, 0);
    op->ConvertColours(colours, colours + 1, -5);
    EXPECT_EQ(colours[1], 0x03E0);
}

// The conversion step by step from the DrawBlock's fields, over one buffer
// with src and dst at offsets into it, front to back as the loop runs: what
// every path must give, overlap included.
void ConvertStepByStep(const RuvoDrawBlock &b, std::vector<uint16_t> &buffer, size_t src,
                       size_t dst, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t v = buffer[src + i];
        const uint32_t r = ((v & 0xF800) >> (b.RedShift & 31)) & (b.RedMask & 0xFFFF);
        const uint32_t g = (((v & 0x07E0) << 5) >> (b.GreenShift & 31)) & (b.GreenMask & 0xFFFF);
        const uint32_t bl = (((v & 0x001F) << 11) >> (b.BlueShift & 31)) & (b.BlueMask & 0xFFFF);
        buffer[dst + i] = static_cast<uint16_t>(v == 0xF81F ? v : r | g | bl);
    }
}

// Each path forced, on odd formats, shift fields past 15, short and long
// counts at every alignment, in place and with dst just before or after src.
TEST_F(PresentTest, ConvertColours_EveryPathMatchesTheStepByStepLoop) {
    struct Format {
        uint32_t r, g, b;
    };
    const Format formats[] = {{0x7C00, 0x03E0, 0x001F},
                              {0x001F, 0x07E0, 0xF800},
                              {0x0F00, 0x00F0, 0x000F},
                              {0xF000, 0x0000, 0x0001}};
    struct Placement {
        size_t src, dst;
    };
    const Placement placements[] = {{8, 200}, {9, 9}, {40, 39}, {40, 41}, {3, 30}};
    const int32_t counts[] = {1, 7, 8, 15, 16, 17, 31, 33, 100};
    std::mt19937 rng(11);
    for (SimdPath path : {SimdPath::Scalar, SimdPath::Sse2, SimdPath::Avx2, SimdPath::Avx512}) {
        if (!UseSimdPath(path)) continue;
        for (size_t f = 0; f < std::size(formats); ++f) {
            op->AnalysePixelFormat(formats[f].r, formats[f].g, formats[f].b);
            if (f == 3) db->GreenShift = 20;  // a host's own field: shifts everything out
            for (const Placement &at : placements) {
                for (int32_t count : counts) {
                    std::vector<uint16_t> buffer(400);
                    for (uint16_t &c : buffer)
                        c = rng() % 4 ? static_cast<uint16_t>(rng()) : 0xF81F;
                    std::vector<uint16_t> want = buffer;
                    ConvertStepByStep(*db, want, at.src, at.dst, count);
                    op->ConvertColours(buffer.data() + at.src, buffer.data() + at.dst, count);
                    ASSERT_EQ(buffer, want)
                        << "path " << static_cast<int>(path) << " format " << f << " src " << at.src
                        << " dst " << at.dst << " count " << count;
                }
            }
        }
    }
    UseSimdPath(SimdPath::Fastest);
}

TEST_F(PresentTest, ConvertAlternateColours_ConvertsLowHalvesOnlyWithoutTheKey) {
    op->AnalysePixelFormat(0x7C00, 0x03E0, 0x001F);
    uint32_t elements[] = {0x1234FFFF, 0x123407E0, 0x1234F81F, 0x5678FFFF};
    op->ConvertAlternateColours(elements, elements, 3);
    EXPECT_EQ(elements[0], 0x12347FFFu);
    EXPECT_EQ(elements[1], 0x123403E0u);
    EXPECT_EQ(elements[2], 0x12347C1Fu);  // the key converts like any colour here
    EXPECT_EQ(elements[3], 0x5678FFFFu);
}

}  // namespace
}  // namespace ruvo::test
