// A small window that keeps its placement, run as its own process by the placement end-to-end test:
// the settings store as start-up opens it, one window derived from the placement-keeping base,
// the event loop, and the window's last step when the loop ends. The store is the user's file,
// which the test points at a temporary folder through XDG_CONFIG_HOME.
#include <QApplication>

#include "platform/qt_platform_services.h"
#include "settings/settings_store.h"
#include "settings/zorvik_form.h"

namespace {

class TfrmPlacementProbe : public tintwell::TzorvikForm {
public:
    explicit TfrmPlacementProbe(tintwell::TPlatformServices& platform) : TzorvikForm(platform, nullptr) {
        setObjectName("frmPlacementProbe");
        setWindowTitle("Placement probe");
        move(100, 80);
        resize(300, 200);
    }
};

} // namespace

int main(int argc, char** argv) {
    using namespace tintwell;
    TQtPlatformServices platform(DefaultUserStorePath());
    QApplication application(argc, argv);
    const TSettingsModule settings(platform);
    const TFormPtr<TfrmPlacementProbe> probe = CreateForm<TfrmPlacementProbe>(platform);
    probe->show();
    return QApplication::exec();
}
