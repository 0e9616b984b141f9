#pragma once
// The one description of the database: its 34 tables with their columns in
// order (inserts are positional, so the order is binding), keys, indexes,
// the rows that come with the database, and the insert templates of the
// writers. Also the first-start creation of the database and of the
// year-end template.
//
// Conventions: codes are INT, document numbers of goods receipts and
// invoices DOUBLE, day columns DATETIME (a day number; 0 = no date), flags
// BIT (written 0/1 or True), quantities and money REAL/DOUBLE, names
// CHAR(50), or CHAR(255) for product, counterparty and site names. Code 0
// is a reserved row in products, resources and sites.
#include <QString>
#include <functional>
#include <QStringList>
#include <vector>

#include "platform/db/Database.h"
#include "platform/db/ReadingConnection.h"

// The database file names under the data folder.
extern const char *const MainDatabaseFileName;      // "bread.db"
extern const char *const TemplateDatabaseFileName;  // "empty.db" (the year-end template)
extern const char *const YearDatabaseFileName;      // "bread_production.db"

// The 19 tables that have a creating statement of the program's own, in
// this order (the year-end closing creates those missing in a new year):
// Busses, CustGroups, FVD, Groups, Invoices, Invoices_rows, Izdelia, Merki,
// Nas, Nepreki_razhodi, Obekti, Payment_types, Razhodni_normi, Resources,
// Resources_prices, SubGroup, VA, Zaiavka_rows, Zaiavki.
const QStringList &MasterTableNames();
// All 34 tables: the 19 above, then the document tables that come with the
// database.
const QStringList &AllTableNames();
// The tables of stored documents: requests and goods receipts, invoices
// and their lines, acts and packaging receipts, payments, release requests,
// minibus reports, passes, returns, expedition requests, deliveries and
// issues. The rest is master data, settings and prices.
const QStringList &StoredDocumentTableNames();
// The creating statement of a table (any case of its name); "" for another.
QString CreatingStatement(const QString &Table);

// The About box's upgrade of an older database, in order: the four columns
// added later (CustGroups.TD_na_NAP, Dostavki.ByDocNo, Dostavki.ByDateDocNo,
// Plashtane_na_dostavki.code_payment). A new database has them already.
const QStringList &SchemaUpgradeStatements();
// The table and column that each upgrade statement adds, in the same order.
struct TSchemaUpgradeColumn
{
    const char *Table;
    const char *Column;
};
const std::vector<TSchemaUpgradeColumn> &SchemaUpgradeColumns();

// Indexes the reports need (dates, minibuses, sites, document numbers);
// they change no result.
const QStringList &SchemaIndexStatements();
// The query planner's figures for the indexes (rows of sqlite_stat1): the
// row counts and rows per key of a mid-sized bakery's year. Without figures
// the planner takes every table for small and may start a list of one day
// with a scan of all lines; a set that covers some indexes only is worse.
struct TSchemaStatistic
{
    const char *Table;
    const char *Index;
    const char *Stat;
};
const std::vector<TSchemaStatistic> &SchemaStatistics();
// Gives every index of the database that has no figures the fixed ones and
// lets the connection's planner read them. Every database the program makes
// gets them with its tables; every connection the program opens runs this
// (a database from before, a restored or a copied one).
void WriteSchemaStatistics(platform::Database &Db);

// The rows that come with the database: the document kinds (FVD), the ways
// of payment, and the reserved code-0 product, resource and site.
const QStringList &SchemaRowStatements();

// Creates a new database file at Path with every table, index and row. The
// file appears whole or not at all (it is built under another name and
// renamed). Raises EDatabaseError when Path exists or the file cannot be
// made.
void CreateDatabaseFile(const QString &Path);
// The columns of a table of the program in their order, as its creating
// statement defines them (any case of its name); an empty list for another.
QStringList ProgramColumns(const QString &Table);

// How a database's tables compare with the program's: every table with its
// columns in their order (the positional inserts rely on it).
struct TSchemaReading
{
    // SQLite's code when the tables could not be read (a damaged file, a
    // lock held past the busy timeout); 0 when they were.
    int Failure = 0;
    // The first fault in Bulgarian ("липсва таблица X." or "полетата на
    // таблица X се различават от тези на програмата."); "" for none.
    QString Mismatch;
    // How many of the program's tables the database has.
    int ProgramTables = 0;
    // The columns the upgrade adds that it lacks, as "Table.Column" in the
    // upgrade's order (an older database).
    QStringList LackingUpgrades;
};
// What may be missing without a fault: the columns the upgrade adds
// (UpgradeColumnsMayLack) and the tables with a creating statement of their
// own, which the year-end closing makes (MasterTablesMayLack).
enum TSchemaLeeway { slNone = 0, slUpgradeColumnsMayLack = 1, slMasterTablesMayLack = 2 };
// The comparison over any reading of a database's columns: ColumnsOf gives
// a table's columns in order, or false when it has no such table.
TSchemaReading CompareSchema(const std::function<bool(const QString &Table, QStringList &Columns)> &ColumnsOf,
                             int Leeway);
// The comparison of the database a reading connection has open.
TSchemaReading ReadSchema(platform::ReadingConnection &Db, int Leeway);
// Whether a reading is of the program's own database, whole or not: it was
// read, and most of the program's tables are there.
bool IsProgramDatabase(const TSchemaReading &Reading);
// Adds to the database at Path, in one transaction, the columns of the
// upgrade it lacks; the columns added as "Table.Column". Raises
// EDatabaseError.
QStringList AddUpgradeColumns(const QString &Path);

// The clerk chose to keep an empty main database file as it is rather than
// have a new database built in its place.
TOLVEX_DECLARE_EXCEPTION(EDatabaseFileKept, platform::EDatabaseError)
// The main database file is the program's own but cannot serve (damaged,
// a table missing): the message advises its restore from an archive.
TOLVEX_DECLARE_EXCEPTION(EDatabaseFileDamaged, platform::EDatabaseError)

// The start-up: creates DataFolder (with a trailing '/') and, where they
// are missing, the main database and the year-end template in it; an empty
// (0-byte) template is built anew, while for an empty main database the
// clerk is asked first (it is no first start: its data are gone), and No
// raises EDatabaseFileKept with the file untouched. Removes the temporary
// files of a creation that broke off; then checks the main database with
// CheckDatabaseFile, and gives an older one the columns added since
// (AddUpgradeColumns), telling the clerk. Returns the number of files
// created.
int EnsureDatabaseFiles(const QString &DataFolder);
// Raises EDatabaseError with a Bulgarian message naming the file and what
// to do when the database at Path cannot serve the program, and leaves the
// file as it is: its folder or the file is read-only, the file cannot be
// read, is a folder or no regular file, it is not a database or another
// program's, another program holds it locked past the busy timeout, or the
// engine cannot read it for a cause it names (a disk error, no memory ...).
// Only a file the engine finds damaged, the program's own database that
// lacks a table, or one whose header holds what the program never writes
// there (platform::ReadDatabaseHeader), raises EDatabaseFileDamaged. Only
// a file found to be the program's, with the header it writes, is opened for
// work, and only to roll back a write broken off. Returns the columns of the
// upgrade the file lacks (an older database).
QStringList CheckDatabaseFile(const QString &Path);

// Insert templates, exactly as the writers fill them with Format. A text
// value goes between the double quotes only through SqlEscape.
// Generic code-and-name tables (Merki, Groups, SubGroup, Busses, Ambalaj):
extern const char *const sqlInsertCodeAndName;            // ( %d, "%s" )
extern const char *const sqlInsertIzdelia;
extern const char *const sqlInsertResources;              // table put in
extern const char *const sqlInsertCustGroups;             // table put in
extern const char *const sqlInsertObekti;                 // table put in
extern const char *const sqlInsertUsers_passwords;        // table put in
extern const char *const sqlInsertRazhodni_normi;         // table put in
extern const char *const sqlInsertNepreki_razhodi;        // the price as DotDecimalText
extern const char *const sqlInsertResources_prices;
extern const char *const sqlInsertPrices_by_items_and_stores;
extern const char *const sqlInsertVA;
extern const char *const sqlInsertNas;
extern const char *const sqlInsertZaiavki;
extern const char *const sqlInsertZaiavka_rows;
extern const char *const sqlInsertInvoices;
extern const char *const sqlInsertInvoices_rows;
// Acts of produced and rejected production and packaging receipts (table
// put in, docno as text):
extern const char *const sqlInsertAct;
extern const char *const sqlInsertPlashtane_na_dostavki;          // table put in
extern const char *const sqlInsertPlashtane_po_otchet_na_plasior; // table put in
extern const char *const sqlInsertOtchet_plasiori;                // table put in
extern const char *const sqlInsertExpedicia_na_surovini_i_materiali;  // table put in, docno as text
extern const char *const sqlInsertDostavki;                       // table put in, docno as text
extern const char *const sqlInsertVyrnata_produkcia;              // table put in, docno as text
extern const char *const sqlInsertPropusk_za_izvozvane;           // table put in
extern const char *const sqlInsertZaiavki_za_expedicia;           // table put in
extern const char *const sqlInsertIskane_za_otpuskane_na_surovini_i_materiali;
