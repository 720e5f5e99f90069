#pragma once

#include <QApplication>

namespace tintwell {

class TPlatformServices;

// The application object. It makes the design face the default font of every window. Its notify
// override is the backstop of the rule that no exception crosses Qt code: whatever escapes an
// event handler (a timer tick included) goes to the standard error box and the event loop goes on.
// Handlers catch at their own boundary first.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv, TPlatformServices& platform);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    TPlatformServices& FPlatform;
};

} // namespace tintwell
