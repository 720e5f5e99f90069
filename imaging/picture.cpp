#include "imaging/picture.h"

#include "core/resource_text.h"
#include "imaging/errors.h"

namespace tintwell {

std::string ExtractFileExt(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return fileName.substr(dot + 1);
}

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
