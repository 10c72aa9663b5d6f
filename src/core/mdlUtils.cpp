#include "mdlUtils.h"

#include "Dialogs.h"
#include "Launcher.h"
#include "Registry.h"
#include "SettingsArea.h"
#include "TextCodec.h"

#include <QtEndian>

namespace mdlUtils {

QString GetOption(const SettingsArea& area, const QString& key, const QString& def)
{
    return area.read(AppName, OptionSection, key, def).value_or(ReadFailure);
}

bool SaveOption(SettingsArea& area, const QString& key, const QString& value)
{
    return area.write(AppName, OptionSection, key, value);
}

namespace {

// Error numbers and descriptions as the error box shows them.
constexpr int InvalidCall = 5;
constexpr int FileNotFound = 53;
constexpr int PermissionDenied = 70;
constexpr int BadPath = 75;

void showError(Dialogs& dialogs, int number, const QString& procedure)
{
    dialogs.MsgBox(errorText(number), MsgFlags::Critical, QStringLiteral("mdlUtils.") + procedure);
}

} // namespace

QString errorText(int number)
{
    QString description;
    switch (number) {
    case InvalidCall:
        description = QStringLiteral("プロシージャの呼び出し、または引数が不正です。");
        break;
    case FileNotFound:
        description = QStringLiteral("ファイルが見つかりません。");
        break;
    case PermissionDenied:
        description = QStringLiteral("書き込みできません。");
        break;
    default:
        description = QStringLiteral("パス名が無効です。");
        break;
    }
    return QStringLiteral("エラー ") + QString::number(number) + QStringLiteral(": ") + description;
}

QString numberText(const RegValue& value)
{
    QByteArray four = value.data.left(4);
    four.resize(4, '\0');
    return QStringLiteral("&h") + QString::number(qFromLittleEndian<quint32>(four.constData()), 16).toUpper();
}

QString GetKeyValue(const Registry& registry, Dialogs& dialogs, quint32 root, const QString& key,
                    const QString& name)
{
    const std::optional<RegValue> value = registry.query(root, key, name);
    if (!value)
        return {};
    const QByteArray data = RegFile::ansiData(*value);
    // The query fails when the data do not fit the buffer.
    if (data.size() > RegValueBufferBytes)
        return {};
    const qsizetype nul = data.indexOf('\0');
    // A full buffer with no NUL leaves nothing to cut at: the text would have a negative
    // length.
    if (data.size() == RegValueBufferBytes && nul < 0) {
        showError(dialogs, InvalidCall, QStringLiteral("GetKeyValue"));
        return {};
    }
    const QString text = TextCodec::decode(nul < 0 ? data : data.left(nul), TextEncoding::Cp932);
    switch (value->type) {
    case RegType::String:
    case RegType::ExpandString:
        return text;
    case RegType::Dword:
        return numberText(*value);
    default:
        return {};
    }
}

QString getBrowser(const Registry& registry, Dialogs& dialogs)
{
    const QString documentClass =
        GetKeyValue(registry, dialogs, RegRoot::ClassesRoot, QStringLiteral(".htm"), {});
    return GetKeyValue(registry, dialogs, RegRoot::ClassesRoot,
                       documentClass + QStringLiteral("\\shell\\open\\command"), {});
}

bool webOpen(const Registry& registry, Dialogs& dialogs, Launcher& launcher, const QString& address)
{
    const LaunchResult r =
        launcher.Shell(getBrowser(registry, dialogs) + u' ' + address, WindowStyle::NormalFocus);
    if (r)
        return true;
    int number = BadPath;
    switch (r.failure) {
    case LaunchFailure::NotFound:
        number = FileNotFound;
        break;
    case LaunchFailure::EmptyCommand:
        number = InvalidCall;
        break;
    case LaunchFailure::NotPermitted:
        number = PermissionDenied;
        break;
    default:
        break;
    }
    showError(dialogs, number, QStringLiteral("webOpen"));
    return false;
}

} // namespace mdlUtils
