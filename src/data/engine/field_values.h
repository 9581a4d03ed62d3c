#pragma once

#include "data/engine/query.h"

#include <QVariant>

namespace kv {

// A value read from either backend in the form its field type promises
// (SQLite hands back text for dates, PostgreSQL bigints for small numbers),
// so rows compare and display alike on both.
QVariant typedValue(const QVariant &raw, FieldType type);

// Equal values, with every form of null equal to every other.
bool sameValue(const QVariant &a, const QVariant &b);

} // namespace kv
