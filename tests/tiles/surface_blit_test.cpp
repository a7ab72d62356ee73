// Sprite blits into host images and mask buffers: the same walk and pixel
// rules as the layer operations, with the host's base, pitch and clip.
#include <gtest/gtest.h>

#include <vector>

#include "sprites/pixel_ops.h"
#include "tests/support/sprite_fixture.h"
#include "tests/support/storage_guard.h"

namespace ruvo::test {
namespace {

constexpr RunCoding kIndex = RunCoding::IndexRuns;
using Bytes = std::vector<uint8_t>;

Bytes WithKind(Bytes sprite, uint8_t kind) {
    sprite[8] = kind;
    return sprite;
}

// A host image with a border of sentinel cells on every side, so that a
// write outside the image shows.
class HostImage {
  public:
    static constexpr uint16_t kSentinel = 0xBEEF;
    HostImage(int32_t width, int32_t height, int32_t pitch, uint16_t fill = 0)
        : width_(width),
          height_(height),
          pitch_(pitch),
          cells_(size_t(pitch) * (height + 2 * kBorder), kSentinel) {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) At(x, y) = fill;
        }
    }
    uint16_t &At(int32_t x, int32_t y) { return cells_[size_t(y + kBorder) * pitch_ + x]; }
    RuvoSurfaceDesc Desc(int32_t left, int32_t top, int32_t right, int32_t bottom) {
        return {&At(0, 0), pitch_, left, top, right, bottom};
    }
    RuvoSurfaceDesc Desc() { return Desc(0, 0, width_ - 1, height_ - 1); }
    // Cells outside the image (border rows and the pitch's slack) still hold the sentinel.
    bool BorderIntact() const {
        for (size_t i = 0; i < cells_.size(); ++i) {
            const auto row = static_cast<int32_t>(i / pitch_) - kBorder;
            const auto col = static_cast<int32_t>(i % pitch_);
            const bool inside = row >= 0 && row < height_ && col < width_;
            if (!inside && cells_[i] != kSentinel) return false;
        }
        return true;
    }

  private:
    static constexpr int32_t kBorder = 2;
    int32_t width_, height_, pitch_;
    std::vector<uint16_t> cells_;
};

class SurfaceBlitTest : public SpriteTest {
  protected:
    // The ScreenLayer's storage as a host surface under the DrawBlock's clip.
    RuvoSurfaceDesc ScreenAsSurface() {
        return {ScreenCells(), 1024, db->ClipLeft, db->ClipTop, db->ClipRight, db->ClipBottom};
    }
    static std::vector<uint16_t> Screen() {
        return {ScreenCells(), ScreenCells() + kLayerCells + kLayerWidth};
    }
    // Draws with the layer operation and with the surface blit onto the same
    // starting screen; the two screens must be equal.
    template <class LayerDraw, class SurfaceDraw>
    void ExpectSameAsLayer(LayerDraw layer_draw, SurfaceDraw surface_draw) {
        FillLayerWithPattern(Layer::Screen, 7);
        layer_draw();
        const auto expected = Screen();
        FillLayerWithPattern(Layer::Screen, 7);
        StorageGuard guard;
        guard.AllowWholeLayer(Layer::Screen);
        surface_draw();
        EXPECT_EQ(Screen(), expected);
        EXPECT_EQ(guard.Violations(), "");
    }

    const Bytes picture_ = PictureSprite({"abc.de", "..ffffff", "g.h", "", "iii.jjjjj"}, kIndex);
};

TEST_F(SurfaceBlitTest, IndexKinds_DrawAsTheScreenSpriteOperation) {
    SetClip(3, 2, 1000, 700);
    const int32_t places[][2] = {{0, 0}, {998, 698}, {500, 300}, {-3, 5}, {2, 1}};
    for (uint8_t kind : {0xA1, 0x00, 0xFF, 0x42}) {
        const Bytes sprite = WithKind(picture_, kind);
        for (const auto &p : places) {
            SCOPED_TRACE(testing::Message()
                         << "kind " << int{kind} << " at " << p[0] << ", " << p[1]);
            const RuvoSurfaceDesc desc = ScreenAsSurface();
            ExpectSameAsLayer(
                [&] { op->DrawScreenSprite(p[0], p[1], table, sprite.data()); },
                [&] { op->DrawSpriteToSurface(p[0], p[1], sprite.data(), table, &desc); });
        }
    }
}

TEST_F(SurfaceBlitTest, BlendAndTranslucentKinds_DrawAsTheirScreenOperations) {
    SetClip(0, 0, 1023, 767);
    const RuvoSurfaceDesc desc = ScreenAsSurface();
    Bytes blend = PictureSprite({"abAB.c", "CCCCc0000"}, RunCoding::BlendRuns);
    blend[8] = 0xA2;
    ExpectSameAsLayer([&] { op->DrawScreenBlendSprite(40, 30, table, blend.data()); },
                      [&] { op->DrawSpriteToSurface(40, 30, blend.data(), table, &desc); });

    // A BlendTable of mixed weights; depth 0 everywhere lets the tested layer
    // operation draw every pixel.
    uint32_t blend_table[256];
    for (uint32_t i = 0; i < 256; ++i) blend_table[i] = ((i % 32) << 19) | (i * 0x0841u & 0xFFFF);
    const Bytes translucent = WithKind(picture_, 0xA9);
    FillLayer(Layer::Depth, 0);
    ExpectSameAsLayer(
        [&] { op->DrawScreenSpriteTranslucent(40, 30, 959, blend_table, translucent.data()); },
        [&] { op->DrawSpriteToSurface(40, 30, translucent.data(), blend_table, &desc); });
}

TEST_F(SurfaceBlitTest, ShadowKind_DarkensOnlyImagePixelsWithoutFlagBits) {
    db->ShadowTint = 0x0085;
    const Bytes shadow = WithKind(PictureSprite({"aaaaaa"}, RunCoding::MaskRuns), 0xA3);
    HostImage image(8, 1, 8);
    const uint16_t before[] = {0x0000, 0x0001, 0x0004, 0x8000, 0x7FF8, 0x7BE8, 0x1234, 0x0000};
    for (int32_t x = 0; x < 8; ++x) image.At(x, 0) = before[x];
    const RuvoSurfaceDesc desc = image.Desc();
    op->DrawSpriteToSurface(0, 0, shadow.data(), nullptr, &desc);
    const uint16_t after[] = {0x0085,
                              0x0001,
                              0x0004,
                              0x8000,
                              static_cast<uint16_t>(((0x7FF8 & 0xF7DE) >> 1) + 0x85),
                              static_cast<uint16_t>(((0x7BE8 & 0xF7DE) >> 1) + 0x85),
                              0x1234,
                              0x0000};  // 0x1234 has bit 2 set; pixel 7 is not covered
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(image.At(x, 0), after[x]) << x;
    EXPECT_TRUE(image.BorderIntact());
}

TEST_F(SurfaceBlitTest, TranslucentKind_WeightsOfTheBlendTable) {
    uint32_t blend_table[256] = {};
    blend_table[1] = (31u << 19) | 0xFFFF;  // weight 31: unchanged whatever the colour
    blend_table[2] = 0x0000ABCD;            // weight 0: the colour bits as they are
    blend_table[3] = (16u << 19) | 0x0021;  // half of d, then + 0x0021
    const Bytes sprite = WithKind(PictureSprite({"abc"}, kIndex), 0xA9);
    HostImage image(3, 1, 3, 0xF7DE);
    const RuvoSurfaceDesc desc = image.Desc();
    op->DrawSpriteToSurface(0, 0, sprite.data(), blend_table, &desc);
    EXPECT_EQ(image.At(0, 0), 0xF7DE);
    EXPECT_EQ(image.At(1, 0), 0xABCD);
    EXPECT_EQ(image.At(2, 0), 0x7BEF + 0x0021);
}

TEST_F(SurfaceBlitTest, BlendSpriteToSurface_WeighsSpriteAndImage) {
    table[1] = 0xFFFF;
    table[2] = 0x8410;  // r 16, g 32, b 16
    const Bytes sprite = PictureSprite({"ab.b"}, kIndex);
    HostImage black(4, 1, 4);
    RuvoSurfaceDesc desc = black.Desc();
    op->BlendSpriteToSurface(0, 0, 16, table, sprite.data(), &desc);
    // Each channel floor(c x 15 / 32): 31 -> 14, 63 -> 29, 16 -> 7, 32 -> 15.
    EXPECT_EQ(black.At(0, 0), (14 << 11) | (29 << 5) | 14);
    EXPECT_EQ(black.At(1, 0), (7 << 11) | (15 << 5) | 7);
    EXPECT_EQ(black.At(2, 0), 0);

    HostImage white(4, 1, 4, 0xFFFF);
    desc = white.Desc();
    op->BlendSpriteToSurface(0, 0, 31, table, sprite.data(), &desc);  // the old pixel x 31/32
    EXPECT_EQ(white.At(0, 0), (30 << 11) | (61 << 5) | 30);
    EXPECT_EQ(white.At(2, 0), 0xFFFF);
    op->BlendSpriteToSurface(0, 0, 0, table, sprite.data(), &desc);  // the sprite x 31/32
    EXPECT_EQ(white.At(1, 0), (15 << 11) | (31 << 5) | 15);
    EXPECT_TRUE(black.BorderIntact());
    EXPECT_TRUE(white.BorderIntact());
}

TEST_F(SurfaceBlitTest, StampSpriteMask_WritesTheLowByteWhereCovered) {
    // Literal index 0 covers; a filled run of index 0 is a skip.
    const Bytes sprite = assets::SpriteWriter(0, 0, 8)
                             .Row()
                             .Code(0x02)
                             .Bytes({0, 5})
                             .Code(0x82)
                             .Bytes({0})
                             .Code(0x83)
                             .Bytes({9})
                             .Finish();
    std::vector<uint8_t> mask(3 * 10, 0x11);
    const RuvoSurfaceDesc desc{nullptr, 10, 0, 0, 9, 2};
    op->StampSpriteMask(1, 1, sprite.data(), 300, &desc, mask.data());
    std::vector<uint8_t> expected(3 * 10, 0x11);
    for (int x : {1, 2, 5, 6, 7}) expected[10 + x] = 44;
    EXPECT_EQ(mask, expected);
}

TEST_F(SurfaceBlitTest, ClipFields_BoundEveryWrite) {
    const Bytes sprite = PictureSprite({"aaaaaaaaaa", "bbbbbbbbbb", "cccccccccc"}, kIndex);
    // A one-pixel clip lets exactly that pixel change.
    HostImage image(12, 5, 16);
    RuvoSurfaceDesc desc = image.Desc(4, 2, 4, 2);
    op->DrawSpriteToSurface(0, 1, sprite.data(), table, &desc);
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 12; ++x) {
            EXPECT_EQ(image.At(x, y), x == 4 && y == 2 ? PictureColour(2) : 0) << x << ", " << y;
        }
    }
    // Only the low 16 bits of each field count, unsigned.
    desc = image.Desc(0x10002, 0x70000, 0xFFFF0005, 0x30001);
    op->DrawSpriteToSurface(0, 0, sprite.data(), table, &desc);
    EXPECT_EQ(image.At(1, 0), 0);
    EXPECT_EQ(image.At(2, 0), PictureColour(1));
    EXPECT_EQ(image.At(5, 1), PictureColour(2));
    EXPECT_EQ(image.At(6, 1), 0);
    EXPECT_EQ(image.At(2, 2), 0);
    // Sprites hanging off every edge of the clip, which is the whole image.
    desc = image.Desc();
    for (const auto &p :
         {std::pair{-5, -2}, std::pair{8, 3}, std::pair{-9, 4}, std::pair{11, -2}}) {
        op->DrawSpriteToSurface(p.first, p.second, sprite.data(), table, &desc);
        op->BlendSpriteToSurface(p.first, p.second, 7, table, sprite.data(), &desc);
    }
    EXPECT_TRUE(image.BorderIntact());
}

TEST_F(SurfaceBlitTest, RowsBelowTheLayerHeight_AreDrawnIntoTheHostImage) {
    const Bytes sprite = PictureSprite({"ab", "cd"}, kIndex);
    HostImage tall(4, 1000, 4);
    const RuvoSurfaceDesc desc = tall.Desc();
    op->DrawSpriteToSurface(1, 998, sprite.data(), table, &desc);
    EXPECT_EQ(tall.At(1, 998), PictureColour(1));
    EXPECT_EQ(tall.At(2, 999), PictureColour(4));
    // The layers, their clip and scroll play no part.
    SetView(100 * kLayerPitchBytes);
    SetClip(0, 0, 0, 0);
    op->DrawSpriteToSurface(0, 0, sprite.data(), table, &desc);
    EXPECT_EQ(tall.At(1, 1), PictureColour(4));
    EXPECT_TRUE(tall.BorderIntact());
}

}  // namespace
}  // namespace ruvo::test
