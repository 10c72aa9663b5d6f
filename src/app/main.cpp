#include "AppIcon.h"
#include "Fonts.h"
#include "SystemServices.h"
#include "WineWarmer.h"
#include "frmMain.h"
#include "frmSplash.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setWindowIcon(appIcon());
    installFontSubstitutes();
    // The platform's own dialogs (print, file) speak the program's language.
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);

    // A script named on the command line (as the desktop's "open with" passes it): start in
    // its folder with it chosen.
    QString script;
    if (argc > 1) {
        const QFileInfo fi(QString::fromLocal8Bit(argv[1]));
        if (fi.isFile()) {
            QDir::setCurrent(fi.absolutePath());
            script = fi.fileName();
        }
    }

    SystemServices system;
    const Services services = system.services();
    // Wine starts now, while the user picks a script, not when the script is run.
    WineWarmer wine(PosixLauncher::defaultHostFolder());
    wine.start();

    auto* splash = new frmSplash([&services, script]() -> QWidget* {
        auto* main = new frmMain(services);
        if (!script.isEmpty())
            main->selectScript(script);
        return main;
    });
    splash->show();
    return QApplication::exec();
}
