// The trace file reader and writer: round trips, and a clear error with the
// right byte offset for every kind of damage.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/trace/trace_file.h"

namespace ruvo::trace {
namespace {

// A trace written with the writer into memory.
std::vector<uint8_t> Written(void (*write)(TraceWriter &)) {
    char *data = nullptr;
    size_t size = 0;
    std::FILE *f = open_memstream(&data, &size);
    {
        TraceWriter w(f);
        write(w);
    }
    std::fclose(f);
    std::vector<uint8_t> bytes(data, data + size);
    std::free(data);
    return bytes;
}

// Init, a clip write, a sprite call with one blob, a presentation and its frame.
void Sample(TraceWriter &w) {
    w.Init();
    const uint8_t clip[4] = {0xFF, 0x01, 0, 0};
    w.Write(offsetof(RuvoDrawBlock, ClipRight), w.Blob(clip));
    const uint8_t sprite[11] = {0, 0, 0, 0, 0, 0, 1, 0, 0xA1, 0, 0};
    CallEvent c;
    c.slot = RUVO_SLOT_DrawScreenColourSprite;
    c.arg_count = 3;
    c.args[0] = 10, c.args[1] = 0xFFFFFFFB, c.args[2] = 0x5000;
    c.groups.push_back({GroupKind::kHost, 0, w.Blob(sprite)});
    c.pointers.push_back({2, 0, 0});
    w.Call(c);
    CallEvent p;
    p.slot = RUVO_SLOT_PresentRect;
    p.arg_count = 4;
    p.args[2] = 1024, p.args[3] = 768;
    p.result = 0;
    w.Call(p);
    w.Frame(true, 0x1234567890ABCDEFull, 1024, 768);
    w.End();
}

TEST(TraceFile, RoundTripKeepsEveryEventAndField) {
    const auto bytes = Written(Sample);
    const Trace t = ParseTrace(bytes);
    ASSERT_EQ(t.events.size(), 5u);
    EXPECT_EQ(t.calls, 2u);
    EXPECT_EQ(t.frames, 1u);
    EXPECT_EQ(t.events[0].tag, Tag::kInit);
    EXPECT_EQ(t.events[1].tag, Tag::kWrite);
    EXPECT_EQ(t.events[1].number, offsetof(RuvoDrawBlock, ClipRight));
    EXPECT_EQ(t.blobs[t.events[1].blob].size(), 4u);
    const CallEvent &c = t.events[2].call;
    EXPECT_EQ(c.slot, RUVO_SLOT_DrawScreenColourSprite);
    EXPECT_EQ(int32_t(uint32_t(c.args[1])), -5);
    ASSERT_EQ(c.groups.size(), 1u);
    EXPECT_EQ(t.blobs[c.groups[0].blob].size(), 11u);
    EXPECT_EQ(t.events[4].tag, Tag::kFrame);
    EXPECT_TRUE(t.events[4].has_hash);
    EXPECT_EQ(t.events[4].hash, 0x1234567890ABCDEFull);
}

TEST(TraceFile, SameContentIsOneBlob) {
    const auto bytes = Written([](TraceWriter &w) {
        const uint8_t a[3] = {1, 2, 3}, b[3] = {1, 2, 3}, c[3] = {1, 2, 4};
        EXPECT_EQ(w.Blob(a), 0u);
        EXPECT_EQ(w.Blob(b), 0u);
        EXPECT_EQ(w.Blob(c), 1u);
        EXPECT_EQ(w.Blob({}), 2u);
        EXPECT_EQ(w.Blob({}), 2u);
        w.End();
    });
    EXPECT_EQ(ParseTrace(bytes).blobs.size(), 3u);
}

// Large blobs are told apart by content too, not by their first hash alone.
TEST(TraceFile, LargeBlobsDifferingInOneByteAreTwo) {
    const auto bytes = Written([](TraceWriter &w) {
        std::vector<uint8_t> image(100000, 7);
        EXPECT_EQ(w.Blob(image), 0u);
        EXPECT_EQ(w.Blob(std::vector<uint8_t>(image)), 0u);
        image[99999] = 8;
        EXPECT_EQ(w.Blob(image), 1u);
        image.pop_back();
        EXPECT_EQ(w.Blob(image), 2u);
        w.End();
    });
    const Trace t = ParseTrace(bytes);
    ASSERT_EQ(t.blobs.size(), 3u);
    EXPECT_EQ(t.blobs[1][99999], 8);
}

// Every cut of a whole trace is reported, at or before the cut.
TEST(TraceFile, EveryTruncationIsAnErrorInsideTheFile) {
    const auto bytes = Written(Sample);
    for (size_t n = 0; n < bytes.size(); ++n) {
        try {
            ParseTrace(std::span(bytes.data(), n));
            ADD_FAILURE() << "a trace cut to " << n << " bytes was accepted";
        } catch (const TraceError &e) {
            EXPECT_LE(e.offset(), n) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind("byte " + std::to_string(e.offset()) + ": ", 0),
                      0u);
        }
    }
}

struct Damage {
    const char *name;
    size_t at;  // byte to change (from the end when from_end)
    bool from_end;
    uint8_t value;
    uint64_t want;  // offset the error names (from the end when from_end)
    const char *says;
};

TEST(TraceFile, DamageIsNamedWithItsOffset) {
    const auto good = Written(Sample);
    // Layout of Sample: header 20; 'I' 20; blob 21..37; 'W' 38..46; blob 47..70;
    // call 71..; the end mark is the last 9 bytes.
    const size_t call = 71;
    const Damage cases[] = {
        {"magic", 0, false, 'X', 0, "not a trace file"},
        {"version", 8, false, 2, 8, "version"},
        {"pointer size", 12, false, 3, 12, "pointers"},
        {"unknown tag", 20, false, 'Z', 20, "unknown event tag"},
        {"blob hash", 37, false, 0xEE, 21, "hash"},
        {"write offset", 42, false, 0xA9, 38, "writable fields"},  // far past the record
        {"slot number", call + 1, false, 59, call + 1, "does not exist"},
        {"arity", call + 2, false, 4, call + 2, "takes 3 arguments"},
        {"end counts", 8, true, 7, 9, "end mark counts"},
    };
    for (const Damage &d : cases) {
        auto bytes = good;
        bytes[d.from_end ? bytes.size() - d.at : d.at] = d.value;
        try {
            ParseTrace(bytes);
            ADD_FAILURE() << d.name << ": accepted";
        } catch (const TraceError &e) {
            EXPECT_EQ(e.offset(), d.from_end ? bytes.size() - d.want : d.want) << d.name;
            EXPECT_NE(std::string(e.what()).find(d.says), std::string::npos)
                << d.name << ": " << e.what();
        }
    }
}

TEST(TraceFile, BytesAfterTheEndMarkAreRejected) {
    auto bytes = Written(Sample);
    const size_t end = bytes.size();
    bytes.push_back('I');
    try {
        ParseTrace(bytes);
        ADD_FAILURE();
    } catch (const TraceError &e) {
        EXPECT_EQ(e.offset(), end);
    }
}

TEST(TraceFile, PointerFieldsAreNeverWritable) {
    EXPECT_FALSE(TouchesPointerField(offsetof(RuvoDrawBlock, ClipLeft), 16));
    EXPECT_FALSE(TouchesPointerField(offsetof(RuvoDrawBlock, SpritePalette), uint64_t{3} * 512));
    EXPECT_TRUE(TouchesPointerField(offsetof(RuvoDrawBlock, ScreenLayer) - 1, 2));
    EXPECT_TRUE(TouchesPointerField(offsetof(RuvoDrawBlock, PrimarySurface), 1));
    EXPECT_TRUE(TouchesPointerField(offsetof(RuvoDrawBlock, OperationSlot) + 100, 1));
    EXPECT_FALSE(TouchesPointerField(offsetof(RuvoDrawBlock, ExclusiveMode), 4));
}

}  // namespace
}  // namespace ruvo::trace
