#pragma once

#include <QImage>

#include "codec/raster.h"

namespace tintwell {

// A new raster, its pixels not cleared; null when memory cannot be had. A large one (8 MiB and
// more) lies on 2 MiB pages where the system gives huge pages on request: its first touch then
// costs a few dozen page faults instead of thousands.
QImage NewRaster(int width, int height, QImage::Format format);

// A decoder's rows written in place into one QImage; the whole picture is one band. Made with
// Create, the sink makes the image when the decoder says what it delivers (Format_BGR888, or
// Format_Indexed8 with the decoder's colour table); made over an existing raster, it writes there.
class TImageSink final : public TRasterSink {
public:
    enum TMode { Create, Existing };
    TImageSink(QImage& image, TMode mode) : FImage(image), FMode(mode) {}

    std::uint32_t Begin(const TRasterLayout& layout) noexcept override;
    TBandView Band(std::uint32_t first, std::uint32_t count) noexcept override {
        return TBandView{FImage.scanLine(static_cast<int>(first)), FImage.bytesPerLine(), first, count};
    }
    void Commit(std::uint32_t) noexcept override {}
    void Discard() noexcept override { FImage.fill(0); }

private:
    QImage& FImage;
    TMode FMode;
};

} // namespace tintwell
