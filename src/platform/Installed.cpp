#include "Installed.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace Installed {

QString userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillet");
}

QString dataFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quillet");
}

QString libexecFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../libexec/quillet");
}

} // namespace Installed
