// Runs never read past their row: malformed last rows (a literal claiming
// more data than is left, a fill whose value lies past the byte count) placed
// so that the sprite ends where readable memory ends, through every sprite,
// text and surface operation. On POSIX systems the calls first run in a child
// process (and one each when that faults, to name the operation), and the
// memory after the sprite is an inaccessible page. What is drawn is checked too: the rows
// are drawn up to where their data ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

// WebAssembly calls itself unix but has neither fork nor page protection.
#if (defined(__unix__) || defined(__APPLE__)) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#define RUVO_TEST_GUARD_PAGE 1
#endif

#include "tests/support/font_fixture.h"
#include "tests/support/sprite_fixture.h"
#include "tests/support/sprite_reference.h"

namespace ruvo::test {
namespace {

using Bytes = std::vector<uint8_t>;
using assets::SpriteWriter;

// Bytes that end exactly where readable memory ends: the page after them is
// mapped without access. Elsewhere, an allocation of exactly their size.
class GuardedBytes {
  public:
    explicit GuardedBytes(size_t size) : size_(size) {
#ifdef RUVO_TEST_GUARD_PAGE
        const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        mapped_ = (size + page - 1) / page * page + page;
        void *base =
            mmap(nullptr, mapped_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) throw std::bad_alloc();
        base_ = static_cast<uint8_t *>(base);
        mprotect(base_ + mapped_ - page, page, PROT_NONE);
        data_ = base_ + mapped_ - page - size;
#else
        heap_ = std::make_unique<uint8_t[]>(size);
        data_ = heap_.get();
#endif
    }
    GuardedBytes(const GuardedBytes &) = delete;
    GuardedBytes &operator=(const GuardedBytes &) = delete;
    ~GuardedBytes() {
#ifdef RUVO_TEST_GUARD_PAGE
        munmap(base_, mapped_);
#endif
    }

    uint8_t *data() const { return data_; }
    size_t size() const { return size_; }

  private:
    size_t size_;
    uint8_t *data_ = nullptr;
#ifdef RUVO_TEST_GUARD_PAGE
    uint8_t *base_ = nullptr;
    size_t mapped_ = 0;
#else
    std::unique_ptr<uint8_t[]> heap_;
#endif
};

// Runs the call in a child process where there is one: "" when it returned,
// otherwise how the child ended. Where there is none, the call runs here.
std::string Survives(const std::function<void()> &call) {
#ifdef RUVO_TEST_GUARD_PAGE
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        call();
        _exit(0);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return "no child process";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    return "exit status " + std::to_string(WEXITSTATUS(status));
#else
    call();
    return "";
#endif
}

struct NamedCall {
    std::string name;
    std::function<void()> call;
};

// Runs the calls one after another in one child process (a process costs
// more than the calls); when it does not survive, each call in a child of its
// own, to name the one that faults. "" when all returned.
std::string FirstFault(const std::vector<NamedCall> &calls) {
    const std::string together = Survives([&] {
        for (const NamedCall &c : calls) c.call();
    });
    if (together.empty()) return "";
    for (const NamedCall &c : calls) {
        const std::string ended = Survives(c.call);
        if (!ended.empty()) return c.name + ": " + ended;
    }
    return "the calls together: " + together;
}

// One malformed row, twice (the second ends the sprite): the first must not
// read into the second, the second must not read past the sprite.
struct MalformedRow {
    const char *what;
    RunCoding coding;
    Bytes runs;
    // Row 0 as drawn by the coding's plain screen operation from column 0
    // (picture characters of sprite_fixture.h; '?' a blended pixel).
    const char *drawn;
};

const MalformedRow kRows[] = {
    {"a literal of 127 with 2 index bytes left",
     RunCoding::IndexRuns,
     {0x82, 5, 0x7F, 7, 8},
     "eegh."},
    {"a fill whose index byte lies past L", RunCoding::IndexRuns, {0x02, 3, 4, 0x85}, "cd..."},
    {"a literal of 63 with 2 index bytes left", RunCoding::BlendRuns, {0xC1, 0x3F, 7, 8}, ".gh.."},
    {"a blended literal cut short", RunCoding::BlendRuns, {0x82, 5, 0x7F, 7, 8}, "ee??."},
    {"a blend fill whose index byte lies past L", RunCoding::BlendRuns, {0x01, 3, 0x85}, "c...."},
    {"a colour fill with one of its two bytes past L",
     RunCoding::ColourRuns,
     {0x01, 0x01, 0x40, 0x84, 0x02},
     "a...."},
    {"drawing runs of count 0", RunCoding::BlendRuns, {0x80, 5, 0x00, 0x02, 3, 4}, "cd..."},
    {"a colour literal with 3 bytes left",
     RunCoding::ColourRuns,
     {0x7F, 0x03, 0x40, 0x04, 0x40, 0x05},
     "cd..."},
};

// The sprite of a row, declared wide enough for its runs read as any coding.
Bytes SpriteOf(const MalformedRow &row, uint8_t kind = 0xA1) {
    SpriteWriter writer(0, 0, 1024, kind);
    for (int r = 0; r < 2; ++r) {
        writer.Row();
        for (uint8_t b : row.runs) writer.Bytes({b});
    }
    return writer.Finish();
}

class RowBoundsTest : public SpriteTest {
  protected:
    void SetUp() override {
        SpriteTest::SetUp();
        for (int i = 0; i < 256; ++i) blend[i] = uint32_t(i % 32) << 19 | (i * 0x0421u & 0x39E7);
        FillLayerWithPattern(Layer::Screen, 7);
        FillLayerWithPattern(Layer::Back, 11);
        FillLayer(Layer::Depth, 0);
    }

    static std::vector<uint8_t> Snapshot() {
        return {theLayers.bytes, theLayers.bytes + sizeof theLayers.bytes};
    }
    static bool LayersEqual(const std::vector<uint8_t> &want) {
        return std::memcmp(want.data(), theLayers.bytes, want.size()) == 0;
    }

    uint32_t blend[256] = {};
};

// Every sprite slot, with each row as the slot's own coding reads it, from
// inside the clip rectangle and from left of it (the left scan), matches the
// reference, which decodes the rows the same way.
TEST_F(RowBoundsTest, EverySpriteSlotReadsOnlyItsRows) {
    for (const MalformedRow &row : kRows) {
        const Bytes sprite = SpriteOf(row);
        GuardedBytes guarded(sprite.size());
        std::memcpy(guarded.data(), sprite.data(), sprite.size());
        SetClip(10, 0, 1023, 767);
        std::vector<std::pair<const SpriteSlot *, SpriteCall>> calls;
        std::vector<NamedCall> named;
        for (const SpriteSlot &slot : kSpriteSlots) {
            const int32_t extra = slot.extra == Extra::Weight ? 9 : 100;
            for (int32_t x : {20, 9, 7}) {
                const SpriteCall call{x, 30, extra, table, blend, {guarded.data(), guarded.size()}};
                calls.emplace_back(&slot, call);
                named.push_back({std::string(slot.name) + " at x " + std::to_string(x),
                                 [this, &slot, call] { CallSpriteSlot(slot, op, call); }});
            }
        }
        ASSERT_EQ(FirstFault(named), "") << row.what;
        for (const auto &[slot, call] : calls) {
            std::vector<uint8_t> want = Snapshot();
            ReferenceSprite(*slot, call, want);
            CallSpriteSlot(*slot, op, call);
            EXPECT_TRUE(LayersEqual(want)) << slot->name << " at x " << call.x << ": " << row.what;
        }
    }
}

// What each row draws as its own coding: up to where its data ends, whatever
// follows the rows.
TEST_F(RowBoundsTest, RowsAreDrawnUpToWhereTheirDataEnds) {
    for (const MalformedRow &row : kRows) {
        Bytes sprite = SpriteOf(row);
        sprite.resize(sprite.size() + 64, 0x7F);  // what a read past the rows would find
        FillLayer(Layer::Screen, 0);
        SetClip(0, 0, 1023, 767);
        switch (row.coding) {
            case RunCoding::IndexRuns:
                op->DrawScreenSprite(40, 50, table, sprite.data());
                break;
            case RunCoding::BlendRuns:
                op->DrawScreenBlendSprite(40, 50, table, sprite.data());
                break;
            default:
                op->DrawScreenColourSprite(40, 50, sprite.data());
                break;
        }
        EXPECT_EQ(Row(Layer::Screen, 40, 50, 5), row.drawn) << row.what;
        EXPECT_EQ(Row(Layer::Screen, 40, 51, 5), row.drawn) << row.what;
        EXPECT_EQ(Row(Layer::Screen, 40, 52, 5), ".....") << row.what;
    }
}

// Text: the glyph is the font record's last bytes. Each string draws as the
// glyph sprite drawn by the screen or back operation at each pen position.
TEST_F(RowBoundsTest, TextReadsOnlyTheGlyphsRows) {
    for (const MalformedRow &row : kRows) {
        const Bytes glyph = SpriteOf(row);
        const size_t tables = sizeof(RuvoFont);
        GuardedBytes guarded(tables + 3 + glyph.size());
        // The tables 4-byte aligned, the glyph at the end; every character is that glyph.
        const auto start = reinterpret_cast<uintptr_t>(guarded.data());
        uint8_t *font_at = guarded.data() + (4 - start % 4) % 4;
        uint8_t *glyph_at = guarded.data() + guarded.size() - glyph.size();
        RuvoFont font{};
        for (int c = 0; c < 256; ++c) {
            font.GlyphOffset[c] = static_cast<uint32_t>(glyph_at - font_at);
            font.Advance[c][0] = 6;
        }
        std::memcpy(font_at, &font, tables);
        std::memcpy(glyph_at, glyph.data(), glyph.size());
        const auto *f = reinterpret_cast<const RuvoFont *>(font_at);

        SetClip(10, 0, 1023, 767);
        ASSERT_EQ(FirstFault({{"DrawText", [&] { op->DrawText(7, 40, "AB", f, table); }},
                              {"DrawBackText", [&] { op->DrawBackText(7, 40, "AB", f, table); }}}),
                  "")
            << row.what;
        for (bool back : {false, true}) {
            const char *name = back ? "DrawBackText" : "DrawText";
            for (int32_t at : {7, 15}) {
                back ? op->StampBackSprite(at, 40, 40, table, glyph.data())
                     : op->DrawScreenSprite(at, 40, table, glyph.data());
            }
            const std::vector<uint8_t> want = Snapshot();
            back ? op->DrawBackText(7, 40, "AB", f, table) : op->DrawText(7, 40, "AB", f, table);
            EXPECT_TRUE(LayersEqual(want)) << name << ": " << row.what;
        }
    }
}

// The surface blits, each kind of DrawSpriteToSurface included, into a host
// image and a mask buffer; the plain kind draws as the screen operation does.
TEST_F(RowBoundsTest, SurfaceBlitsReadOnlyTheirRows) {
    constexpr int32_t kWidth = 64, kHeight = 8;
    for (const MalformedRow &row : kRows) {
        std::vector<uint16_t> image(size_t{kWidth} * kHeight, 0);
        std::vector<uint8_t> mask(size_t{kWidth} * kHeight, 0);
        const RuvoSurfaceDesc desc{image.data(), kWidth, 2, 0, kWidth - 1, kHeight - 1};
        std::vector<std::unique_ptr<GuardedBytes>> kinds;
        std::vector<NamedCall> named;
        for (uint8_t kind : {0xA1, 0xA2, 0xA3, 0xA9}) {
            const Bytes sprite = SpriteOf(row, kind);
            kinds.push_back(std::make_unique<GuardedBytes>(sprite.size()));
            std::memcpy(kinds.back()->data(), sprite.data(), sprite.size());
            const void *sp = kinds.back()->data();
            const std::string of = " of kind " + std::to_string(kind);
            named.push_back({"DrawSpriteToSurface with a colour table" + of,
                             [&, sp] { op->DrawSpriteToSurface(0, 1, sp, table, &desc); }});
            named.push_back({"DrawSpriteToSurface with a blend table" + of,
                             [&, sp] { op->DrawSpriteToSurface(0, 1, sp, blend, &desc); }});
            named.push_back({"BlendSpriteToSurface" + of,
                             [&, sp] { op->BlendSpriteToSurface(0, 1, 9, table, sp, &desc); }});
            named.push_back({"StampSpriteMask" + of,
                             [&, sp] { op->StampSpriteMask(0, 1, sp, 3, &desc, mask.data()); }});
        }
        ASSERT_EQ(FirstFault(named), "") << row.what;

        if (row.coding != RunCoding::IndexRuns) continue;
        const void *sp = kinds.front()->data();  // kind 0xA1: index runs through a colour table
        std::fill(image.begin(), image.end(), uint16_t{0});
        op->DrawSpriteToSurface(0, 1, sp, table, &desc);
        FillLayer(Layer::Screen, 0);
        SetClip(2, 0, 1023, 767);
        op->DrawScreenSprite(0, 1, table, sp);
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                ASSERT_EQ(image[size_t(y) * kWidth + x], At(Layer::Screen, x, y))
                    << x << ", " << y << ": " << row.what;
            }
        }
    }
}

}  // namespace
}  // namespace ruvo::test
