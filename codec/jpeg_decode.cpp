#include "codec/jpeg_decode.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <unistd.h>

#include <jerror.h>
#include <jpeglib.h>

#include "codec/errors.h"
#include "codec/file_io.h"
#include "codec/limits.h"
#include "core/conversions.h"
#include "core/resource_text.h"

namespace tintwell {
namespace {

// Grayscale files, and every file on a display of 8 bits or fewer, are shown from a palette.
constexpr int kQuantizedColours = 236;
// Our own failure inside the decode, outside libjpeg's message numbers.
constexpr int kNoMemoryForOutput = -1;
// Rows asked of libjpeg per call; it hands out fewer when its output buffer holds fewer.
constexpr int kRowsPerRead = 16;
// A file is read in blocks of this size: few enough calls, and a buffer that stays in the cache
// instead of a copy of the whole file that has to be faulted in page by page.
constexpr std::size_t kFileBlockBytes = std::size_t{64} << 10;

// ---- The C side. Nothing below up to the end of DecodeC may own a destructor: longjmp leaves
// these frames without unwinding them.

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

struct TDecodeSettings {
    bool Quantize;
    unsigned ScaleDenominator;
    long MaxMemory;
    // Room for kRowsPerRead CMYK rows of the file's full width.
    std::uint8_t* CmykScratch;
};

// A file read through a descriptor a block at a time. Every pass starts again at the beginning,
// and the bytes libjpeg sees are exactly the file's, followed by the same made-up end marker the
// memory source gives at the end of the data: the decode cannot tell the two sources apart.
struct TFileSource {
    jpeg_source_mgr Base;
    int Handle;
    off_t Offset;   // of the next block to read
    int ReadError;  // errno of a failed read, 0 if none
    JOCTET* Buffer; // kFileBlockBytes
};

void InitFileSource(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<TFileSource*>(cinfo->src);
    source->Offset = 0;
    source->Base.bytes_in_buffer = 0;
}

boolean FillFileBuffer(j_decompress_ptr cinfo) {
    static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
    auto* source = reinterpret_cast<TFileSource*>(cinfo->src);
    ssize_t read;
    do {
        read = pread(source->Handle, source->Buffer, kFileBlockBytes, source->Offset);
    } while (read < 0 && errno == EINTR);
    if (read < 0) {
        source->ReadError = errno;
        ERREXIT(cinfo, JERR_FILE_READ);
    }
    if (read == 0) {
        // As the memory source: an empty file is an error, a file that stops early ends here.
        if (source->Offset == 0)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->Base.next_input_byte = kEndOfImage;
        source->Base.bytes_in_buffer = sizeof kEndOfImage;
        return TRUE;
    }
    source->Offset += read;
    source->Base.next_input_byte = source->Buffer;
    source->Base.bytes_in_buffer = static_cast<std::size_t>(read);
    return TRUE;
}

// libjpeg's own skip loop, so that a skip past the end meets the end marker as it would in memory.
void SkipFileData(j_decompress_ptr cinfo, long bytes) {
    jpeg_source_mgr* source = cinfo->src;
    if (bytes <= 0)
        return;
    while (bytes > static_cast<long>(source->bytes_in_buffer)) {
        bytes -= static_cast<long>(source->bytes_in_buffer);
        source->fill_input_buffer(cinfo);
    }
    source->next_input_byte += bytes;
    source->bytes_in_buffer -= static_cast<std::size_t>(bytes);
}

void TermFileSource(j_decompress_ptr) {}

// The bytes to decode: Size bytes at Data, or the file behind File when that is set.
struct TJpegInput {
    const std::uint8_t* Data;
    std::size_t Size;
    TFileSource* File;
};

void PrepareDecompress(jpeg_decompress_struct& cinfo, TErrorManager& errors, const TJpegInput& input) {
    cinfo.err = jpeg_std_error(&errors.Base);
    errors.Base.error_exit = ErrorExit;
    errors.Base.emit_message = EmitMessage;
    errors.Base.output_message = OutputMessage;
    errors.Code = 0;
    jpeg_create_decompress(&cinfo);
    if (input.File == nullptr) {
        jpeg_mem_src(&cinfo, input.Data, static_cast<unsigned long>(input.Size));
        return;
    }
    jpeg_source_mgr& source = input.File->Base;
    source.init_source = InitFileSource;
    source.fill_input_buffer = FillFileBuffer;
    source.skip_input_data = SkipFileData;
    source.resync_to_restart = jpeg_resync_to_restart;
    source.term_source = TermFileSource;
    source.next_input_byte = nullptr;
    source.bytes_in_buffer = 0;
    cinfo.src = &source;
}

int ReadHeaderC(const TJpegInput* input, TJpegHeader* header) {
    jpeg_decompress_struct cinfo;
    TErrorManager errors;
    cinfo.err = nullptr;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        return errors.Code == 0 ? JERR_INPUT_EMPTY : errors.Code;
    }
    PrepareDecompress(cinfo, errors, *input);
    jpeg_read_header(&cinfo, TRUE);
    header->Width = static_cast<int>(cinfo.image_width);
    header->Height = static_cast<int>(cinfo.image_height);
    header->Grayscale = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    header->Progressive = cinfo.progressive_mode != 0;
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

void FillLayout(j_decompress_ptr cinfo, TRasterLayout* layout) {
    layout->Width = cinfo->output_width;
    layout->Height = cinfo->output_height;
    layout->WholeRows = true;
    layout->Indexed = cinfo->quantize_colors != 0;
    if (!layout->Indexed)
        return;
    layout->TableSize = cinfo->actual_number_of_colors;
    for (int i = 0; i < cinfo->actual_number_of_colors; ++i) {
        if (cinfo->out_color_components == 1) {
            const int v = cinfo->colormap[0][i];
            layout->Table[static_cast<std::size_t>(i)] = RGB(v, v, v);
        } else {
            layout->Table[static_cast<std::size_t>(i)] =
                RGB(cinfo->colormap[0][i], cinfo->colormap[1][i], cinfo->colormap[2][i]);
        }
    }
}

// CMYK rows to blue, green, red. Adobe writes CMYK inverted (0 is full ink); others store ink
// amounts directly.
void CmykToBgr(const std::uint8_t* in, std::uint8_t* out, JDIMENSION width, bool adobeInverted) {
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        const int c = adobeInverted ? in[0] : 255 - in[0];
        const int m = adobeInverted ? in[1] : 255 - in[1];
        const int y = adobeInverted ? in[2] : 255 - in[2];
        const int k = adobeInverted ? in[3] : 255 - in[3];
        out[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        out[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        out[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

int DecodeC(const TJpegInput* input, const TDecodeSettings* settings, TRasterSink* sink,
            TRasterLayout* layout) {
    jpeg_decompress_struct cinfo;
    TErrorManager errors;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        return errors.Code == 0 ? JERR_INPUT_EMPTY : errors.Code;
    }
    PrepareDecompress(cinfo, errors, *input);
    cinfo.mem->max_memory_to_use = settings->MaxMemory;
    jpeg_read_header(&cinfo, TRUE);

    cinfo.scale_num = 1;
    cinfo.scale_denom = settings->ScaleDenominator;
    cinfo.do_block_smoothing = TRUE;
    bool cmyk = false;
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        // libjpeg-turbo cannot convert these to BGR: they are converted here.
        cinfo.out_color_space = JCS_CMYK;
        cmyk = true;
    } else if (settings->Quantize || cinfo.jpeg_color_space == JCS_GRAYSCALE) {
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = kQuantizedColours;
        if (cinfo.jpeg_color_space != JCS_GRAYSCALE)
            cinfo.out_color_space = JCS_RGB;
    } else {
        cinfo.out_color_space = JCS_EXT_BGR;
    }
    jpeg_start_decompress(&cinfo);
    FillLayout(&cinfo, layout);
    const std::uint32_t bandRows = sink->Begin(*layout);
    if (bandRows == 0) {
        jpeg_destroy_decompress(&cinfo);
        return kNoMemoryForOutput;
    }
    const bool adobeInverted = cinfo.saw_Adobe_marker != 0;
    const std::size_t cmykRowBytes = std::size_t{cinfo.output_width} * 4;
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        const JDIMENSION count = std::min<JDIMENSION>(bandRows, cinfo.output_height - first);
        const TBandView band = sink->Band(first, count);
        JDIMENSION done = 0;
        while (done < count) {
            JSAMPROW rows[kRowsPerRead];
            const JDIMENSION wanted = std::min<JDIMENSION>(kRowsPerRead, count - done);
            for (JDIMENSION i = 0; i < wanted; ++i)
                rows[i] = cmyk ? settings->CmykScratch + cmykRowBytes * i : band.Row(done + i);
            const JDIMENSION read = jpeg_read_scanlines(&cinfo, rows, wanted);
            if (cmyk)
                for (JDIMENSION i = 0; i < read; ++i)
                    CmykToBgr(rows[i], band.Row(done + i), cinfo.output_width, adobeInverted);
            done += read;
        }
        sink->Commit(count);
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

TJpegHeader ReadHeader(const TJpegInput& input) {
    TJpegHeader header;
    const int code = ReadHeaderC(&input, &header);
    if (code != 0)
        RaiseJpegError(code);
    return header;
}

void Decode(const TJpegInput& input, const TJpegDecodeOptions& options, TRasterSink& sink) {
    const TJpegHeader header = ReadHeader(input);
    CheckImageSize(header.Width, header.Height);
    std::vector<std::uint8_t> cmykScratch;
    try {
        cmykScratch.resize(std::size_t(header.Width) * 4 * kRowsPerRead);
    } catch (const std::bad_alloc&) {
        RaiseJpegError(kNoMemoryForOutput);
    }
    // The decoder's own buffers (a progressive file keeps all its coefficients) stay within a
    // bound tied to the image limit, so a small file cannot claim gigabytes.
    const std::int64_t maxMemory = std::min<std::int64_t>(MaxImagePixels() * 8, LONG_MAX);
    const TDecodeSettings settings{options.Quantize, options.ScaleDenominator, static_cast<long>(maxMemory),
                                   cmykScratch.data()};
    TRasterLayout layout;
    const int code = DecodeC(&input, &settings, &sink, &layout);
    if (code != 0)
        RaiseJpegError(code);
}

} // namespace

TJpegHeader ReadJpegHeader(const std::uint8_t* data, std::size_t size) {
    return ReadHeader(TJpegInput{data, size, nullptr});
}

void DecodeJpeg(const std::uint8_t* data, std::size_t size, const TJpegDecodeOptions& options,
                TRasterSink& sink) {
    Decode(TJpegInput{data, size, nullptr}, options, sink);
}

void DecodeJpegFile(const std::string& fileName, const TJpegDecodeOptions& options, TRasterSink& sink) {
    const TFileStream stream(fileName);
    std::vector<JOCTET> buffer(kFileBlockBytes);
    TFileSource source{};
    source.Handle = fileno(stream.Handle());
    source.Buffer = buffer.data();
    try {
        Decode(TJpegInput{nullptr, 0, &source}, options, sink);
    } catch (const EJPEG&) {
        // libjpeg only saw a read that failed; the file's own error says what happened.
        if (source.ReadError != 0)
            throw EFOpenError(FormatText(ResString("Cannot open file \"%s\". %s"),
                                         {fileName, std::strerror(source.ReadError)}));
        throw;
    }
}

} // namespace tintwell
