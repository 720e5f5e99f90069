#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_filter.h"
#include "imaging/graphic.h"

namespace tintwell {

// A class of picture as the registry knows it: its name and how to make an empty one.
struct TGraphicClass {
    std::string_view Name;
    std::unique_ptr<TGraphic> (*Create)();
};

struct TGraphicFormat {
    std::string Extension; // lower case, no dot
    std::string Description;
    const TGraphicClass* Class;
};

// The graphic formats keyed by extension, in registration order.
class TGraphicFormatRegistry {
public:
    // Starts with the four built-in formats of the codec's table (kFileFormats): wmf, emf, ico, bmp.
    TGraphicFormatRegistry();

    // Appends an entry; the extension is lower-cased.
    void RegisterGraphicFormat(std::string_view extension, std::string description,
                               const TGraphicClass& graphicClass);

    // The latest registration of the extension wins; case is ignored. Null when none.
    const TGraphicClass* FindGraphicClass(std::string_view extension) const noexcept;

    // From the last entry to the first, each as "<description> (*.<ext>)", preceded by an "All"
    // row when there is more than one entry.
    std::vector<TFileFilterRow> BuildGraphicFilter() const;

    const std::vector<TGraphicFormat>& Formats() const noexcept { return FFormats; }

private:
    std::vector<TGraphicFormat> FFormats;
};

// The application's registry: the four built-ins, then the table's TIFF ("tif", "tiff") and JPEG
// ("jpeg", "jpg") entries, registered on first use in that order.
const TGraphicFormatRegistry& GraphicFormats();

// The classes, for registration and for tests.
extern const TGraphicClass kBitmapClass;
extern const TGraphicClass kIconClass;
extern const TGraphicClass kMetafileClass;
extern const TGraphicClass kJPEGImageClass;
extern const TGraphicClass kTiffGraphicClass;

} // namespace tintwell
