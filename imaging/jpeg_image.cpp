#include "imaging/jpeg_image.h"

#include <QPainter>
#include <algorithm>
#include <vector>

#include "codec/file_io.h"
#include "codec/jpeg_decode.h"
#include "imaging/bitmap.h"
#include "imaging/display_info.h"
#include "imaging/image_sink.h"
#include "imaging/registry.h"

namespace tintwell {

const TGraphicClass kJPEGImageClass{"TJPEGImage",
                                    [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); }};

namespace {

QImage Decode(const std::vector<std::uint8_t>& bytes, unsigned scaleDenominator) {
    QImage image;
    TImageSink sink(image, TImageSink::Create);
    DecodeJpeg(bytes.data(), bytes.size(),
               TJpegDecodeOptions{DisplayInfo().BitsPerPixel <= 8, scaleDenominator}, sink);
    return image;
}

} // namespace

struct TJPEGImage::TState {
    std::vector<std::uint8_t> Bytes;
    TJpegHeader Header{};
    QImage Decoded;
};

TJPEGImage::TJPEGImage() : FState(std::make_shared<TState>()) {}
TJPEGImage::~TJPEGImage() = default;
TJPEGImage::TJPEGImage(const TJPEGImage&) = default;
TJPEGImage& TJPEGImage::operator=(const TJPEGImage&) = default;

void TJPEGImage::LoadFromFile(const std::string& fileName) {
    auto state = std::make_shared<TState>();
    state->Bytes = ReadWholeFile(fileName);
    state->Header = ReadJpegHeader(state->Bytes.data(), state->Bytes.size());
    FState = std::move(state);
}

int TJPEGImage::Width() const noexcept { return FState->Header.Width; }
int TJPEGImage::Height() const noexcept { return FState->Header.Height; }
bool TJPEGImage::Grayscale() const noexcept { return FState->Header.Grayscale; }
bool TJPEGImage::ProgressiveEncoding() const noexcept { return FState->Header.Progressive; }

void TJPEGImage::Prepare() {
    if (FState->Decoded.isNull() && !FState->Bytes.empty())
        FState->Decoded = Decode(FState->Bytes, 1);
}

void TJPEGImage::Draw(QPainter& painter, const QRectF& rect) const {
    if (!FState->Decoded.isNull())
        painter.drawImage(rect, FState->Decoded);
}

void TJPEGImage::AssignTo(TBitmap& bitmap) {
    Prepare();
    bitmap.SetImage(FState->Decoded);
}

QImage TJPEGImage::DecodedImage() const { return FState->Decoded; }

QImage TJPEGImage::DecodeForPreview(QSize maxSize) const {
    if (FState->Bytes.empty())
        return {};
    unsigned denominator = 1;
    while (denominator < 8 &&
           (Width() + 2 * static_cast<int>(denominator) - 1) / (2 * static_cast<int>(denominator)) >=
               maxSize.width() &&
           (Height() + 2 * static_cast<int>(denominator) - 1) / (2 * static_cast<int>(denominator)) >=
               maxSize.height())
        denominator *= 2;
    return Decode(FState->Bytes, denominator);
}

} // namespace tintwell
