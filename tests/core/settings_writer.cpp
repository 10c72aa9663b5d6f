// Writes COUNT keys PREFIX0..PREFIXn into the settings under FOLDER, one call each, as a
// second copy of the program would.
#include "FileSettingsArea.h"
#include "mdlUtils.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return 2;
    FileSettingsArea area(args[1]);
    const int count = args[3].toInt();
    for (int i = 0; i < count; ++i) {
        if (!mdlUtils::SaveOption(area, args[2] + QString::number(i), QStringLiteral("value %1").arg(i)))
            return 1;
    }
    return 0;
}
