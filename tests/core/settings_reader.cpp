// Prints what GetOption gives for KEY with DEFAULT under FOLDER, so that a test can read the
// settings as another user would.
#include "FileSettingsArea.h"
#include "mdlUtils.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return 2;
    const FileSettingsArea area(args[1]);
    const QByteArray value = mdlUtils::GetOption(area, args[2], args[3]).toUtf8();
    std::fwrite(value.constData(), 1, size_t(value.size()), stdout);
    return 0;
}
