#pragma once
// Whether a database file is one of the program's: the one check made of a
// database that comes from elsewhere before the program relies on it (the
// database taken out of an archive before a restore, the year-end template
// before it is copied, the next year's database before it takes its name).
#include <QString>
#include <QStringList>

enum TDatabaseFileVerdict {
    dvSound = 0,
    dvDamaged,   // no file, not a database, or a damaged one
    dvForeign,   // a sound database, but not with the program's tables
    dvBusy,      // held locked by another program past the busy timeout
    // Not read for a cause that says nothing of the file: no permission, a
    // disk error, no memory.
    dvUnreadable,
};

enum TDatabaseCheckOption {
    dcStrict = 0,
    // A database from before a column was added gets that column, as the
    // schema's upgrade gives it to an older database: the file is changed.
    // Without this option the file is only read.
    dcCompleteOlder = 1,
    // The tables with a creating statement of their own may be missing (the
    // year-end closing makes them).
    dcMasterTablesMayLack = 2,
};

// Checks the database file at Path: it opens, its header is as the
// program writes it (platform::ReadDatabaseHeader), its integrity check says
// "ok", and it has every table of the program with the program's columns in
// their order (inserts are positional). Error gets the reason in Bulgarian
// ("липсва таблица Ambalaj."), a small letter first, for the caller's
// sentence. A file another program holds locked is dvBusy, its Error the
// engine's cause ("базата данни е заета от друго работно място."); one that
// cannot be read for another cause than damage is dvUnreadable, its Error
// that cause ("няма права за достъп."). A file whose header the program
// never writes is never completed (dcCompleteOlder).
TDatabaseFileVerdict CheckProgramDatabase(const QString &Path, int Options, QString &Error);

// Why the database file at Path cannot serve as an empty database: "" when
// no table of stored documents (StoredDocumentTableNames) holds a row;
// master data, settings and prices may (they go into the new year as they
// stand). Else the reason in Bulgarian, naming every such table ("не е
// празна: в таблици Zaiavki, Dostavki има записи."), or why the file could
// not be read, a small letter first for the caller's sentence. Verdict gets
// dvSound with "", dvDamaged for documents held or a damaged file, else
// dvBusy or dvUnreadable as CheckProgramDatabase gives them. Only read.
QString DocumentsHeld(const QString &Path, TDatabaseFileVerdict &Verdict);

// The tables of Tables that hold a row in the database file at Path, in
// the order of Tables; a table it lacks holds none. When the file cannot be
// read, Verdict is not dvSound and Error tells why. Only read.
QStringList TablesHoldingRows(const QString &Path, const QStringList &Tables, TDatabaseFileVerdict &Verdict,
                              QString &Error);

// The engine's quick check of the database file at Path (its pages and
// records, not the program's tables): dvSound, or dvDamaged or dvBusy with
// Error in Bulgarian. Only read.
TDatabaseFileVerdict QuickCheckDatabase(const QString &Path, QString &Error);

// The reason given for a file that is damaged or no database at all:
// "файлът е повреден или не е база данни.".
QString DamagedFileText();
