// The display connection on the in-memory display: every state of the
// connection, every transition and every platform failure.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/display/display_fixture.h"

namespace ruvo::test {
namespace {

using platform::kLevelExclusiveFullScreen;
using platform::kLevelNormal;

// The whole record, to show that an operation touched nothing.
std::vector<uint8_t> RecordBytes() {
    const auto *p = reinterpret_cast<const uint8_t *>(&theDrawBlock);
    return {p, p + sizeof theDrawBlock};
}

TEST_F(DisplayTest, OpenDisplay_NullWindowOpensTheMemoryDisplayInNormalMode) {
    EXPECT_EQ(op->OpenDisplay(nullptr, 0), 1);
    EXPECT_NE(db->DirectDrawObject, nullptr);
    EXPECT_EQ(db->PrimarySurface, nullptr);
    EXPECT_EQ(db->ExclusiveMode, 0);
    EXPECT_EQ(Calls().create, 1);
    EXPECT_EQ(Platform().level_flags, kLevelNormal);
    EXPECT_EQ(Platform().level_window, nullptr);
}

TEST_F(DisplayTest, OpenDisplay_StoresTheExclusiveFlagUnchangedAndAsksForExclusiveFullScreen) {
    EXPECT_EQ(op->OpenDisplay(nullptr, 2), 1);
    EXPECT_EQ(db->ExclusiveMode, 2);
    EXPECT_EQ(Platform().level_flags, kLevelExclusiveFullScreen);
}

TEST_F(DisplayTest, OpenDisplay_ClosesTheEarlierConnectionFirst) {
    OpenReady(800, 600, 1);
    EXPECT_EQ(op->OpenDisplay(nullptr, 0), 1);
    EXPECT_EQ(Calls().release_surface, 1);
    EXPECT_EQ(Calls().restore_mode, 1);  // the earlier one was exclusive
    EXPECT_EQ(Calls().release_device, 1);
    EXPECT_EQ(db->PrimarySurface, nullptr);
    EXPECT_EQ(db->ExclusiveMode, 0);
}

// Create fails: Closed, with the earlier connection already ended.
TEST_F(DisplayTest, OpenDisplay_CreateFailingLeavesItClosed) {
    OpenReady();
    Platform().fail_create = true;
    EXPECT_EQ(op->OpenDisplay(nullptr, 1), 0);
    EXPECT_EQ(db->DirectDrawObject, nullptr);
    EXPECT_EQ(db->PrimarySurface, nullptr);
    EXPECT_EQ(Calls().release_device, 1);
    EXPECT_EQ(Calls().cooperative_level, 0);
    EXPECT_EQ(db->ExclusiveMode, 0);  // not written on failure
}

// The level fails: Object only. The object stays; window and flag keep their earlier values.
TEST_F(DisplayTest, OpenDisplay_LevelFailingKeepsTheObjectAndTheEarlierWindowAndFlag) {
    ASSERT_EQ(op->OpenDisplay(nullptr, 3), 1);
    Platform().fail_cooperative_level = true;
    EXPECT_EQ(op->OpenDisplay(nullptr, 0), 0);
    EXPECT_NE(db->DirectDrawObject, nullptr);
    EXPECT_EQ(db->ExclusiveMode, 3);
    EXPECT_EQ(db->DisplayWindow, nullptr);

    // No mode and no surface without a level; CloseDisplay releases the object.
    EXPECT_EQ(op->SetScreenMode(640, 480), 0);
    EXPECT_EQ(db->PrimarySurface, nullptr);
    const int32_t released = Calls().release_device;
    op->CloseDisplay();
    EXPECT_EQ(db->DirectDrawObject, nullptr);
    EXPECT_EQ(Calls().release_device, released + 1);
}

TEST_F(DisplayTest, CloseDisplay_WithoutAConnectionDoesNothing) {
    const auto before = RecordBytes();
    op->CloseDisplay();
    op->ReleaseDisplay();
    op->ReleasePrimary();
    EXPECT_EQ(RecordBytes(), before);
    EXPECT_EQ(Calls().release_device + Calls().release_surface + Calls().restore_mode, 0);
}

TEST_F(DisplayTest, CloseAndReleaseDisplay_RestoreTheModeOnlyWhenExclusiveAndClosing) {
    struct Case {
        int32_t exclusive;
        bool close;  // CloseDisplay, else ReleaseDisplay
        int32_t restores;
    };
    const Case cases[] = {{1, true, 1}, {0, true, 0}, {1, false, 0}, {0, false, 0}};
    for (const Case &c : cases) {
        OpenReady(640, 480, c.exclusive);
        if (c.close) {
            op->CloseDisplay();
        } else {
            op->ReleaseDisplay();
        }
        EXPECT_EQ(Calls().restore_mode, c.restores) << c.exclusive << c.close;
        EXPECT_EQ(Calls().release_surface, 1);
        EXPECT_EQ(Calls().release_device, 1);
        EXPECT_EQ(db->DirectDrawObject, nullptr);
        EXPECT_EQ(db->PrimarySurface, nullptr);
        EXPECT_EQ(db->ExclusiveMode, c.exclusive);  // never cleared
    }
}

TEST_F(DisplayTest, SetScreenMode_Windowed_ResizesCreatesTheSurfaceAndSetsTheClip) {
    ASSERT_EQ(op->OpenDisplay(nullptr, 0), 1);
    SetView(2048 * 7 + 10);
    SetClip(5, 6, 7, 8);
    EXPECT_EQ(op->SetScreenMode(800, 600), 1);
    EXPECT_EQ(Calls().set_mode, 0);  // no mode change in a window
    EXPECT_EQ(Calls().resize_window, 1);
    EXPECT_EQ(Platform().window_width, 800);
    EXPECT_EQ(Platform().window_height, 600);
    const platform::SurfaceDescription &asked = Platform().surface_request;
    EXPECT_EQ(asked.dwSize, sizeof(platform::SurfaceDescription));
    EXPECT_EQ(asked.dwFlags, platform::kDescCaps);
    EXPECT_EQ(asked.ddsCaps.dwCaps, platform::kCapsPrimarySurface);
    EXPECT_NE(db->PrimarySurface, nullptr);
    EXPECT_EQ(db->SurfacePointer, nullptr);
    EXPECT_EQ(db->ClipLeft, 0);
    EXPECT_EQ(db->ClipTop, 0);
    EXPECT_EQ(db->ClipRight, 799);
    EXPECT_EQ(db->ClipBottom, 599);
    EXPECT_EQ(db->ScrollOffset, 0);
    EXPECT_EQ(db->WrapRow, 768);
    EXPECT_EQ(memory::Surface().width, 800);
    EXPECT_EQ(memory::Surface().height, 600);
}

TEST_F(DisplayTest, SetScreenMode_ExclusiveSetsA16BitMode) {
    ASSERT_EQ(op->OpenDisplay(nullptr, 1), 1);
    EXPECT_EQ(op->SetScreenMode(640, 480), 1);
    EXPECT_EQ(Calls().set_mode, 1);
    EXPECT_EQ(Platform().mode_width, 640);
    EXPECT_EQ(Platform().mode_height, 480);
    EXPECT_EQ(Platform().mode_bits, 16);
    EXPECT_EQ(Calls().resize_window, 1);
    EXPECT_EQ(memory::Surface().width, 640);
}

TEST_F(DisplayTest, SetScreenMode_AnalysesTheSurfacesFormat) {
    struct Case {
        uint32_t r, g, b, spread, tint;
    };
    const Case cases[] = {
        {0xF800, 0x07E0, 0x001F, 0x07E0F81F, 0x00850085},  // 5-6-5
        {0x7C00, 0x03E0, 0x001F, 0x03E07C1F, 0x00450045},  // 5-5-5
        {0x001F, 0x07E0, 0xF800, 0x07E0F81F, 0x28802880},  // blue on top
    };
    ASSERT_EQ(op->OpenDisplay(nullptr, 0), 1);
    for (const Case &c : cases) {
        Platform().red_mask = c.r;
        Platform().green_mask = c.g;
        Platform().blue_mask = c.b;
        ASSERT_EQ(op->SetScreenMode(1024, 768), 1);
        EXPECT_EQ(db->RedMask, c.r << 16 | c.r);
        EXPECT_EQ(db->BlueMask, c.b << 16 | c.b);
        EXPECT_EQ(db->SpreadMask, c.spread);
        EXPECT_EQ(db->ShadowTint, c.tint);
    }
}

int32_t reset_view_calls = 0;
void RUVO_CDECL CountingResetView() { ++reset_view_calls; }

// Slot 0 runs through the slot, so a host's replacement is what runs.
TEST_F(DisplayTest, SetScreenMode_RunsTheOperationInSlot0) {
    ASSERT_EQ(op->OpenDisplay(nullptr, 0), 1);
    op->ResetView = &CountingResetView;
    SetView(2048 * 3);
    reset_view_calls = 0;
    EXPECT_EQ(op->SetScreenMode(320, 200), 1);
    EXPECT_EQ(reset_view_calls, 1);
    EXPECT_EQ(db->ScrollOffset, 2048 * 3);
    EXPECT_EQ(db->ClipRight, 319);
    EXPECT_EQ(db->ClipBottom, 199);
}

// An empty slot 0 runs the library's own ResetView instead of a null call.
TEST_F(DisplayTest, SetScreenMode_EmptySlot0ResetsTheViewItself) {
    ASSERT_EQ(op->OpenDisplay(nullptr, 0), 1);
    op->ResetView = nullptr;
    op->Scroll(5, 3);
    db->LayerPitch = 7;
    EXPECT_EQ(op->SetScreenMode(320, 200), 1);
    EXPECT_EQ(db->ScrollOffset, 0);
    EXPECT_EQ(db->WrapRow, 768);
    EXPECT_EQ(db->LayerPitch, 2048);
    EXPECT_EQ(db->ClipRight, 319);
    EXPECT_EQ(db->ClipBottom, 199);
}

TEST_F(DisplayTest, SetScreenMode_ModeFailingChangesNothingButThePrimary) {
    OpenReady(1024, 768, 1);
    SetView(2048 * 5);
    SetClip(1, 2, 3, 4);
    Platform().fail_set_mode = true;
    EXPECT_EQ(op->SetScreenMode(800, 600), 0);
    EXPECT_EQ(db->PrimarySurface, nullptr);  // Open: the old primary was released
    EXPECT_EQ(Calls().release_surface, 1);
    EXPECT_EQ(Calls().resize_window, 0);
    EXPECT_EQ(Calls().create_surface, 0);
    EXPECT_EQ(db->ScrollOffset, 2048 * 5);
    EXPECT_EQ(db->ClipRight, 3);
}

TEST_F(DisplayTest, SetScreenMode_SurfaceFailingLeavesModeAndWindowChanged) {
    ASSERT_EQ(op->OpenDisplay(nullptr, 1), 1);
    SetClip(1, 2, 3, 4);
    Platform().fail_create_surface = true;
    EXPECT_EQ(op->SetScreenMode(800, 600), 0);
    EXPECT_EQ(db->PrimarySurface, nullptr);
    EXPECT_TRUE(Platform().mode_set);
    EXPECT_EQ(Platform().window_width, 800);
    EXPECT_EQ(db->ClipRight, 3);
    EXPECT_EQ(db->RedMask, 0xF800F800u);  // pixel-format fields keep their values
    // Open again: a second try succeeds.
    Platform().fail_create_surface = false;
    EXPECT_EQ(op->SetScreenMode(800, 600), 1);
}

TEST_F(DisplayTest, SetScreenMode_RepeatedReleasesTheOldPrimaryFirst) {
    OpenReady(640, 480);
    EXPECT_EQ(op->SetScreenMode(800, 600), 1);
    EXPECT_EQ(Calls().release_surface, 1);
    EXPECT_EQ(Calls().create_surface, 1);
    EXPECT_EQ(memory::Surface().width, 800);
}

// Mended: a size outside the layers would put the clip rectangle outside them.
TEST_F(DisplayTest, SetScreenMode_SizeOutsideTheLayersIsRefusedAndChangesNothing) {
    OpenReady(640, 480);
    struct Case {
        int32_t width, height;
    };
    const Case cases[] = {{1025, 768}, {1024, 769}, {0, 480}, {640, 0}, {-1, 480}, {INT32_MIN, 1}};
    for (const Case &c : cases) {
        const auto before = RecordBytes();
        EXPECT_EQ(op->SetScreenMode(c.width, c.height), 0) << c.width << "x" << c.height;
        EXPECT_EQ(RecordBytes(), before);
    }
    EXPECT_EQ(Calls().release_surface + Calls().set_mode + Calls().resize_window, 0);
    EXPECT_EQ(op->SetScreenMode(1024, 768), 1);  // the largest size is fine
}

// Mended: outside the contract, but nothing is dereferenced and nothing changes.
TEST_F(DisplayTest, OperationsBeforeOpenDisplayReturn0AndTouchNothing) {
    const auto before = RecordBytes();
    uint16_t image[64] = {};
    EXPECT_EQ(op->SetScreenMode(800, 600), 0);
    EXPECT_EQ(op->LockPrimary(), 0);
    EXPECT_EQ(op->PresentRect(0, 0, 1024, 768), 0);
    EXPECT_EQ(op->PresentImage(0, 0, 8, 8, 0, 0, 8, image), 0);
    EXPECT_EQ(op->PresentLit(0, 0, 1023, 767), 0);
    EXPECT_EQ(RecordBytes(), before);
}

// A surface released while the host holds its lock is unlocked first: a later
// presentation then locks the next surface instead of writing through the
// pointer into the released one.
TEST_F(DisplayTest, ReleasePrimary_WhileLocked_UnlocksAndClearsSurfacePointer) {
    OpenReady();
    ASSERT_EQ(op->LockPrimary(), 1);
    op->ReleasePrimary();
    EXPECT_EQ(Calls().unlock, 1);
    EXPECT_EQ(Calls().release_surface, 1);
    EXPECT_EQ(db->PrimarySurface, nullptr);
    EXPECT_EQ(db->SurfacePointer, nullptr);
    EXPECT_NE(db->DirectDrawObject, nullptr);
    ASSERT_EQ(op->SetScreenMode(1024, 768), 1);  // Open takes a new mode
    Platform().calls = {};
    EXPECT_EQ(op->PresentRect(0, 0, 8, 1), 0);
    EXPECT_EQ(Calls().lock, 1);
    EXPECT_EQ(Calls().unlock, 1);
    EXPECT_EQ(db->SurfacePointer, nullptr);
}

// Every way of releasing a locked primary goes through the same unlock.
TEST_F(DisplayTest, ModeChangeOrClose_WhileLocked_LeavesNoSurfacePointer) {
    struct Case {
        const char *name;
        void (*release)(RuvoOperations *);
    } cases[] = {
        {"SetScreenMode", [](RuvoOperations *o) { EXPECT_EQ(o->SetScreenMode(800, 600), 1); }},
        {"CloseDisplay", [](RuvoOperations *o) { o->CloseDisplay(); }},
        {"ReleaseDisplay", [](RuvoOperations *o) { o->ReleaseDisplay(); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        OpenReady();
        ASSERT_EQ(op->LockPrimary(), 1);
        c.release(op);
        EXPECT_EQ(Calls().unlock, 1);
        EXPECT_EQ(db->SurfacePointer, nullptr);
    }
}

// A host that unlocked before releasing sees no second unlock.
TEST_F(DisplayTest, ReleasePrimary_AfterUnlock_DoesNotUnlockAgain) {
    OpenReady();
    ASSERT_EQ(op->LockPrimary(), 1);
    ASSERT_EQ(op->UnlockPrimary(), 0);
    Platform().calls = {};
    op->ReleasePrimary();
    EXPECT_EQ(Calls().unlock, 0);
    EXPECT_EQ(Calls().release_surface, 1);
}

// The record's handles are looked up, never trusted: a value the library did
// not give there names no surface, and the presentation refuses it.
TEST_F(DisplayTest, ForeignPrimarySurfaceValue_IsNoSurface) {
    OpenReady();
    void *ours = db->PrimarySurface;
    int stand_in = 0;
    db->PrimarySurface = &stand_in;
    EXPECT_EQ(op->LockPrimary(), 0);
    EXPECT_EQ(op->PresentRect(0, 0, 8, 1), 0);
    EXPECT_EQ(Calls().lock, 0);
    db->PrimarySurface = ours;
    EXPECT_EQ(op->LockPrimary(), 1);
    EXPECT_EQ(op->UnlockPrimary(), 0);
}

TEST_F(DisplayTest, ReopeningAfterCloseWorks) {
    for (int i = 0; i < 3; ++i) {
        OpenReady(320, 240);
        op->CloseDisplay();
    }
    EXPECT_EQ(op->OpenDisplay(nullptr, 0), 1);
    EXPECT_EQ(op->SetScreenMode(320, 240), 1);
    EXPECT_NE(db->PrimarySurface, nullptr);
}

}  // namespace
}  // namespace ruvo::test
