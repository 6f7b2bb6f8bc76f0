#pragma once
// Finding the end of a run of plain string bytes: the bytes that neither the
// reader nor the writer may take as they are ('"', '\\' and those below 0x20)
// are the same set, so both scan with this. Sixteen bytes at a time where
// SSE2 is available.
#include <array>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tessel::json {

inline constexpr auto kStringStopBytes = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[c] = true;
    table['"'] = true;
    table['\\'] = true;
    return table;
}();

#if defined(__SSE2__)
// One bit per byte of `bytes` that ends plain string content.
inline unsigned string_stop_mask(__m128i bytes) noexcept {
    // With bit 1 flipped, the control bytes stay below 0x20 and '"' (0x22)
    // becomes 0x20, while no other byte falls to 0x20 or below: one unsigned
    // comparison (equal to its minimum with 0x20) finds them all.
    const __m128i flipped = _mm_xor_si128(bytes, _mm_set1_epi8(0x02));
    const __m128i quote_or_control = _mm_cmpeq_epi8(_mm_min_epu8(flipped, _mm_set1_epi8(0x20)), flipped);
    const __m128i backslash = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(quote_or_control, backslash)));
}
#endif

// The first byte in [p, end) that ends plain string content, or end.
inline const char* find_string_stop(const char* p, const char* end) noexcept {
#if defined(__SSE2__)
    while (end - p >= 16) {
        const unsigned mask = string_stop_mask(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        if (mask != 0) return p + std::countr_zero(mask);
        p += 16;
    }
#endif
    while (p != end && !kStringStopBytes[static_cast<unsigned char>(*p)]) ++p;
    return p;
}

}  // namespace tessel::json
