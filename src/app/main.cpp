#include "AppIcon.h"
#include "FileSettingsArea.h"
#include "Fonts.h"
#include "PosixLauncher.h"
#include "QtDialogs.h"
#include "Services.h"
#include "SystemClock.h"
#include "SystemDrives.h"
#include "frmMain.h"
#include "frmSplash.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setWindowIcon(appIcon());
    installFontSubstitutes();

    QtDialogs dialogs;
    PosixLauncher launcher;
    FileSettingsArea settings(FileSettingsArea::defaultFolder());
    SystemClock clock;
    SystemDrives drives;
    const Services services{dialogs, launcher, settings, clock, drives};

    auto* splash = new frmSplash([&services]() -> QWidget* { return new frmMain(services); });
    splash->show();
    return QApplication::exec();
}
