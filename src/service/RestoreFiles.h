#pragma once
// The database-file work of archiving and restoring, without a window: the
// consistent copy an archive packs, and what a restore does to the live
// file: it takes the file for itself before it copies anything aside, keeps
// the old file aside with the journal a dead workstation left beside it (a
// pair the engine opens as it was found), puts the restored data in place
// and lets the file go only then. The archive wizard and the start-up's
// offer to restore call it.
//
// A sound file gets the restored data through the engine's backup, in one
// write transaction, so every connection reads them next. A file the engine
// cannot write through (damaged, cut within a page, marked read-only in its
// header) or one with a journal beside it is replaced whole: a copy written
// beside it with its owner, group and permissions takes its name. A
// connection of another workstation that then writes gets the engine's
// "moved" answer, never a commit into the file that is gone.
#include <QString>
#include <QtGlobal>

#include <functional>

// Bytes done of the whole, after each part of a long copy.
using TFileProgress = std::function<void(qint64 Done, qint64 Total)>;

enum TSnapshotResult {
    srTaken = 0,
    srDamaged,   // the engine finds the source damaged
    srFailed,    // any other cause
};

// Writes a consistent copy of the database Source to Target (replaced only
// when the copy is whole), read under one read lock while others write.
// Error gets the reason in Bulgarian with its cause.
TSnapshotResult SnapshotDatabase(const QString &Source, const QString &Target, QString &Error);

// What a restore did with the database it replaced.
struct TRestoredDatabase
{
    QString Aside;              // the copy of the old file kept aside
    bool AsideJournal = false;  // with the journal that stood beside it
    bool Whole = false;         // the file was replaced whole
};

// Puts the database Restored (checked already) in the place of Live (the
// file a link leads to, not the link), keeping the old file aside under a
// name of its own ("bread-before-restore-<yyyyMMdd-HHmmss>.db"). A
// read-only file, one held by other connections past the busy timeout, and
// one whose owner or group the new file cannot be given are refused before
// anything is written. False with Error in Bulgarian: Live and its journal
// then stand as they were, and no copy of this restore stays aside unless
// the engine left Live half-written (it rolls back at the next opening).
bool RestoreDatabaseFile(const QString &Restored, const QString &Live, TRestoredDatabase &Done, QString &Error,
                         const TFileProgress &Progress = {});
// The line of the success text that says where the old data are.
QString RestoredAsideText(const TRestoredDatabase &Done);

// Start-up over a database found damaged: when a dead workstation's journal
// stands beside Live, the pair is kept aside as it was found
// ("bread-before-recovery-<stamp>.db" and its journal) and the engine rolls
// the journal back into Live, which is then to be checked again. False
// when no journal stands or the pair could not be kept (Live untouched).
bool RecoverFromJournal(const QString &Live, QString &Aside);

// Removes what restores of ended processes left beside Live and beside the
// file a link at Live leads to: half-written copies.
void SweepRestoreLeftovers(const QString &Live);

// Gives To the modification time of From.
bool CopyModificationTime(const QString &From, const QString &To);
