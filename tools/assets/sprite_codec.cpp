#include "tools/assets/sprite_codec.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace ruvo::assets {
namespace {

constexpr int32_t kSmallestFill = 3;  // fewer bytes than a literal from three equal values on

// The shortest repeat between literals that draws faster as a fill than
// folded into them, per coding, from the screen slots on AVX2 (the
// benchmark's FillBreakEven; AVX-512 folds longer ones still). A fill costs a
// run, about as much as 20 to 30 index pixels of a literal. Colour literals
// fold faster up to the longest literal (127), so only repeats that outrun it
// are fills there.
constexpr int32_t kFastFillIndex = 32;    // DrawScreenSprite, tested, translucent, additive
constexpr int32_t kFastFillBlend = 16;    // DrawScreenBlendSprite and the back-layer stamps
constexpr int32_t kFastFillColour = 128;  // DrawScreenColourSprite

int32_t MaxCount(RunCoding coding) { return coding == RunCoding::BlendRuns ? 63 : 127; }
void Put16(std::vector<uint8_t> &out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutValue(std::vector<uint8_t> &out, RunCoding coding, uint16_t v) {
    if (coding == RunCoding::ColourRuns) {
        Put16(out, v);
    } else if (coding != RunCoding::MaskRuns) {
        out.push_back(static_cast<uint8_t>(v));
    }
}

// Appends the runs of one row to out.
class RowEncoder {
  public:
    RowEncoder(RunCoding coding, FillLengths lengths, std::vector<uint8_t> &out)
        : coding_(coding), lengths_(lengths), out_(out) {}

    void Skip(int32_t n) {
        for (; n > 0; n -= MaxCount(coding_)) {
            const auto count = static_cast<uint8_t>(std::min(n, MaxCount(coding_)));
            switch (coding_) {
                case RunCoding::BlendRuns:
                    out_.push_back(0xC0 | count);
                    break;
                case RunCoding::IndexRuns:
                    out_.insert(out_.end(), {static_cast<uint8_t>(0x80 | count), 0});
                    break;
                case RunCoding::ColourRuns:
                    out_.push_back(0x80 | count);
                    Put16(out_, kColourKey);
                    break;
                case RunCoding::MaskRuns:
                    out_.push_back(0x80 | count);
                    break;
            }
        }
    }

    void Fill(int32_t n, uint16_t v) {
        for (; n > 0; n -= MaxCount(coding_)) {
            const auto count = static_cast<uint8_t>(std::min(n, MaxCount(coding_)));
            if (coding_ == RunCoding::MaskRuns) {
                out_.push_back(count);  // a covered run
            } else {
                out_.push_back(0x80 | count);
                PutValue(out_, coding_, v);
            }
        }
    }

    void Literal(const uint16_t *v, int32_t n, bool blended) {
        for (; n > 0;) {
            const int32_t count = std::min(n, MaxCount(coding_));
            out_.push_back(static_cast<uint8_t>((blended ? 0x40 : 0) | count));
            for (int32_t i = 0; i < count; ++i) PutValue(out_, coding_, v[i]);
            v += count;
            n -= count;
        }
    }

    // Whether a fill can carry the value (index 0 and the colour key make skips).
    bool CanFill(uint16_t v) const {
        if (coding_ == RunCoding::IndexRuns) return v != 0;
        if (coding_ == RunCoding::ColourRuns) return v != kColourKey;
        return true;
    }

    // An opaque stretch: a repeat is a fill when it is as long as its place
    // asks: between other pixels of the stretch (folding it into a literal
    // would save two runs), at one end (one run) or the whole stretch (none:
    // three values do). The rest are literals.
    void Opaque(const uint16_t *v, int32_t n) {
        if (coding_ == RunCoding::MaskRuns) return Fill(n, 0);
        int32_t literal_from = 0;
        for (int32_t i = 0; i < n;) {
            int32_t r = 1;
            while (i + r < n && v[i + r] == v[i]) ++r;
            const int sides = (i > 0 ? 1 : 0) + (i + r < n ? 1 : 0);
            const int32_t shortest = sides == 2   ? lengths_.between_literals
                                     : sides == 1 ? lengths_.beside_literal
                                                  : kSmallestFill;
            if (r >= std::max(shortest, kSmallestFill) && CanFill(v[i])) {
                Literal(v + literal_from, i - literal_from, false);
                Fill(r, v[i]);
                literal_from = i + r;
            }
            i += r;
        }
        Literal(v + literal_from, n - literal_from, false);
    }

  private:
    RunCoding coding_;
    FillLengths lengths_;
    std::vector<uint8_t> &out_;
};

// Bounded reads over a sprite's bytes.
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint16_t U16() {
        Need(2);
        const uint16_t v = LoadLE16(bytes_.data() + pos_);
        pos_ += 2;
        return v;
    }
    size_t pos() const { return pos_; }
    void Seek(size_t pos) { pos_ = pos; }

  private:
    void Need(size_t n) const {
        if (pos_ + n > bytes_.size()) throw std::out_of_range("sprite data ends early");
    }
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

// The runs of one row with their values, as the walker reads them.
struct DecodedRun {
    RunClass cls;
    uint32_t count;
    std::vector<uint16_t> values;  // one per pixel for literals, one for a fill
};

// The runs of the row [p, end), read by the library's own run reader, so that
// malformed rows decode as they draw: a literal cut at the row's end, a fill
// or skip whose value lies past it ending the row.
template <RunCoding C>
std::vector<DecodedRun> ReadRowRuns(const uint8_t *p, const uint8_t *end) {
    using K = ruvo::Coding<C>;
    std::vector<DecodedRun> runs;
    while (p < end) {
        const Run run = K::Read(p, end);
        DecodedRun decoded{run.cls, run.count, {}};
        if (run.cls == RunClass::Literal || run.cls == RunClass::BlendedLiteral) {
            for (uint32_t i = 0; i < run.count; ++i) {
                decoded.values.push_back(K::Value(p));
                p += K::kValueBytes;
            }
        } else if (run.cls == RunClass::Fill && C != RunCoding::MaskRuns) {
            decoded.values.push_back(run.value);
        }
        runs.push_back(std::move(decoded));
    }
    return runs;
}

std::vector<DecodedRun> ReadRowRuns(RunCoding coding, const uint8_t *p, const uint8_t *end) {
    switch (coding) {
        case RunCoding::BlendRuns:
            return ReadRowRuns<RunCoding::BlendRuns>(p, end);
        case RunCoding::IndexRuns:
            return ReadRowRuns<RunCoding::IndexRuns>(p, end);
        case RunCoding::ColourRuns:
            return ReadRowRuns<RunCoding::ColourRuns>(p, end);
        case RunCoding::MaskRuns:
            return ReadRowRuns<RunCoding::MaskRuns>(p, end);
    }
    return {};
}

// Calls row(index, runs) for every row of the sprite. Throws when a row's
// byte count runs past the sprite's data (byte counts are trusted by the
// library, so such a sprite has no defined picture).
template <class RowFn>
void ForEachRow(std::span<const uint8_t> sprite, RunCoding coding, RowFn &&row) {
    if (sprite.size() < kSpriteHeaderBytes) throw std::out_of_range("sprite header ends early");
    const SpriteHeader header = ReadSpriteHeader(sprite.data());
    Reader in(sprite);
    in.Seek(kSpriteHeaderBytes);
    for (int32_t r = 0; r < header.rows; ++r) {
        const size_t length = in.U16();
        const size_t end = in.pos() + length;
        if (end > sprite.size()) throw std::out_of_range("row runs past the sprite data");
        row(r, ReadRowRuns(coding, sprite.data() + in.pos(), sprite.data() + end));
        in.Seek(end);
    }
}

}  // namespace

SpriteImage ImageFromValues(int32_t width, int32_t height, const std::vector<uint16_t> &values,
                            std::optional<uint16_t> transparent) {
    SpriteImage image(width, height);
    if (values.size() != image.values.size()) throw std::invalid_argument("wrong value count");
    image.values = values;
    for (size_t i = 0; i < values.size(); ++i) {
        image.cover[i] = transparent && values[i] == *transparent ? Cover::None : Cover::Opaque;
    }
    return image;
}

FillLengths MinFillLengths(RunCoding coding, Fills fills) {
    int32_t between = kSmallestFill;
    if (fills == Fills::Fast) {
        between = coding == RunCoding::BlendRuns    ? kFastFillBlend
                  : coding == RunCoding::ColourRuns ? kFastFillColour
                                                    : kFastFillIndex;
    }
    // Folding beside one literal saves one run instead of two.
    return {between, (between + 1) / 2};
}

std::vector<uint8_t> EncodeSprite(const SpriteImage &image, RunCoding coding, Fills fills) {
    return EncodeSprite(image, coding, MinFillLengths(coding, fills));
}

std::vector<uint8_t> EncodeSprite(const SpriteImage &image, RunCoding coding, FillLengths lengths) {
    if (image.width < 1 || image.width > 65536) throw std::invalid_argument("width not 1..65536");
    if (image.height < 0 || image.height > 65535) throw std::invalid_argument("too many rows");
    std::vector<uint8_t> out;
    Put16(out, static_cast<uint16_t>(image.x_offset));
    Put16(out, static_cast<uint16_t>(image.y_offset));
    Put16(out, static_cast<uint16_t>(image.width - 1));
    Put16(out, static_cast<uint16_t>(image.height));
    out.push_back(image.kind);

    for (int32_t y = 0; y < image.height; ++y) {
        const uint16_t *values = &image.values[size_t(y) * image.width];
        const Cover *cover = &image.cover[size_t(y) * image.width];
        for (int32_t x = 0; x < image.width; ++x) {
            if (coding != RunCoding::ColourRuns && values[x] > 255 && cover[x] != Cover::None) {
                throw std::invalid_argument("index above 255");
            }
            if (cover[x] == Cover::Blended && coding != RunCoding::BlendRuns) {
                throw std::invalid_argument("blended pixels need BlendRuns");
            }
        }
        const size_t length_at = out.size();
        Put16(out, 0);
        RowEncoder row(coding, lengths, out);
        int32_t end = image.width;
        while (end > 0 && cover[end - 1] == Cover::None) --end;
        for (int32_t x = 0; x < end;) {
            int32_t n = 1;
            while (x + n < end && cover[x + n] == cover[x]) ++n;
            switch (cover[x]) {
                case Cover::None:
                    row.Skip(n);
                    break;
                case Cover::Blended:
                    row.Literal(values + x, n, true);
                    break;
                case Cover::Opaque:
                    row.Opaque(values + x, n);
                    break;
            }
            x += n;
        }
        const size_t length = out.size() - length_at - 2;
        if (length > 65535) throw std::invalid_argument("row longer than 65535 bytes");
        out[length_at] = static_cast<uint8_t>(length);
        out[length_at + 1] = static_cast<uint8_t>(length >> 8);
    }
    return out;
}

SpriteImage DecodeSprite(std::span<const uint8_t> sprite, RunCoding coding) {
    if (sprite.size() < kSpriteHeaderBytes) throw std::out_of_range("sprite header ends early");
    const SpriteHeader header = ReadSpriteHeader(sprite.data());
    SpriteImage image(header.width, header.rows);
    image.x_offset = header.x_offset;
    image.y_offset = header.y_offset;
    image.kind = header.kind;
    ForEachRow(sprite, coding, [&](int32_t y, const std::vector<DecodedRun> &runs) {
        int64_t x = 0;
        for (const DecodedRun &run : runs) {
            for (uint32_t i = 0; i < run.count; ++i, ++x) {
                if (x >= image.width || run.cls == RunClass::Skip) continue;
                const bool literal = run.cls != RunClass::Fill;
                const uint16_t v = run.values.empty() ? 0 : run.values[literal ? i : 0];
                image.Set(static_cast<int32_t>(x), y, v,
                          run.cls == RunClass::BlendedLiteral ? Cover::Blended : Cover::Opaque);
            }
        }
    });
    return image;
}

std::string DescribeRuns(std::span<const uint8_t> sprite, RunCoding coding) {
    std::string text;
    char buf[32];
    ForEachRow(sprite, coding, [&](int32_t y, const std::vector<DecodedRun> &runs) {
        std::snprintf(buf, sizeof buf, "row %d:", y);
        text += buf;
        const char *sep = " ";
        for (const DecodedRun &run : runs) {
            static const char *const kNames[] = {"lit", "blend", "fill", "skip"};
            std::snprintf(buf, sizeof buf, "%s%s %u", sep, kNames[int(run.cls)], run.count);
            text += buf;
            sep = ", ";
            if (run.cls == RunClass::Fill && coding != RunCoding::MaskRuns) {
                std::snprintf(buf, sizeof buf, " #%u", run.values[0]);
                text += buf;
            } else if (run.cls == RunClass::Literal || run.cls == RunClass::BlendedLiteral) {
                text += " [";
                for (size_t i = 0; i < run.values.size(); ++i) {
                    std::snprintf(buf, sizeof buf, i ? " %u" : "%u", run.values[i]);
                    text += buf;
                }
                text += "]";
            }
        }
        text += "\n";
    });
    return text;
}

std::vector<uint16_t> RenderSprite(const SpriteImage &image, std::span<const uint16_t> colours,
                                   uint16_t background, uint16_t low_bits) {
    std::vector<uint16_t> pixels(image.values.size(), background);
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (image.cover[i] == Cover::None) continue;
        const uint16_t c = colours.empty() ? image.values[i] : colours[image.values[i] & 0xFF];
        pixels[i] = image.cover[i] == Cover::Opaque
                        ? c
                        : static_cast<uint16_t>(
                              (uint32_t{c} + background - ((c ^ background) & low_bits)) >> 1);
    }
    return pixels;
}

SpriteWriter::SpriteWriter(int32_t x_offset, int32_t y_offset, int32_t width, uint8_t kind) {
    Put16(bytes_, static_cast<uint16_t>(x_offset));
    Put16(bytes_, static_cast<uint16_t>(y_offset));
    Put16(bytes_, static_cast<uint16_t>(width - 1));
    Put16(bytes_, 0);
    bytes_.push_back(kind);
}

SpriteWriter &SpriteWriter::Row() {
    EndRow();
    row_start_ = bytes_.size();
    Put16(bytes_, 0);
    in_row_ = true;
    ++rows_;
    return *this;
}

SpriteWriter &SpriteWriter::Code(uint8_t code) {
    bytes_.push_back(code);
    return *this;
}

SpriteWriter &SpriteWriter::Bytes(std::initializer_list<uint8_t> b) {
    bytes_.insert(bytes_.end(), b);
    return *this;
}

SpriteWriter &SpriteWriter::Colour(uint16_t colour) {
    Put16(bytes_, colour);
    return *this;
}

SpriteWriter &SpriteWriter::ForceLength(uint16_t length) {
    forced_length_ = length;
    return *this;
}

void SpriteWriter::EndRow() {
    if (!in_row_) return;
    const auto length =
        forced_length_.value_or(static_cast<uint16_t>(bytes_.size() - row_start_ - 2));
    bytes_[row_start_] = static_cast<uint8_t>(length);
    bytes_[row_start_ + 1] = static_cast<uint8_t>(length >> 8);
    forced_length_.reset();
    in_row_ = false;
}

std::vector<uint8_t> SpriteWriter::Finish() {
    EndRow();
    bytes_[6] = static_cast<uint8_t>(rows_);
    bytes_[7] = static_cast<uint8_t>(rows_ >> 8);
    return bytes_;
}

}  // namespace ruvo::assets
