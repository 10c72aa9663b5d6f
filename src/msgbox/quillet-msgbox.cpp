// Shows one message box for a PerlScript run by the GUI host's stand-in, which has no
// window of its own:   quillet-msgbox --info|--error title text

#include <QApplication>
#include <QMessageBox>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 4)
        return 2;
    QMessageBox box(args.at(1) == QStringLiteral("--error") ? QMessageBox::Critical : QMessageBox::NoIcon,
                    args.at(2), args.at(3), QMessageBox::Ok);
    box.setAccessibleName(args.at(2));
    box.exec();
    return 0;
}
