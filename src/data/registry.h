#pragma once

#include <QString>

namespace kv {

// The connection settings under "\Software\DBIsam\<Key>", value "Brenquistal".
// On Windows this is the current user's registry; elsewhere the native
// settings of the organisation "DBIsam" (section = key name).
class Registry
{
public:
    static constexpr const char *RootKey = "\\Software\\DBIsam\\";
    static constexpr const char *AppValue = "Brenquistal";
    static constexpr const char *AliasKey = "Alias";

    // A missing key or value reads as empty text; a value of another type
    // than text raises an error. Reading never creates a key.
    static QString readValue(const QString &keyName, const QString &valueName);
    // Creates the key when needed and writes the text value; false when the
    // key cannot be opened (nothing written).
    static bool writeValue(const QString &keyName, const QString &valueName, const QString &value);
};

// The accessors the data module and the settings dialog use.
QString GetRegString(const QString &keyName, const QString &valueName);
// Returns false (after nothing was written) when the key cannot be opened;
// the caller shows "Error in Opening Brenquistal Key".
bool SetRegString(const QString &keyName, const QString &value);
QString DBIsamAlias(const QString &aliasName);

inline constexpr const char *ErrorOpeningKeyMessage = "Error in Opening Brenquistal Key";

} // namespace kv
