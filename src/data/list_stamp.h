#pragma once

// The user name as the plug-in writes it: into History's User and, followed
// by " (List)", into a delivery's Created_By, both 40 characters wide. The
// windows and the command line take both from here, so a long name is cut the
// same way everywhere and every stamp fits its column on both backends.

#include <QString>

namespace kv {

class ListStamp
{
public:
    static constexpr int kWidth = 40;       // Created_By and History's User
    static constexpr int kSuffixLength = 7; // " (List)"
    static constexpr int kMaxNameLength = kWidth - kSuffixLength;
    static const QString kSuffix; // " (List)"

    // The name cut to its first kMaxNameLength whole characters.
    static QString userName(const QString &name);
    // "NAME (List)", the name cut as userName() cuts it.
    static QString stamp(const QString &name);
};

} // namespace kv
