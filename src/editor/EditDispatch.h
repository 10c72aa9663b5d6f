#pragma once

#include "Services.h"

#include <QString>

namespace EditDispatch {

// The editor setting that picks the internal editor, compared exactly.
inline const QString InternalEditor = QStringLiteral("System");

// Opens `path` in the internal editor, or starts the external one as `editorPath`, a
// blank and the path, neither quoted.
void open(const Services& services, const QString& editorPath, const QString& path);

} // namespace EditDispatch
