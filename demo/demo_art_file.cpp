#include "demo/demo_art_file.h"

#include <type_traits>

namespace demo {
namespace {

constexpr uint32_t kTag = 0x41445652;  // "RVDA"
constexpr uint32_t kVersion = 1;

class Writer {
  public:
    void Word(uint32_t v) {
        for (int b = 0; b < 4; ++b) out_.push_back(static_cast<uint8_t>(v >> (8 * b)));
    }
    void Int(int32_t v) { Word(static_cast<uint32_t>(v)); }
    template <class T, size_t N>
    void Table(const std::array<T, N> &table) {
        for (T v : table) Scalar(v);
    }
    void Table(const std::vector<uint16_t> &table) {
        Word(static_cast<uint32_t>(table.size()));
        for (uint16_t v : table) Scalar(v);
    }
    void String(const Bytes &bytes) {
        Word(static_cast<uint32_t>(bytes.size()));
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    std::vector<uint8_t> Take() { return std::move(out_); }

  private:
    template <class T>
    void Scalar(T v) {
        for (size_t b = 0; b < sizeof v; ++b) out_.push_back(static_cast<uint8_t>(v >> (8 * b)));
    }
    std::vector<uint8_t> out_;
};

class Reader {
  public:
    explicit Reader(std::span<const uint8_t> in) : in_(in) {}
    bool ok() const { return ok_; }
    bool AtEnd() const { return at_ == in_.size(); }

    uint32_t Word() { return Scalar<uint32_t>(); }
    int32_t Int() { return static_cast<int32_t>(Word()); }
    template <class T, size_t N>
    void Table(std::array<T, N> &table) {
        for (T &v : table) v = Scalar<T>();
    }
    void Table(std::vector<uint16_t> &table) {
        const uint32_t n = Word();
        if (!Has(n, sizeof(uint16_t))) return;
        table.resize(n);
        for (uint16_t &v : table) v = Scalar<uint16_t>();
    }
    void String(Bytes &bytes) {
        const uint32_t n = Word();
        if (!Has(n)) return;
        bytes.assign(in_.begin() + static_cast<ptrdiff_t>(at_),
                     in_.begin() + static_cast<ptrdiff_t>(at_ + n));
        at_ += n;
    }

  private:
    // Whether n items of size bytes are left (counted without overflow).
    bool Has(size_t n, size_t size = 1) {
        if (ok_ && (in_.size() - at_) / size >= n) return true;
        ok_ = false;
        return false;
    }
    template <class T>
    T Scalar() {
        if (!Has(sizeof(T))) return T{};
        T v{};
        for (size_t b = 0; b < sizeof v; ++b) v |= static_cast<T>(T{in_[at_ + b]} << (8 * b));
        at_ += sizeof v;
        return v;
    }
    std::span<const uint8_t> in_;
    size_t at_ = 0;
    bool ok_ = true;
};

// Every field of Art, in order, for writing and for reading alike.
template <class Io, class A>
void Fields(Io &io, A &art) {
    io.Table(art.palette);
    io.Table(art.shade);
    for (auto &variants : art.tiles) {
        for (auto &tile : variants) io.Table(tile);
    }
    for (auto &object : art.objects) {
        io.String(object.sprite);
        io.String(object.shadow);
        for (auto *v : {&object.top, &object.height, &object.left, &object.width}) {
            if constexpr (std::is_const_v<A>) {
                io.Int(*v);
            } else {
                *v = io.Int();
            }
        }
    }
    for (auto &frames : art.walkers) {
        for (auto &frame : frames) io.String(frame);
    }
    for (auto &frame : art.hero) io.String(frame);
    io.String(art.figure_shadow);
    io.String(art.torch_light);
    for (auto &flame : art.flames) io.String(flame);
    io.String(art.smoke);
    io.Table(art.smoke_table);
    io.Table(art.fire_colours);
    io.String(art.title_font);
    io.String(art.text_font);
    io.Table(art.text_colours);
}

}  // namespace

std::vector<uint8_t> WriteArt(const Art &art) {
    Writer w;
    w.Word(kTag);
    w.Word(kVersion);
    Fields(w, art);
    return w.Take();
}

bool ReadArt(std::span<const uint8_t> file, Art &art) {
    Reader r(file);
    if (r.Word() != kTag || r.Word() != kVersion) return false;
    Fields(r, art);
    return r.ok() && r.AtEnd();
}

}  // namespace demo
