#include "settings/heap_status.h"

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
#define TINTWELL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TINTWELL_ASAN 1
#endif
#endif

#ifdef TINTWELL_ASAN
#include <cstddef>
// The sanitizer runtime's own count (sanitizer/allocator_interface.h, which GCC does not ship).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace tintwell {

std::uint64_t THeapStatus::AllocatedBytes() noexcept {
#ifdef TINTWELL_ASAN
    // The sanitizer replaces malloc; glibc's counters would miss everything it hands out.
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    // Small blocks in the arenas plus the large ones that glibc maps on their own.
    return info.uordblks + info.hblkhd;
#endif
}

std::uint32_t THeapStatus::DivideRounded(std::uint32_t bytes, std::uint32_t unit) noexcept {
    std::uint32_t quotient = bytes / unit;
    const std::uint32_t rest = bytes % unit;
    const std::uint32_t half = unit / 2;
    if (rest > half || (rest == half && (quotient % 2) != 0))
        ++quotient;
    return quotient;
}

void THeapStatus::mark() noexcept { FMark = static_cast<std::uint32_t>(AllocatedBytes()); }

std::uint32_t THeapStatus::getB() const noexcept {
    return static_cast<std::uint32_t>(AllocatedBytes()) - FMark;
}

std::uint32_t THeapStatus::getKb() const noexcept { return DivideRounded(getB(), 1024); }

std::uint32_t THeapStatus::getMb() const noexcept { return DivideRounded(getB(), 1024 * 1024); }

} // namespace tintwell
