#include "stream/plane_counter.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

#include "stats/pixel_planes.h"

namespace tintwell {
namespace {

// Counts bytes in four tables in turn, for the same reason as the histogram's own loops: long runs
// of one index would otherwise wait on the store of the increment before.
void CountBytes(const std::uint8_t* data, std::size_t size, THistogram& histogram) noexcept {
    std::array<std::array<std::int32_t, 256>, 4> counts{};
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        ++counts[0][data[i]];
        ++counts[1][data[i + 1]];
        ++counts[2][data[i + 2]];
        ++counts[3][data[i + 3]];
    }
    for (; i < size; ++i)
        ++counts[0][data[i]];
    for (std::size_t level = 0; level < 256; ++level)
        histogram.Counts[level] += counts[0][level] + counts[1][level] + counts[2][level] + counts[3][level];
}

bool IsChannel(TPixelPlane plane) {
    return plane == TPixelPlane::ppRed || plane == TPixelPlane::ppGreen || plane == TPixelPlane::ppBlue;
}

} // namespace

TPlaneCounter::TPlaneCounter(std::vector<TPixelPlane> planes, const TCountingOptions& options)
    : FPlanes(std::move(planes)), FOptions(options) {
    for (const TPixelPlane plane : FPlanes) {
        if (static_cast<unsigned>(plane) >= static_cast<unsigned>(kPixelPlaneCount))
            throw std::invalid_argument("TPlaneCounter: unknown pixel plane " +
                                        std::to_string(static_cast<int>(plane)));
        FCounted[static_cast<std::size_t>(plane)] = true;
        FChannels = FChannels || IsChannel(plane);
    }
}

TPlaneCounter::~TPlaneCounter() { StopWorkers(); }

std::uint32_t TPlaneCounter::Begin(const TRasterLayout& layout) noexcept {
    FLayout = layout;
    const std::size_t rowBytes = std::max<std::size_t>(layout.RowBytes(), 1);
    std::size_t bandRows = std::max<std::size_t>(FOptions.BandBytes / rowBytes, 1);
    // A whole number of the decoder's units, unless one unit is itself far past the band's size.
    const std::size_t unit = layout.UnitRows;
    if (unit > 1 && unit * rowBytes <= 8 * FOptions.BandBytes)
        bandRows = std::max<std::size_t>(bandRows / unit, 1) * unit;
    FBandRows = static_cast<std::uint32_t>(std::min<std::size_t>(bandRows, std::max(layout.Height, 1u)));
    // Counting a band or two costs less than starting and stopping a thread to count them.
    const unsigned workers = layout.Height <= 2 * std::uint64_t{FBandRows} ? 0 : FOptions.Workers;
    try {
        // One band being filled, and for each worker one being counted and one waiting.
        const std::size_t slots = workers == 0 ? 1 : 2 * std::size_t{workers} + 1;
        FSlots.assign(slots, std::vector<std::uint8_t>(rowBytes * FBandRows));
        FTallies.assign(workers + 1, TTally{});
        for (std::size_t i = 0; i < slots; ++i)
            FFree.push_back(i);
        for (unsigned w = 0; w < workers; ++w)
            FWorkers.emplace_back(&TPlaneCounter::Work, this, std::size_t{w});
    } catch (const std::bad_alloc&) {
        StopWorkers();
        return 0;
    } catch (const std::system_error&) {
        // No threads to be had: the workers that did start count, or the decoder's thread does.
        if (FWorkers.empty()) {
            FSlots.resize(1);
            FFree = {0};
        }
    }
    return FBandRows;
}

TBandView TPlaneCounter::Band(std::uint32_t first, std::uint32_t count) noexcept {
    {
        // Commit leaves a free slot behind it, so this only waits for a decoder that asks for a
        // band without committing the one before.
        std::unique_lock lock(FLock);
        FDone.wait(lock, [&] { return !FFree.empty(); });
        FCurrent = FFree.back();
        FFree.pop_back();
    }
    std::vector<std::uint8_t>& slot = FSlots[FCurrent];
    if (!FLayout.WholeRows)
        std::memset(slot.data(), 0, FLayout.RowBytes() * count);
    return TBandView{slot.data(), static_cast<std::ptrdiff_t>(FLayout.RowBytes()), first, count};
}

void TPlaneCounter::Commit(std::uint32_t rows) noexcept {
    FDelivered += std::uint64_t{rows} * FLayout.Width;
    {
        const std::lock_guard lock(FLock);
        if (FJobs.size() < FWorkers.size() && !FFree.empty()) {
            FJobs.push_back(TJob{FCurrent, rows});
            FWork.notify_one();
            return;
        }
    }
    Count(FSlots[FCurrent].data(), rows, FTallies.back());
    const std::lock_guard lock(FLock);
    FFree.push_back(FCurrent);
}

void TPlaneCounter::CountWaitingHere() noexcept {
    std::unique_lock lock(FLock);
    while (!FJobs.empty()) {
        const TJob job = FJobs.front();
        FJobs.pop_front();
        lock.unlock();
        Count(FSlots[job.Slot].data(), job.Rows, FTallies.back());
        lock.lock();
        FFree.push_back(job.Slot);
    }
}

void TPlaneCounter::Discard() noexcept {
    std::unique_lock lock(FLock);
    WaitIdle(lock);
    for (TTally& tally : FTallies) {
        for (THistogram& histogram : tally.Planes)
            histogram.Clear();
        tally.Indexes.Clear();
    }
    FDelivered = 0;
}

void TPlaneCounter::Work(std::size_t worker) noexcept {
    std::unique_lock lock(FLock);
    for (;;) {
        FWork.wait(lock, [&] { return FStop || !FJobs.empty(); });
        if (FJobs.empty())
            return;
        const TJob job = FJobs.front();
        FJobs.pop_front();
        ++FBusy;
        lock.unlock();
        Count(FSlots[job.Slot].data(), job.Rows, FTallies[worker]);
        lock.lock();
        --FBusy;
        FFree.push_back(job.Slot);
        FDone.notify_one();
    }
}

void TPlaneCounter::WaitIdle(std::unique_lock<std::mutex>& lock) noexcept {
    FDone.wait(lock, [&] { return FJobs.empty() && FBusy == 0; });
}

void TPlaneCounter::StopWorkers() noexcept {
    {
        const std::lock_guard lock(FLock);
        FStop = true;
        FWork.notify_all();
    }
    for (std::thread& worker : FWorkers)
        worker.join();
    FWorkers.clear();
}

void TPlaneCounter::Count(std::uint8_t* rows, std::uint32_t count, TTally& tally) const noexcept {
    const std::size_t rowBytes = FLayout.RowBytes();
    if (FLayout.Indexed) {
        CountBytes(rows, rowBytes * count, tally.Indexes);
        return;
    }
    if (FLayout.Invert) {
        // The slot is this counter's until it goes back to the free list.
        for (std::size_t i = 0; i < rowBytes * count; ++i)
            rows[i] = static_cast<std::uint8_t>(255 - rows[i]);
    }
    const TBitmapView band(static_cast<int>(FLayout.Width), static_cast<int>(count), TPixelFormat::pf24bit,
                           rows, static_cast<std::ptrdiff_t>(rowBytes));
    if (FChannels)
        AddToChannelHistograms(band, tally.Planes[1], tally.Planes[2], tally.Planes[3]);
    for (std::size_t plane = 0; plane < FCounted.size(); ++plane)
        if (FCounted[plane] && !IsChannel(static_cast<TPixelPlane>(plane)))
            AddToHistogram(band, static_cast<TPixelPlane>(plane), tally.Planes[plane]);
}

std::vector<THistogram> TPlaneCounter::Finish() {
    // A worker that has not yet woken for its band would only keep the decoder's thread waiting.
    CountWaitingHere();
    StopWorkers();
    TTally total;
    for (const TTally& tally : FTallies) {
        for (std::size_t plane = 0; plane < total.Planes.size(); ++plane)
            for (std::size_t level = 0; level < 256; ++level)
                total.Planes[plane].Counts[level] += tally.Planes[plane].Counts[level];
        for (std::size_t level = 0; level < 256; ++level)
            total.Indexes.Counts[level] += tally.Indexes.Counts[level];
    }
    const std::uint64_t pixels = std::uint64_t{FLayout.Width} * FLayout.Height;
    const auto missing = static_cast<std::int32_t>(pixels - std::min(pixels, FDelivered));
    std::vector<THistogram> result;
    for (const TPixelPlane plane : FPlanes) {
        THistogram histogram = total.Planes[static_cast<std::size_t>(plane)];
        if (FLayout.Indexed) {
            THistogram indexes = total.Indexes;
            indexes.Counts[0] += missing;
            const std::uint8_t mask = FLayout.Invert ? FLayout.InvertMask : 0;
            for (std::size_t i = 0; i < 256; ++i) {
                if (indexes.Counts[i] == 0)
                    continue;
                const TColor colour = FLayout.Table[i ^ mask];
                histogram.Counts[PlaneLevel(plane, static_cast<std::uint8_t>(GetRValue(colour)),
                                            static_cast<std::uint8_t>(GetGValue(colour)),
                                            static_cast<std::uint8_t>(GetBValue(colour)))] +=
                    indexes.Counts[i];
            }
        } else if (missing > 0) {
            const std::uint8_t zero = FLayout.Invert ? 255 : 0;
            histogram.Counts[PlaneLevel(plane, zero, zero, zero)] += missing;
        }
        result.push_back(histogram);
    }
    return result;
}

} // namespace tintwell
