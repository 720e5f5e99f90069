#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "codec/raster.h"
#include "stats/histogram.h"

namespace tintwell {

struct TCountingOptions {
    // Threads that count while the decoder decodes; 0 counts on the decoder's thread, as does a
    // picture of no more than two bands, where starting a thread costs more than it could save.
    unsigned Workers = 0;
    // About this much per band (at least one row): large enough that handing a band over costs
    // nothing next to counting it, small enough that a few bands stay in the caches between
    // decoder and counter.
    std::size_t BandBytes = std::size_t{1} << 18;
};

// A sink that counts instead of keeping: the histograms of the chosen planes over the rows a
// decoder delivers, a band at a time, without ever holding the whole picture. Bands are counted
// on worker threads while the decoder goes on with the next one, in a few band buffers that go
// round. The decoder never waits for a worker: a band that no worker can take at once (each has a
// band waiting already, or no buffer would be left for the next band) is counted on the decoder's
// thread while it is still in that core's cache, and bands still waiting at the end are counted
// there too. A worker that is slow to be scheduled thus costs the decoder nothing, and one that
// keeps up takes all the counting. The counts are exactly those of GetHistogram on the picture's
// 24-bit bitmap: palette rows are counted as indexes and turned into levels through the colour
// table at the end, rows never delivered count as zero pixels, and the layout's inversion is
// applied as the bitmap would have it applied.
class TPlaneCounter final : public TRasterSink {
public:
    // std::invalid_argument for a plane outside 0..15.
    TPlaneCounter(std::vector<TPixelPlane> planes, const TCountingOptions& options);
    ~TPlaneCounter() override;
    TPlaneCounter(const TPlaneCounter&) = delete;
    TPlaneCounter& operator=(const TPlaneCounter&) = delete;

    std::uint32_t Begin(const TRasterLayout& layout) noexcept override;
    TBandView Band(std::uint32_t first, std::uint32_t count) noexcept override;
    void Commit(std::uint32_t rows) noexcept override;
    void Discard() noexcept override;

    // Once the decoder is done: one histogram per plane, in the order the planes were given.
    std::vector<THistogram> Finish();

private:
    // What one thread has counted: a histogram per plane, and the palette indexes.
    struct TTally {
        std::vector<THistogram> Planes = std::vector<THistogram>(kPixelPlaneCount);
        THistogram Indexes;
    };
    struct TJob {
        std::size_t Slot;
        std::uint32_t Rows;
    };

    void Count(std::uint8_t* rows, std::uint32_t count, TTally& tally) const noexcept;
    void Work(std::size_t worker) noexcept;
    void CountWaitingHere() noexcept;
    void WaitIdle(std::unique_lock<std::mutex>& lock) noexcept;
    void StopWorkers() noexcept;

    std::vector<TPixelPlane> FPlanes;
    std::vector<bool> FCounted = std::vector<bool>(kPixelPlaneCount);
    bool FChannels = false; // red, green or blue is asked for: one pass counts all three
    TRasterLayout FLayout;
    std::uint32_t FBandRows = 0;
    std::uint64_t FDelivered = 0; // pixels in committed rows

    std::vector<std::vector<std::uint8_t>> FSlots;
    std::size_t FCurrent = 0;     // the slot of the band being filled
    std::vector<TTally> FTallies; // one per worker, the last for the decoder's own thread

    std::mutex FLock;
    std::condition_variable FWork; // a job or the stop, for the workers
    std::condition_variable FDone; // a job counted, for the decoder's thread
    std::vector<std::size_t> FFree;
    std::deque<TJob> FJobs;
    unsigned FBusy = 0;
    bool FStop = false;
    TCountingOptions FOptions;
    std::vector<std::thread> FWorkers;
};

} // namespace tintwell
