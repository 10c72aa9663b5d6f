#include "EditDispatch.h"

#include "Launch.h"
#include "Launcher.h"
#include "frmEdit.h"

namespace EditDispatch {

void open(const Services& services, const QString& editorPath, const QString& path)
{
    if (editorPath == InternalEditor) {
        frmEdit::openFile(services, path);
        return;
    }
    launchOrReport(services.launcher, services.dialogs, editorPath + u' ' + path, WindowStyle::NormalFocus);
}

} // namespace EditDispatch
