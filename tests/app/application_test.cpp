// The application object: the default font every window inherits, and the backstop for errors
// that escape an event handler.
#include <QFontInfo>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include "app/application.h"
#include "core/exception.h"
#include "support/fake_platform_services.h"
#include "ui/common/design_font.h"
#include "ui/common/error_box.h"

namespace tintwell::test {

// The platform under this program's TApplication; main sets it.
TFakePlatformServices* gPlatform = nullptr;

namespace {

using TErrorBox = std::pair<std::string, std::string>;

// ---- the default font

TEST(Application, DesignFaceIsTheDefaultOfEveryWidget) {
    QWidget window; // sets no font of its own, as the open dialog and the error box do not
    EXPECT_EQ(window.font(), DesignFont());
    EXPECT_EQ(window.font().pixelSize(), 11);
    // The face fontconfig gives for it; fonts-liberation2 is among the program's packages.
    EXPECT_EQ(QFontInfo(window.font()).family(), "Liberation Sans");
    EXPECT_FALSE(QFontInfo(window.font()).fixedPitch());
}

// ---- the application's backstop

class Thrower : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            ++Delivered;
            throw Exception("handler failed");
        }
        return QObject::event(event);
    }
    int Delivered = 0;
};

TEST(ApplicationNotify, ShowsWhatEscapesAHandlerAndTheLoopGoesOn) {
    gPlatform->ErrorBoxes.clear();
    Thrower thrower;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&thrower, &event));
    EXPECT_EQ(gPlatform->ErrorBoxes, (std::vector<TErrorBox>{{"Tintwell", "handler failed."}}));

    // Posted through the running loop: the loop survives and reaches its later work.
    gPlatform->ErrorBoxes.clear();
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    bool reached = false;
    QTimer::singleShot(0, [&] {
        reached = true;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    EXPECT_TRUE(reached);
    EXPECT_EQ(gPlatform->ErrorBoxes.size(), 1U);
}

// A tick's error unwinds through Qt's timer dispatch up to notify; Qt is built with unwind tables
// here, and the picker's ticks rely on exactly this backstop.
TEST(ApplicationNotify, ATimerThatThrowsKeepsTicking) {
    gPlatform->ErrorBoxes.clear();
    QTimer ticking;
    ticking.setInterval(1);
    int ticks = 0;
    QObject::connect(&ticking, &QTimer::timeout, [&] {
        if (++ticks == 3)
            QCoreApplication::quit();
        throw Exception("tick failed");
    });
    ticking.start();
    QCoreApplication::exec();
    ticking.stop();
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(gPlatform->ErrorBoxes, (std::vector<TErrorBox>(3, {"Tintwell", "tick failed."})));
}

TEST(ApplicationNotify, ErrorsWhileABoxIsOpenOpenNoSecondBox) {
    gPlatform->ErrorBoxes.clear();
    Thrower thrower;
    // A modal box runs the loop: the same failing handler (a repaint, say) runs again under it.
    gPlatform->DuringErrorBox = [&] {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
    };
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    gPlatform->DuringErrorBox = nullptr;
    EXPECT_EQ(thrower.Delivered, 4) << "the three under the box reached the handler and failed";
    EXPECT_EQ(gPlatform->ErrorBoxes.size(), 1U);
    EXPECT_FALSE(ErrorBoxOpen());
}

} // namespace
} // namespace tintwell::test

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    tintwell::test::TFakePlatformServices platform;
    tintwell::test::gPlatform = &platform;
    tintwell::TApplication application(argc, argv, platform);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
