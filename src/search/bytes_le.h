#pragma once
// Little-endian fields as the index server writes them, in its file image and on its link alike:
// fixed-width integers, base-128 varints, and texts behind a 32-bit length. The reader never
// trusts a length: each read is bounded by what is left, and a read that does not fit fails
// without moving, so a cut or planted input is refused rather than read past.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quirvex {

inline void PonerLE(std::string& s, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void PonerU32(std::string& s, std::uint32_t v) { PonerLE(s, v, 4); }
inline void PonerU64(std::string& s, std::uint64_t v) { PonerLE(s, v, 8); }

inline void PonerVar(std::string& s, std::uint64_t v) {
    while (v >= 0x80) {
        s.push_back(static_cast<char>((v & 0x7F) | 0x80));
        v >>= 7;
    }
    s.push_back(static_cast<char>(v));
}

inline void PonerTexto(std::string& s, std::string_view t) {
    PonerU32(s, static_cast<std::uint32_t>(t.size()));
    s.append(t);
}

// The `bytes`-wide field at p; the caller has bounded it.
inline std::uint64_t LeerLE(const char* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

class LectorLE {
public:
    explicit LectorLE(std::string_view d) : d_(d) {}

    bool U8(unsigned char& v) {
        if (pos_ >= d_.size()) return false;
        v = static_cast<unsigned char>(d_[pos_++]);
        return true;
    }
    bool U32(std::uint32_t& v) {
        std::uint64_t w = 0;
        if (!Fijo(4, w)) return false;
        v = static_cast<std::uint32_t>(w);
        return true;
    }
    bool U64(std::uint64_t& v) { return Fijo(8, v); }
    // At most ten bytes; a longer run of continuation bits is damage.
    bool Var(std::uint64_t& v) {
        v = 0;
        for (int despl = 0; despl < 64; despl += 7) {
            if (pos_ >= d_.size()) return false;
            const auto b = static_cast<unsigned char>(d_[pos_++]);
            if (despl == 63 && b > 1) return false;  // bits past the 64th: damage, not a number
            v |= static_cast<std::uint64_t>(b & 0x7F) << despl;
            if (!(b & 0x80)) return true;
        }
        return false;
    }
    // A view of the next n bytes (valid while the input is).
    bool Bytes(std::size_t n, std::string_view& out) {
        if (Restante() < n) return false;
        out = d_.substr(pos_, n);
        pos_ += n;
        return true;
    }
    bool Texto(std::string& t) {
        std::uint32_t n = 0;
        std::string_view v;
        const std::size_t antes = pos_;
        if (!U32(n) || !Bytes(n, v)) {
            pos_ = antes;
            return false;
        }
        t.assign(v);
        return true;
    }
    bool Fin() const { return pos_ == d_.size(); }
    std::size_t Restante() const { return d_.size() - pos_; }

private:
    bool Fijo(int bytes, std::uint64_t& v) {
        if (Restante() < static_cast<std::size_t>(bytes)) return false;
        v = LeerLE(d_.data() + pos_, bytes);
        pos_ += static_cast<std::size_t>(bytes);
        return true;
    }

    std::string_view d_;
    std::size_t pos_ = 0;
};

}  // namespace quirvex
