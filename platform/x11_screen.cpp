#include "platform/x11_screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

namespace tintwell {
namespace {

// Frees what xcb hands out with malloc.
struct TFree {
    void operator()(void* p) const noexcept { std::free(p); }
};
template <class T> using TReply = std::unique_ptr<T, TFree>;

// One shared-memory segment attached to the server, detached and freed with the object.
class TShmSegment {
public:
    TShmSegment(xcb_connection_t* connection, std::size_t size) : FConnection(connection) {
        FId = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
        if (FId < 0)
            return;
        void* data = shmat(FId, nullptr, 0);
        if (data == reinterpret_cast<void*>(-1)) {
            shmctl(FId, IPC_RMID, nullptr);
            FId = -1;
            return;
        }
        FData = static_cast<std::uint8_t*>(data);
        FSegment = xcb_generate_id(connection);
        xcb_generic_error_t* error = xcb_request_check(
            connection, xcb_shm_attach_checked(connection, FSegment, static_cast<std::uint32_t>(FId), 0));
        // Marked for removal at once: the kernel frees it when both sides have let go, even if
        // this process dies.
        shmctl(FId, IPC_RMID, nullptr);
        if (error != nullptr) {
            std::free(error);
            shmdt(FData);
            FData = nullptr;
            return;
        }
        FSize = size;
    }
    ~TShmSegment() {
        if (FSize != 0)
            xcb_shm_detach(FConnection, FSegment);
        if (FData != nullptr)
            shmdt(FData);
    }
    TShmSegment(const TShmSegment&) = delete;
    TShmSegment& operator=(const TShmSegment&) = delete;

    bool Attached() const noexcept { return FSize != 0; }
    std::size_t Size() const noexcept { return FSize; }
    xcb_shm_seg_t Segment() const noexcept { return FSegment; }
    const std::uint8_t* Data() const noexcept { return FData; }

private:
    xcb_connection_t* FConnection;
    int FId = -1;
    std::uint8_t* FData = nullptr;
    std::size_t FSize = 0;
    xcb_shm_seg_t FSegment = 0;
};

// Copies rows of 32-bit pixels, setting the byte X leaves undefined to opaque, as Format_RGB32
// wants it.
void CopyRows(const std::uint8_t* source, std::size_t sourceStride, QImage& into, QPoint at, QSize size) {
    for (int row = 0; row < size.height(); ++row) {
        const auto* from =
            reinterpret_cast<const std::uint32_t*>(source + static_cast<std::size_t>(row) * sourceStride);
        auto* to = reinterpret_cast<std::uint32_t*>(into.scanLine(at.y() + row)) + at.x();
        for (int column = 0; column < size.width(); ++column)
            to[column] = from[column] | 0xff000000u;
    }
}

} // namespace

struct TX11Screen::TImpl {
    xcb_connection_t* Connection = nullptr;
    xcb_window_t Root = 0;
    bool HasShm = false;
    std::unique_ptr<TShmSegment> Segment;
    // The root window only changes size with the screens Qt reports, so it is asked for again
    // after such a report rather than once a read.
    std::optional<QSize> RootSize;
    // Owns the connections to Qt's screen signals, which end with it.
    QObject ScreenWatch;

    void WatchScreen(QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, &ScreenWatch, [this] { RootSize.reset(); });
    }
    void WatchScreens() {
        QObject::connect(qGuiApp, &QGuiApplication::screenAdded, &ScreenWatch, [this](QScreen* screen) {
            RootSize.reset();
            WatchScreen(screen);
        });
        QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, &ScreenWatch,
                         [this] { RootSize.reset(); });
        for (QScreen* screen : QGuiApplication::screens())
            WatchScreen(screen);
    }
};

std::unique_ptr<TX11Screen> TX11Screen::ForApplication() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr)
        return nullptr;
    auto impl = std::make_unique<TImpl>();
    impl->Connection = x11->connection();
    const xcb_setup_t* setup = xcb_get_setup(impl->Connection);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    if (screen == nullptr)
        return nullptr;
    impl->Root = screen->root;
    // The copy below reads 32-bit units in the client's byte order; other layouts (16-bit colour,
    // a big-endian server) go through Qt's grab instead.
    bool truecolour32 = false;
    for (auto format = xcb_setup_pixmap_formats_iterator(setup); format.rem != 0; xcb_format_next(&format))
        if (format.data->depth == screen->root_depth && format.data->bits_per_pixel == 32)
            truecolour32 = true;
    if (screen->root_depth != 24 || !truecolour32 || setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return nullptr;
    TReply<xcb_shm_query_version_reply_t> shm(
        xcb_shm_query_version_reply(impl->Connection, xcb_shm_query_version(impl->Connection), nullptr));
    impl->HasShm = shm != nullptr;
    impl->WatchScreens();
    return std::unique_ptr<TX11Screen>(new TX11Screen(std::move(impl)));
}

TX11Screen::TX11Screen(std::unique_ptr<TImpl> impl) : F(std::move(impl)) {}

TX11Screen::~TX11Screen() = default;

bool TX11Screen::UsesSharedMemory() const noexcept { return F->HasShm; }

std::optional<QPoint> TX11Screen::Pointer() {
    TReply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(F->Connection, xcb_query_pointer(F->Connection, F->Root), nullptr));
    if (reply == nullptr)
        return std::nullopt;
    return QPoint(reply->root_x, reply->root_y);
}

QSize TX11Screen::RootSize() {
    if (!F->RootSize) {
        TReply<xcb_get_geometry_reply_t> reply(
            xcb_get_geometry_reply(F->Connection, xcb_get_geometry(F->Connection, F->Root), nullptr));
        // A server that does not answer is asked again next time.
        if (reply == nullptr)
            return {};
        F->RootSize = QSize(reply->width, reply->height);
    }
    return *F->RootSize;
}

bool TX11Screen::Read(const QRect& area, QImage& into) {
    if (area.isEmpty())
        return false;
    // The server refuses requests that reach past the root window: ask for the part inside it and
    // leave the rest black.
    const QRect inside = area.intersected(QRect(QPoint(0, 0), RootSize()));
    const std::size_t bytes = inside.isEmpty() ? 0
                                               : static_cast<std::size_t>(inside.width()) *
                                                     static_cast<std::size_t>(inside.height()) * 4;
    if (F->HasShm && bytes != 0 && (F->Segment == nullptr || F->Segment->Size() < bytes)) {
        F->Segment.reset();
        F->Segment = std::make_unique<TShmSegment>(F->Connection, bytes);
        if (!F->Segment->Attached()) {
            // A server on another machine cannot see our memory: plain requests from now on.
            F->Segment.reset();
            F->HasShm = false;
        }
    }

    // The pixels first, so that `into` stays as it was when the server refuses.
    const std::uint8_t* pixels = nullptr;
    TReply<xcb_shm_get_image_reply_t> shmReply;
    TReply<xcb_get_image_reply_t> plainReply;
    if (bytes != 0) {
        const auto x = static_cast<std::int16_t>(inside.x());
        const auto y = static_cast<std::int16_t>(inside.y());
        const auto w = static_cast<std::uint16_t>(inside.width());
        const auto h = static_cast<std::uint16_t>(inside.height());
        if (F->HasShm) {
            shmReply.reset(xcb_shm_get_image_reply(F->Connection,
                                                   xcb_shm_get_image(F->Connection, F->Root, x, y, w, h, ~0u,
                                                                     XCB_IMAGE_FORMAT_Z_PIXMAP,
                                                                     F->Segment->Segment(), 0),
                                                   nullptr));
            if (shmReply == nullptr) {
                F->RootSize.reset(); // perhaps the root shrank before Qt told us
                return false;
            }
            pixels = F->Segment->Data();
        } else {
            plainReply.reset(xcb_get_image_reply(
                F->Connection,
                xcb_get_image(F->Connection, XCB_IMAGE_FORMAT_Z_PIXMAP, F->Root, x, y, w, h, ~0u), nullptr));
            if (plainReply == nullptr ||
                static_cast<std::size_t>(xcb_get_image_data_length(plainReply.get())) < bytes) {
                F->RootSize.reset();
                return false;
            }
            pixels = xcb_get_image_data(plainReply.get());
        }
    }

    if (into.size() != area.size() || into.format() != QImage::Format_RGB32)
        into = QImage(area.size(), QImage::Format_RGB32);
    if (into.isNull())
        return false;
    if (inside != area)
        into.fill(Qt::black);
    if (pixels != nullptr)
        CopyRows(pixels, static_cast<std::size_t>(inside.width()) * 4, into,
                 inside.topLeft() - area.topLeft(), inside.size());
    return true;
}

} // namespace tintwell
