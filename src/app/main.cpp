#include "AppIcon.h"
#include "Fonts.h"
#include "SystemServices.h"
#include "frmMain.h"
#include "frmSplash.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setWindowIcon(appIcon());
    installFontSubstitutes();

    SystemServices system;
    const Services services = system.services();

    auto* splash = new frmSplash([&services]() -> QWidget* { return new frmMain(services); });
    splash->show();
    return QApplication::exec();
}
