#pragma once
// The year-end closing wizard: makes the next year's database from the
// empty template and carries the master data of the current year over.
// Documents are not carried.
//
// The next year's file is <base>/db/A/<year + 1>/bread_production.db, where
// "A_year" is the per-year database's tag; with the main database open, A
// is empty and the current year is the company's value 8. The new database
// is built under a temporary name beside its final one and takes the final
// name only when it is complete; an existing next-year database is never
// touched.
#include "service/FileCopier.h"

#include <QDialog>
#include <QString>

// The exclusive claim on the closing into one year's folder, held for the
// whole run: a second workstation (or window) is refused while it is held.
// It is a lock of the operating system on a lock file in that folder, the
// same kind of lock the database engine relies on for the shared database,
// so it is seen by every workstation and ends with its process: a closing
// that dies leaves nothing that blocks the next one.
class TYearEndClaim
{
public:
    // Tries to claim the closing into Folder; Held() tells the outcome.
    explicit TYearEndClaim(const QString &Folder);
    ~TYearEndClaim();
    TYearEndClaim(const TYearEndClaim &) = delete;
    TYearEndClaim &operator=(const TYearEndClaim &) = delete;

    bool Held() const { return lock_.Held(); }
    // The reason when the claim could not be taken for another cause than
    // another holder ("" when another closing holds it).
    QString Error() const { return lock_.Error(); }
    static QString LockFileName();

private:
    TFileLock lock_;
};

class QLabel;
class QProgressBar;
class QPushButton;
class TADOConnection;

class TfrmFinsihYear_TLV : public QDialog
{
public:
    explicit TfrmFinsihYear_TLV(QWidget *Owner = nullptr);
    ~TfrmFinsihYear_TLV() override;

    // "&Продължение": makes the next year's database; true when it was
    // made whole (false after a refusal or a failure, each shown).
    bool btnNextClick();

    // The year the open database keeps ("" when it cannot be told), and
    // the first part of its tag ("" for the main database).
    QString CurrentYearText() const;
    QString DatabaseGroup() const;
    // The file the closing makes for NextYear, the year after the current
    // one.
    QString NextYearDatabasePath(int NextYear) const;

    QLabel *panelText = nullptr;
    QPushButton *btnNext = nullptr;
    QPushButton *btnCancel = nullptr;
    QLabel *StatusText = nullptr;
    QProgressBar *Gauge = nullptr;
    TFileCopier *FileCopier = nullptr;

protected:
    void showEvent(QShowEvent *Event) override;

private:
    void Status(const QString &Text);
    void Step();
    bool BuildDatabase(const QString &TempPath, int NewYear);
    bool CheckBuiltDatabase(const QString &Path, int NewYear, QString &Reason);
    bool CarryMasterData(TADOConnection &NewDb, int NewYear);
};
