#pragma once

#include <QString>

// Where the program's own files are. The build tree has the installed layout (bin/,
// libexec/quillet/, share/quillet/), so that the program finds them from its own folder
// wherever it runs from.
namespace Installed {

// $XDG_CONFIG_HOME/Quillet (by default ~/.config/Quillet): the user's settings and registry.
QString userFolder();

// share/quillet beside the executable's folder: the shipped registry file and the manual.
QString dataFolder();

// libexec/quillet beside the executable's folder: the script hosts and their helpers.
QString libexecFolder();

} // namespace Installed
