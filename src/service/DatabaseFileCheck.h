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

// Checks the database file at Path: it opens, its integrity check says
// "ok", and it has every table of the program with the program's columns in
// their order (inserts are positional). Error gets the reason in Bulgarian
// ("липсва таблица Ambalaj."), a small letter first, for the caller's
// sentence.
TDatabaseFileVerdict CheckProgramDatabase(const QString &Path, int Options, QString &Error);

// Why the database file at Path cannot serve as an empty database: "" when
// no table of the program but the Carried ones (the master data a year
// takes from the one before) holds a row: the documents of a year and every
// other table the new year takes from it as it stands. Else the reason in
// Bulgarian, naming the first such table, a small letter first for the
// caller's sentence. Only read.
QString DocumentsHeld(const QString &Path, const QStringList &Carried);

// The engine's quick check of the database file at Path (its pages and
// records, not the program's tables): dvSound, or dvDamaged with Error in
// Bulgarian. Only read.
TDatabaseFileVerdict QuickCheckDatabase(const QString &Path, QString &Error);

// The reason given for a file that is damaged or no database at all:
// "файлът е повреден или не е база данни.".
QString DamagedFileText();
