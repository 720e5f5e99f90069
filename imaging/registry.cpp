#include "imaging/registry.h"

#include "core/resource_text.h"

namespace tintwell {
namespace {

char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string ToLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = ToLowerAscii(c);
    return lower;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i]))
            return false;
    return true;
}

} // namespace

TGraphicFormatRegistry::TGraphicFormatRegistry() {
    RegisterGraphicFormat("wmf", ResString("Metafiles"), kMetafileClass);
    RegisterGraphicFormat("emf", ResString("Enhanced Metafiles"), kMetafileClass);
    RegisterGraphicFormat("ico", ResString("Icons"), kIconClass);
    RegisterGraphicFormat("bmp", ResString("Bitmaps"), kBitmapClass);
}

void TGraphicFormatRegistry::RegisterGraphicFormat(std::string_view extension, std::string description,
                                                   const TGraphicClass& graphicClass) {
    FFormats.push_back(TGraphicFormat{ToLower(extension), std::move(description), &graphicClass});
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
        // "TIFF file" is not a resource text: it stays as it is in every language.
        formats.RegisterGraphicFormat("TIF", "TIFF file", kTiffGraphicClass);
        formats.RegisterGraphicFormat("TIFF", "TIFF file", kTiffGraphicClass);
        formats.RegisterGraphicFormat("jpeg", ResString("JPEG Image File"), kJPEGImageClass);
        formats.RegisterGraphicFormat("jpg", ResString("JPEG Image File"), kJPEGImageClass);
        return formats;
    }();
    return registry;
}

} // namespace tintwell
