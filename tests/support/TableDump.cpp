#include "support/TableDump.h"

#include "core/un_Ado_Connection.h"
#include "platform/db/Database.h"

#include <algorithm>
#include <sqlite3.h>
#include <stdexcept>

namespace testsupport {

namespace {

struct Statement
{
    sqlite3_stmt *handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

QStringList Query(sqlite3 *Db, const QString &Sql)
{
    Statement st;
    if (sqlite3_prepare_v2(Db, Sql.toUtf8().constData(), -1, &st.handle, nullptr) != SQLITE_OK)
        throw std::runtime_error(sqlite3_errmsg(Db));
    QStringList rows;
    const int columns = sqlite3_column_count(st.handle);
    while (sqlite3_step(st.handle) == SQLITE_ROW) {
        QStringList values;
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(st.handle, c)) {
            case SQLITE_INTEGER:
                values << QStringLiteral("i") + QString::number(sqlite3_column_int64(st.handle, c));
                break;
            case SQLITE_FLOAT:
                values << QStringLiteral("r") + QString::number(sqlite3_column_double(st.handle, c), 'g', 17);
                break;
            case SQLITE_TEXT:
                values << QStringLiteral("t") +
                              QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.handle, c)),
                                                sqlite3_column_bytes(st.handle, c));
                break;
            case SQLITE_BLOB:
                values << QStringLiteral("b") +
                              QString::fromLatin1(QByteArray(static_cast<const char *>(sqlite3_column_blob(st.handle, c)),
                                                             sqlite3_column_bytes(st.handle, c))
                                                      .toHex());
                break;
            default:
                values << QStringLiteral("n");
            }
        }
        rows << values.join(QChar(0x2502));
    }
    return rows;
}

} // namespace

TableDump DumpTables()
{
    sqlite3 *db = DbConnection->Handle();
    TableDump dump;
    for (const QString &table :
         Query(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'"))) {
        const QString name = table.mid(1);
        QStringList rows = Query(db, QStringLiteral("SELECT * FROM \"%1\"").arg(name));
        std::sort(rows.begin(), rows.end());
        dump[name] = rows;
    }
    return dump;
}

QString TableDifferences(const TableDump &Before, const TableDump &After)
{
    QStringList report;
    auto rowsOf = [](const TableDump &Dump, const QString &Table) {
        const auto found = Dump.find(Table);
        return found == Dump.end() ? QStringList() : found->second;
    };
    QStringList tables;
    for (const auto &entry : Before)
        tables << entry.first;
    for (const auto &entry : After)
        if (!Before.count(entry.first))
            tables << entry.first;
    for (const QString &table : tables) {
        const QStringList before = rowsOf(Before, table);
        const QStringList after = rowsOf(After, table);
        if (before == after)
            continue;
        QStringList gone, added;
        std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
        std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
        report << QStringLiteral("%1: %2 rows before, %3 after").arg(table).arg(before.size()).arg(after.size());
        for (int i = 0; i < std::min<int>(5, gone.size()); ++i)
            report << QStringLiteral("  - ") + gone[i];
        for (int i = 0; i < std::min<int>(5, added.size()); ++i)
            report << QStringLiteral("  + ") + added[i];
    }
    return report.join(QLatin1Char('\n'));
}

} // namespace testsupport
