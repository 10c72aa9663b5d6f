#include "RegFile.h"

std::optional<RegFile> RegFile::parse(QByteArrayView)
{
    return std::nullopt;
}

std::optional<RegValue> RegFile::value(QStringView, QStringView) const
{
    return std::nullopt;
}

bool RegFile::hasKey(QStringView) const
{
    return false;
}

QByteArray RegFile::ansiData(const RegValue& value)
{
    return value.data;
}

QString RegFile::canonicalKey(QStringView)
{
    return {};
}
