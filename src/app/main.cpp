#include "AppIcon.h"
#include "Fonts.h"
#include "InternalEditorWindow.h"
#include "SystemServices.h"
#include "WineWarmer.h"
#include "Workbench.h"
#include "frmMain.h"
#include "frmSplash.h"

#include "NativeName.h"
#include "PosixFile.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <unistd.h>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillet"));
    QApplication::setWindowIcon(appIcon());
    installInterfaceFonts();
    // The platform's own dialogs (print, file) speak the program's language.
    QTranslator qtbase;
    if (qtbase.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);

    // A script named on the command line (as the desktop's "open with" passes it): start in
    // its folder with it chosen.
    QString script;
    if (argc > 1) {
        // By its real name: a file whose name is not UTF-8 is still that file.
        const QByteArray given(argv[1]);
        if (PosixFile::kind(NativeName::fromBytes(given)) == PosixFile::Kind::Regular) {
            const qsizetype slash = given.lastIndexOf('/');
            const QByteArray folder = slash < 0    ? QByteArray(".")
                                      : slash == 0 ? QByteArray("/")
                                                   : given.left(slash);
            if (::chdir(folder.constData()) == 0)
                script = NativeName::fromBytes(given.mid(slash + 1));
        }
    }

    SystemServices system;
    const Services services = system.services();
    InternalEditorWindow editor(services, system.printing);
    Workbench workbench(services, editor);
    // Wine starts now, while the user picks a script, not when the script is run.
    WineWarmer wine(PosixLauncher::defaultHostFolder());
    wine.start();

    auto* splash = new frmSplash([&workbench, script]() -> QWidget* {
        auto* main = new frmMain(workbench);
        if (!script.isEmpty())
            main->selectScript(script);
        return main;
    });
    splash->show();
    return QApplication::exec();
}
