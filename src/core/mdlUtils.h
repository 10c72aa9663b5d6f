#pragma once

#include <QString>

class Dialogs;
class Launcher;
class Registry;
struct RegValue;
class SettingsArea;

namespace mdlUtils {

inline const QString AppName = QStringLiteral("Quillet");
inline const QString OptionSection = QStringLiteral("Option");
inline const QString ReadFailure = QStringLiteral("Error");

// The four settings, under AppName and OptionSection.
namespace OptionKey {
inline const QString UserName = QStringLiteral("UserName");
inline const QString Editor = QStringLiteral("Editor");
inline const QString Browser = QStringLiteral("Browser");
inline const QString Encoder = QStringLiteral("Encoder");
} // namespace OptionKey

// The Editor setting where none is stored.
inline const QString DefaultEditor = QStringLiteral("notepad.exe");
// The Editor setting that picks the internal editor, compared exactly; any other value
// starts an external editor's command line.
inline const QString InternalEditor = QStringLiteral("System");

// The stored text, `def` only when the key was never stored, "Error" when it cannot be read.
QString GetOption(const SettingsArea& area, const QString& key, const QString& def);
bool SaveOption(SettingsArea& area, const QString& key, const QString& value);

// A registry value as text, read as the ANSI reader does: at most 1024 bytes, cut before the
// first NUL; strings (types 1 and 2, unexpanded) as they are, numbers as "&hFF"; anything
// else, and a key or value that cannot be read, as empty text. An error on the way is
// shown in a box titled "mdlUtils.GetKeyValue".
QString GetKeyValue(const Registry& registry, Dialogs& dialogs, quint32 root, const QString& key,
                    const QString& name);

// The open command registered for ".htm" documents, exactly as stored; empty when none is.
QString getBrowser(const Registry& registry, Dialogs& dialogs);

// Starts the browser on `address`: the registered command, a blank, the address. True when
// a program was started; when none was, an error box titled "mdlUtils.webOpen".
bool webOpen(const Registry& registry, Dialogs& dialogs, Launcher& launcher, const QString& address);

// A number value (type 4) as "&h" and its hexadecimal digits, upper case, without
// leading zeros.
QString numberText(const RegValue& value);

// The text and description of the error box of the helpers above.
QString errorText(int number);

} // namespace mdlUtils
