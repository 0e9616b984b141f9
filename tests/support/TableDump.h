#pragma once
// The content of every table of the shared connection's database, to show
// that an action wrote nothing: each row as its columns' stored types and
// exact values, the rows of a table sorted, so that a row deleted and
// written again unchanged counts as unchanged while any changed byte of a
// value does not.
//
//   const testsupport::TableDump before = testsupport::DumpTables();
//   form->actSave->trigger();
//   EXPECT_EQ(testsupport::TableDifferences(before, testsupport::DumpTables()), "");
#include <QString>
#include <QStringList>
#include <map>

namespace testsupport {

using TableDump = std::map<QString, QStringList>;

// Every table but SQLite's own.
TableDump DumpTables();
// "" when the two are the same; otherwise, per table that differs, the
// rows only before ("-") and only after ("+"), a few of each.
QString TableDifferences(const TableDump &Before, const TableDump &After);

} // namespace testsupport
