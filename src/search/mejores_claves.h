#pragma once
// The ranking's bounded pile: the `limite` smallest keys seen so far, kept as a max-heap so the
// largest kept key (`tope`, once the pile is full) is the one a better key replaces.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quirvex {

// True when `clave` was kept.
inline bool GuardarEntreMejores(std::vector<std::uint64_t>& monton, std::size_t limite, std::uint64_t clave,
                                std::uint64_t& tope) {
    if (monton.size() < limite) {
        monton.push_back(clave);
        std::push_heap(monton.begin(), monton.end());
        if (monton.size() == limite) tope = monton.front();
        return true;
    }
    if (clave >= tope) return false;
    std::pop_heap(monton.begin(), monton.end());
    monton.back() = clave;
    std::push_heap(monton.begin(), monton.end());
    tope = monton.front();
    return true;
}

}  // namespace quirvex
