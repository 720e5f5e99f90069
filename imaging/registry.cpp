#include "imaging/registry.h"

#include "codec/file_formats.h"
#include "core/file_name.h"
#include "core/resource_text.h"

namespace tintwell {
namespace {

const TGraphicClass& ClassOf(TDecoderKind decoder) noexcept {
    switch (decoder) {
    case TDecoderKind::Metafile: return kMetafileClass;
    case TDecoderKind::Icon: return kIconClass;
    case TDecoderKind::Bitmap: return kBitmapClass;
    case TDecoderKind::Tiff: return kTiffGraphicClass;
    case TDecoderKind::Jpeg: return kJPEGImageClass;
    }
    return kBitmapClass;
}

// Every registry starts with the formats read by our own code or Qt's; TIFF and JPEG, read through
// their libraries, join the application's registry when it is first used.
bool BuiltIn(TDecoderKind decoder) noexcept {
    return decoder != TDecoderKind::Tiff && decoder != TDecoderKind::Jpeg;
}

void RegisterFileFormats(TGraphicFormatRegistry& registry, bool builtIn) {
    for (const TFileFormat& format : kFileFormats)
        if (BuiltIn(format.Decoder) == builtIn)
            registry.RegisterGraphicFormat(format.Extension,
                                           format.Translated ? ResString(format.Description)
                                                             : std::string(format.Description),
                                           ClassOf(format.Decoder));
}

} // namespace

TGraphicFormatRegistry::TGraphicFormatRegistry() { RegisterFileFormats(*this, true); }

void TGraphicFormatRegistry::RegisterGraphicFormat(std::string_view extension, std::string description,
                                                   const TGraphicClass& graphicClass) {
    FFormats.push_back(TGraphicFormat{LowerCaseAscii(extension), std::move(description), &graphicClass});
}

const TGraphicClass* TGraphicFormatRegistry::FindGraphicClass(std::string_view extension) const noexcept {
    for (auto it = FFormats.rbegin(); it != FFormats.rend(); ++it)
        if (SameTextAscii(it->Extension, extension))
            return it->Class;
    return nullptr;
}

std::vector<TFileFilterRow> TGraphicFormatRegistry::BuildGraphicFilter() const {
    std::vector<TFileFilterRow> rows;
    std::string allMasks;
    for (auto it = FFormats.rbegin(); it != FFormats.rend(); ++it) {
        const std::string mask = "*." + it->Extension;
        rows.push_back(TFileFilterRow{it->Description + " (" + mask + ")", mask});
        if (!allMasks.empty())
            allMasks += ';';
        allMasks += mask;
    }
    if (rows.size() > 1)
        rows.insert(rows.begin(), TFileFilterRow{ResString("All") + " (" + allMasks + ")", allMasks});
    return rows;
}

const TGraphicFormatRegistry& GraphicFormats() {
    static const TGraphicFormatRegistry registry = [] {
        TGraphicFormatRegistry formats;
        RegisterFileFormats(formats, false);
        return formats;
    }();
    return registry;
}

} // namespace tintwell
