#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>
#include <optional>

namespace tintwell {

// The X server's screen as it is, in device pixels: the root window, which spans every monitor,
// read with the shared-memory extension (a segment kept between reads, grown when a larger square
// is asked for) or, where that is missing, with plain GetImage requests; and the pointer in root
// coordinates. Qt's own cursor position and grabWindow work in logical pixels, which on a screen
// with a device pixel ratio of 2 names the pixel next to the pointer and returns a square twice
// the size.
class TX11Screen {
public:
    // The reader over the application's own X connection; null when the application does not run
    // on X11 or the screen's pixels are not 24-bit colour in 32-bit units.
    static std::unique_ptr<TX11Screen> ForApplication();
    ~TX11Screen();
    TX11Screen(const TX11Screen&) = delete;
    TX11Screen& operator=(const TX11Screen&) = delete;

    // The pointer on the root window, or nothing when the server does not answer.
    std::optional<QPoint> Pointer();
    // The root window's size, kept from one ask to the next until Qt reports a screen added,
    // removed or changed in geometry (or a read is refused); empty when the server does not answer.
    QSize RootSize();
    // Copies the area into `into` (made Format_RGB32 of the area's size; its buffer is reused when
    // it already is, and not shared). What lies outside the root window is black. False when the
    // server refuses the request.
    bool Read(const QRect& area, QImage& into);
    // Whether reads go through shared memory.
    bool UsesSharedMemory() const noexcept;

private:
    struct TImpl;
    explicit TX11Screen(std::unique_ptr<TImpl> impl);
    std::unique_ptr<TImpl> F;
};

} // namespace tintwell
