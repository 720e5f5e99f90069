#pragma once

#include <memory>
#include <string>

#include "imaging/graphic.h"
#include "imaging/registry.h"

namespace tintwell {

// Holds at most one graphic, owns it, and replaces it only after a new one has loaded completely.
class TPicture {
public:
    TPicture() = default;
    explicit TPicture(const TGraphicFormatRegistry& registry) : FRegistry(&registry) {}

    // Chooses the class by the extension after the last dot, case-insensitively. Raises
    // EInvalidGraphic "Unknown picture file extension (.<ext>)" with the extension as written, or
    // whatever the class raises; either way the previous graphic stays.
    void LoadFromFile(const std::string& fileName);

    TGraphic* Graphic() const noexcept { return FGraphic.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic) noexcept { FGraphic = std::move(graphic); }

    // The other picture's graphic, cloned.
    void Assign(const TPicture& other);

    int Width() const noexcept { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const noexcept { return FGraphic ? FGraphic->Height() : 0; }

private:
    const TGraphicFormatRegistry* FRegistry = nullptr; // null: the application's registry
    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace tintwell
