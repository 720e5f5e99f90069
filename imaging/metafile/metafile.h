#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "imaging/graphic.h"

namespace tintwell {

// A Windows metafile, placeable or plain WMF, or EMF: shown, never analysed. The records are read
// and checked once at load; copies share them.
class TMetafile : public TGraphic {
public:
    TMetafile();
    ~TMetafile() override;
    TMetafile(const TMetafile&);
    TMetafile& operator=(const TMetafile&);

    std::string_view ClassName() const noexcept override { return "TMetafile"; }

    // Reads and validates the whole file; raises EFOpenError when it cannot be read and
    // EInvalidGraphic "Metafile is not valid" when its header is not that of a placeable WMF, a plain
    // WMF or an EMF, or the file is over 1 GiB. The content decides the kind: EMF data in a .wmf file loads
    // as EMF. Records after the header are not held against the file: playback ends quietly at the first
    // malformed one. On failure the metafile keeps its previous content.
    void LoadFromFile(const std::string& fileName) override;
    // The same from bytes in memory.
    void LoadFromMemory(std::span<const std::uint8_t> bytes);

    // The picture's size in pixels at the display's resolution (DisplayInfo at load time): a
    // placeable WMF from its bounding box and units per inch, an EMF from its frame (hundredths of
    // a millimetre) or else its bounds (pixels), a plain WMF, which has no size of its own, from the
    // window its first SETWINDOWEXT sets or else from the extent of what it draws, one logical unit
    // taken as one pixel at 96 dpi. 0 x 0 before loading and for a file without any extent.
    int Width() const noexcept override;
    int Height() const noexcept override;

    // Plays the records with the picture's frame stretched onto rect, clipped to rect. Unknown
    // records are skipped (bitmaps, regions, clipping other than rectangles, EMF+). Never raises.
    void Draw(QPainter& painter, const QRectF& rect) const override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TMetafile>(*this); }

    // True for an EMF, false for a WMF or before loading.
    bool Enhanced() const noexcept;

private:
    struct TState;
    std::shared_ptr<const TState> FState;
};

} // namespace tintwell
