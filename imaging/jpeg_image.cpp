#include "imaging/jpeg_image.h"

#include <QPainter>
#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "core/conversions.h"
#include "core/resource_text.h"
#include "imaging/bitmap.h"
#include "imaging/display_info.h"
#include "imaging/errors.h"
#include "imaging/file_io.h"
#include "imaging/limits.h"
#include "imaging/registry.h"

namespace tintwell {

const TGraphicClass kJPEGImageClass{"TJPEGImage",
                                    [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); }};

namespace {

// Grayscale files, and every file on a display of 8 bits or fewer, are shown from a palette.
constexpr int kQuantizedColours = 236;
// Our own failure inside the decoder's callbacks, outside libjpeg's message numbers.
constexpr int kNoMemoryForOutput = -1;

// ---- The C side. Nothing below up to the end of DecodeJpeg may own a destructor: longjmp
// leaves these frames without unwinding them.

struct TErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Jump;
    int Code;
};

void ErrorExit(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<TErrorManager*>(cinfo->err);
    manager->Code = cinfo->err->msg_code;
    std::longjmp(manager->Jump, 1);
}

// Warnings and trace messages are dropped: they would go to stderr.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

struct THeader {
    int Width;
    int Height;
    bool Grayscale;
    bool Progressive;
};

// Where decoded rows go. Begin learns the output's geometry (and colour map, if quantized) and
// returns false when it cannot hold it; Row gives the destination of output row y.
struct TJpegSink {
    void* Context;
    bool (*Begin)(void* context, j_decompress_ptr cinfo);
    JSAMPROW (*Row)(void* context, JDIMENSION y);
};

struct TDecodeSettings {
    bool Quantize;
    unsigned ScaleDenominator;
    long MaxMemory;
};

void PrepareDecompress(jpeg_decompress_struct& cinfo, TErrorManager& errors, const std::uint8_t* data,
                       std::size_t size) {
    cinfo.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = ErrorExit;
    errors.Base.emit_message = EmitMessage;
    errors.Base.output_message = OutputMessage;
    errors.Code = 0;
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
}

int ReadJpegHeader(const std::uint8_t* data, std::size_t size, THeader* header) {
    jpeg_decompress_struct cinfo;
    TErrorManager errors;
    cinfo.err = nullptr;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        return errors.Code == 0 ? JERR_INPUT_EMPTY : errors.Code;
    }
    PrepareDecompress(cinfo, errors, data, size);
    jpeg_read_header(&cinfo, TRUE);
    header->Width = static_cast<int>(cinfo.image_width);
    header->Height = static_cast<int>(cinfo.image_height);
    header->Grayscale = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    header->Progressive = cinfo.progressive_mode != 0;
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

int DecodeJpeg(const std::uint8_t* data, std::size_t size, const TDecodeSettings* settings, TJpegSink* sink) {
    jpeg_decompress_struct cinfo;
    TErrorManager errors;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        return errors.Code == 0 ? JERR_INPUT_EMPTY : errors.Code;
    }
    PrepareDecompress(cinfo, errors, data, size);
    cinfo.mem->max_memory_to_use = settings->MaxMemory;
    jpeg_read_header(&cinfo, TRUE);

    cinfo.scale_num = 1;
    cinfo.scale_denom = settings->ScaleDenominator;
    cinfo.do_block_smoothing = TRUE;
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        // libjpeg-turbo cannot convert these to BGR: the sink converts from CMYK itself.
        cinfo.out_color_space = JCS_CMYK;
    } else if (settings->Quantize || cinfo.jpeg_color_space == JCS_GRAYSCALE) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = kQuantizedColours;
        if (cinfo.jpeg_color_space != JCS_GRAYSCALE)
            cinfo.out_color_space = JCS_RGB;
    } else {
        cinfo.out_color_space = JCS_EXT_BGR;
    }
    jpeg_start_decompress(&cinfo);
    if (!sink->Begin(sink->Context, &cinfo)) {
        jpeg_destroy_decompress(&cinfo);
        return kNoMemoryForOutput;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = sink->Row(sink->Context, cinfo.output_scanline);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

// ---- The C++ side.

[[noreturn]] void RaiseJpegError(int code) {
    if (code == kNoMemoryForOutput)
        throw EInvalidGraphic(ResString("Not enough memory for the JPEG image"));
    throw EJPEG(FormatText(ResString("JPEG error #%d"), {IntToStr(code)}));
}

// Collects the output in a QImage: Format_BGR888 for colour, Format_Indexed8 with the decoder's
// colour map when quantized. CMYK rows pass through a scratch row and are converted on the next
// row request and at the end.
struct TImageSink {
    QImage Image;
    bool Cmyk = false;
    bool AdobeInverted = false;
    std::vector<std::uint8_t> CmykRow;
    JDIMENSION PendingRow = 0;
    bool HasPending = false;

    static bool Begin(void* context, j_decompress_ptr cinfo) {
        auto& self = *static_cast<TImageSink*>(context);
        const auto width = static_cast<int>(cinfo->output_width);
        const auto height = static_cast<int>(cinfo->output_height);
        if (cinfo->quantize_colors) {
            self.Image = QImage(width, height, QImage::Format_Indexed8);
            if (self.Image.isNull())
                return false;
            QList<QRgb> table;
            for (int i = 0; i < cinfo->actual_number_of_colors; ++i) {
                if (cinfo->out_color_components == 1) {
                    const int v = cinfo->colormap[0][i];
                    table.push_back(qRgb(v, v, v));
                } else {
                    table.push_back(
                        qRgb(cinfo->colormap[0][i], cinfo->colormap[1][i], cinfo->colormap[2][i]));
                }
            }
            self.Image.setColorTable(table);
            return true;
        }
        self.Image = QImage(width, height, QImage::Format_BGR888);
        if (self.Image.isNull())
            return false;
        if (cinfo->out_color_space == JCS_CMYK) {
            self.Cmyk = true;
            self.AdobeInverted = cinfo->saw_Adobe_marker != 0;
            self.CmykRow.assign(static_cast<std::size_t>(width) * 4, 0);
        }
        return true;
    }

    static JSAMPROW Row(void* context, JDIMENSION y) {
        auto& self = *static_cast<TImageSink*>(context);
        if (!self.Cmyk)
            return self.Image.scanLine(static_cast<int>(y));
        self.FlushCmyk();
        self.PendingRow = y;
        self.HasPending = true;
        return self.CmykRow.data();
    }

    void FlushCmyk() {
        if (!HasPending)
            return;
        HasPending = false;
        std::uint8_t* out = Image.scanLine(static_cast<int>(PendingRow));
        const std::uint8_t* in = CmykRow.data();
        for (int x = 0; x < Image.width(); ++x, in += 4, out += 3) {
            // Adobe writes CMYK inverted (0 is full ink); others store ink amounts directly.
            const int c = AdobeInverted ? in[0] : 255 - in[0];
            const int m = AdobeInverted ? in[1] : 255 - in[1];
            const int yy = AdobeInverted ? in[2] : 255 - in[2];
            const int k = AdobeInverted ? in[3] : 255 - in[3];
            out[0] = static_cast<std::uint8_t>((yy * k + 127) / 255);
            out[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
            out[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
        }
    }
};

QImage Decode(const std::vector<std::uint8_t>& bytes, unsigned scaleDenominator, int width, int height) {
    CheckImageSize(width, height);
    TImageSink sink;
    TJpegSink cSink{&sink, &TImageSink::Begin, &TImageSink::Row};
    // The decoder's own buffers (a progressive file keeps all its coefficients) stay within a
    // bound tied to the image limit, so a small file cannot claim gigabytes.
    const std::int64_t maxMemory = std::min<std::int64_t>(MaxImagePixels() * 8, LONG_MAX);
    const TDecodeSettings settings{DisplayInfo().BitsPerPixel <= 8, scaleDenominator,
                                   static_cast<long>(maxMemory)};
    const int code = DecodeJpeg(bytes.data(), bytes.size(), &settings, &cSink);
    if (code != 0)
        RaiseJpegError(code);
    sink.FlushCmyk();
    return std::move(sink.Image);
}

} // namespace

struct TJPEGImage::TState {
    std::vector<std::uint8_t> Bytes;
    THeader Header{};
    QImage Decoded;
};

TJPEGImage::TJPEGImage() : FState(std::make_shared<TState>()) {}
TJPEGImage::~TJPEGImage() = default;
TJPEGImage::TJPEGImage(const TJPEGImage&) = default;
TJPEGImage& TJPEGImage::operator=(const TJPEGImage&) = default;

void TJPEGImage::LoadFromFile(const std::string& fileName) {
    auto state = std::make_shared<TState>();
    state->Bytes = ReadWholeFile(fileName);
    const int code = ReadJpegHeader(state->Bytes.data(), state->Bytes.size(), &state->Header);
    if (code != 0)
        RaiseJpegError(code);
    FState = std::move(state);
}

int TJPEGImage::Width() const noexcept { return FState->Header.Width; }
int TJPEGImage::Height() const noexcept { return FState->Header.Height; }
bool TJPEGImage::Grayscale() const noexcept { return FState->Header.Grayscale; }
bool TJPEGImage::ProgressiveEncoding() const noexcept { return FState->Header.Progressive; }

void TJPEGImage::Prepare() {
    if (FState->Decoded.isNull() && !FState->Bytes.empty())
        FState->Decoded = Decode(FState->Bytes, 1, Width(), Height());
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
    return Decode(FState->Bytes, denominator, Width(), Height());
}

} // namespace tintwell
