#pragma once

#include <cstdint>

namespace tintwell {

// A meter of the heap: how many bytes the allocator has handed out and not taken back since a mark.
// The count is the allocator's own (glibc's, or the address sanitizer's when the program is built
// with it), so it covers every allocation of the process, Qt's included.
class THeapStatus {
public:
    // Remembers the allocated total now.
    void mark() noexcept;
    // The allocated total now minus the mark, as an unsigned 32-bit difference (it wraps when less
    // is allocated now than at the mark).
    std::uint32_t getB() const noexcept;
    // getB in KiB and in MiB, rounded to the nearest whole number, halves to even.
    std::uint32_t getKb() const noexcept;
    std::uint32_t getMb() const noexcept;

    // The allocated total now, as the meter counts it.
    static std::uint64_t AllocatedBytes() noexcept;
    // Rounds bytes / unit to the nearest whole number, halves to even.
    static std::uint32_t DivideRounded(std::uint32_t bytes, std::uint32_t unit) noexcept;

private:
    std::uint32_t FMark = 0;
};

} // namespace tintwell
