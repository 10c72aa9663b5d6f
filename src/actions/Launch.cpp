#include "Launch.h"

#include "Dialogs.h"
#include "Launcher.h"
#include "WorkbenchTexts.h"

bool launchOrReport(Launcher& launcher, Dialogs& dialogs, const QString& commandLine, int windowStyle,
                    qint64* pid)
{
    const LaunchResult r = launcher.Shell(commandLine, windowStyle);
    if (pid)
        *pid = r.pid;
    if (r)
        return true;
    dialogs.MsgBox(WorkbenchText::LaunchFailed + QStringLiteral("\r\n") + r.program + QStringLiteral("\r\n") +
                       r.reason,
                   MsgFlags::Critical, WorkbenchText::AppTitle);
    return false;
}
