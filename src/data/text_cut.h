#pragma once

// Text cut to a column's width. A width counts characters as the columns do
// (PostgreSQL's varchar(n) counts code points): a character outside the Basic
// Multilingual Plane (an emoji) counts once, and a cut never falls between
// the two halves of a surrogate pair, which would store a character that is
// not there (SQLite) or be refused by the server (PostgreSQL).

#include <QString>
#include <QStringView>

namespace kv {

// The number of characters of a text, each surrogate pair counting once.
qsizetype characterCount(QStringView text);

// The first `width` whole characters of a text (all of it when it is shorter).
QStringView cutToWidth(QStringView text, qsizetype width);
QString cutToWidth(const QString &text, qsizetype width);

} // namespace kv
