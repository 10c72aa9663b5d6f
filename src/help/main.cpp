// quillet-help [-mapid N] FILE.chm: the manual at the topic with context number N.
#include "AppIcon.h"
#include "Fonts.h"
#include "HelpViewer.h"
#include "NativeName.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillet-help"));
    QApplication::setWindowIcon(appIcon());
    installInterfaceFonts();

    QString file;
    quint32 topic = 0;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.compare("-mapid", Qt::CaseInsensitive) == 0 && i + 1 < argc)
            topic = QByteArray(argv[++i]).toUInt();
        else
            file = NativeName::fromBytes(arg); // by its real name
    }
    HelpViewer viewer;
    viewer.openFile(file, topic);
    viewer.show();
    return QApplication::exec();
}
