#include "imaging/picture.h"

#include "codec/errors.h"
#include "core/file_name.h"
#include "core/resource_text.h"

namespace tintwell {

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::string extension = ExtractFileExt(fileName);
    const TGraphicFormatRegistry& registry = FRegistry ? *FRegistry : GraphicFormats();
    const TGraphicClass* graphicClass = registry.FindGraphicClass(extension);
    if (graphicClass == nullptr)
        throw EInvalidGraphic(FormatText(ResString("Unknown picture file extension (.%s)"), {extension}));
    std::unique_ptr<TGraphic> graphic = graphicClass->Create();
    graphic->LoadFromFile(fileName);
    FGraphic = std::move(graphic);
}

void TPicture::Assign(const TPicture& other) {
    FGraphic = other.FGraphic ? other.FGraphic->Clone() : nullptr;
}

} // namespace tintwell
