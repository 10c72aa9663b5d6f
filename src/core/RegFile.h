#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringView>

#include <optional>

// Registry value types, as Windows numbers them.
namespace RegType {
constexpr quint32 String = 1;       // REG_SZ
constexpr quint32 ExpandString = 2; // REG_EXPAND_SZ
constexpr quint32 Binary = 3;       // REG_BINARY
constexpr quint32 Dword = 4;        // REG_DWORD
constexpr quint32 MultiString = 7;  // REG_MULTI_SZ
} // namespace RegType

// One value as Windows stores it: string types (1, 2, 7) in UTF-16 LE, with whatever NUL
// characters the file gave them (a quoted string gets its terminating NUL); a number as
// four bytes, little-endian; anything else as its bytes.
struct RegValue {
    quint32 type = 0;
    QByteArray data;
    bool operator==(const RegValue&) const = default;
};

// A Windows registry export file (.reg), as regedit writes it: "REGEDIT4" (code page 932)
// or "Windows Registry Editor Version 5.00" (UTF-16 LE with a byte-order mark, or UTF-8).
class RegFile {
public:
    // nullopt when the bytes are not a registry export (no header line). Lines that cannot
    // be understood are skipped; the rest of the file still counts.
    static std::optional<RegFile> parse(QByteArrayView bytes);

    // `key` as "HKEY_CLASSES_ROOT\.htm" (the root may be abbreviated: HKCR, HKLM, HKCU, HKU,
    // HKCC); keys and value names match without regard to case; the empty name is the
    // key's default value ("@").
    std::optional<RegValue> value(QStringView key, QStringView name) const;
    bool hasKey(QStringView key) const;

    // What RegQueryValueExA hands back for the value: string types converted from UTF-16 LE
    // to code page 932 (a character it lacks becomes "?", a NUL stays a NUL byte), other
    // types as stored.
    static QByteArray ansiData(const RegValue& value);

    // The canonical form of a key path: root spelled out in capitals, one backslash
    // between the parts, none at the end; empty when the root is unknown.
    static QString canonicalKey(QStringView key);

private:
    QHash<QString, QHash<QString, RegValue>> m_keys; // lower-case canonical key → lower-case name → value
};
