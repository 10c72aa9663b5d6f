#pragma once

#include "RegFile.h"

#include <QString>

#include <optional>

// The predefined roots, as Windows numbers their handles.
namespace RegRoot {
constexpr quint32 ClassesRoot = 0x80000000;
constexpr quint32 CurrentUser = 0x80000001;
constexpr quint32 LocalMachine = 0x80000002;
} // namespace RegRoot

// The buffer the program's registry readers give a value, in bytes: a longer value cannot be
// read.
constexpr qsizetype RegValueBufferBytes = 1024;

// The registry, read only.
class Registry {
public:
    virtual ~Registry() = default;
    // The value `name` ("" for the default value) of `key` under `root`; nullopt when the
    // key or the value cannot be read.
    virtual std::optional<RegValue> query(quint32 root, const QString& key, const QString& name) const = 0;
};
