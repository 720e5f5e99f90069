#pragma once

#include <QImage>
#include <memory>
#include <string>
#include <string_view>

class QPainter;
class QRectF;

namespace tintwell {

class TBitmap;

// A picture in its file's own format. Each class loads its files completely in LoadFromFile or
// raises; drawing and copying never load. A class that decodes lazily does so in Prepare (and in
// AssignTo), never in Draw, so that paint code cannot raise.
class TGraphic {
public:
    virtual ~TGraphic() = default;

    // "TBitmap", "TIcon", "TMetafile", "TJPEGImage", "TTiffGraphic": the names messages use.
    virtual std::string_view ClassName() const noexcept = 0;

    virtual void LoadFromFile(const std::string& fileName) = 0;

    virtual int Width() const noexcept = 0;
    virtual int Height() const noexcept = 0;

    // Makes the picture ready to draw (decodes lazily decoded pixels); may raise the class's error.
    virtual void Prepare() {}

    // Paints the picture stretched into rect. Draws nothing if the picture is not prepared.
    virtual void Draw(QPainter& painter, const QRectF& rect) const = 0;

    // The pixels of a raster picture once prepared, shared rather than copied, so that a caller
    // can scale them with a filter of its choice; null for pictures that are only drawn
    // (metafiles) and for rasters not yet decoded.
    virtual QImage Pixels() const { return {}; }

    // An independent picture with the same content; pixels may be shared copy-on-write.
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    // Copies the picture into bitmap. The default raises EConvertError
    // "Cannot assign a <ClassName> to a TBitmap": icons and metafiles are only shown.
    virtual void AssignTo(TBitmap& bitmap);

protected:
    TGraphic() = default;
    TGraphic(const TGraphic&) = default;
    TGraphic& operator=(const TGraphic&) = default;
};

// The message of a copy that a class does not support.
std::string CannotAssignMessage(std::string_view sourceClass, std::string_view targetClass);

} // namespace tintwell
