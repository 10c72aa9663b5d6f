#include "mdlUtils.h"

#include "SettingsArea.h"

namespace mdlUtils {

QString GetOption(const SettingsArea& area, const QString& key, const QString& def)
{
    return area.read(AppName, OptionSection, key, def).value_or(ReadFailure);
}

bool SaveOption(SettingsArea& area, const QString& key, const QString& value)
{
    return area.write(AppName, OptionSection, key, value);
}

} // namespace mdlUtils
