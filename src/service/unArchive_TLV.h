#pragma once
// The archive wizard: copies the database into a compressed cabinet set (mode
// 0) and restores the database from such a set (mode 1). The set goes to the
// server's archive folder (<data folder>Archive), to another folder, or over
// removable disks, each disk labelled "TLV#<disk>-<disks>".
//
// An archive holds one file, the database, under its own file name; the
// first cabinet of an archive made at 31.01.2024 23:59:59 is
// "20240131-235959.1.tlv", the next ".2.tlv" and so on. An archive whose
// name another one holds already, or is being made under on another
// workstation, takes the next free second. The database is archived from a
// consistent snapshot taken through SQLite's online backup, never by
// copying the file other workstations may be writing, and only when the
// engine's quick check finds the snapshot whole. The cabinets are written in
// a folder of their own beside their final place and take their names only
// when the whole set is written, the first part last. A restore
// checks the extracted database before anything else; the live file's
// work (its lock, the copy kept aside, the replacement) is RestoreFiles'.
//
// The wizard works on the caller's thread and runs the event queue at each
// step, so Cancel is heard while it works.
#include <QDialog>
#include <QString>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class QTreeWidget;
class TCabArchive;
class TFileCopier;
class TFloatEdit;
class TWorkMark;

// The failure codes of the wizard's steps (0: success).
enum TArchiveFailure {
    afNoArchives = 1,
    afCopyFailed = 2,
    afTempFolder = 3,
    afTempFolder2 = 4,
    afCancelled = 5,
    afUnpackFailed = 6,
    afPackFailed = 7,
    afServerPathNotFound = 8,
    afCloseDatabase = 9,
    afOpenDatabase = 10,
    afArchiveFolder = 11,
    afDatabaseFolder = 12,
    afSetDiskNumber = 13,
    afReadDiskNumber = 14,
    afForeignArchive = 15,
    afDamagedDatabase = 16,
};
// The text shown for a failure code ("" for 0 and unknown codes).
QString ArchiveFailureText(int Code);

// "YYYYMMDD-HHNNSS" of the moment given.
QString ArchiveTimestamp(const QDateTime &At);
// ".<part>.tlv"
QString CabinetPartSuffix(int Part);
// "TLV#<disk>-<disks>"
QString FloppyVolumeLabel(int Disk, int Disks);

// Whether Path is a sound database of the program: 0 when it opens, its
// integrity check says "ok" and it has every table of the program with the
// program's columns in their order (columns the schema's upgrade adds are
// added to it first); afUnpackFailed when it is no sound database,
// afForeignArchive when a table or column differs. Error gets the reason.
int CheckArchivedDatabase(const QString &Path, QString &Error);

// Tests put the wizard's temporary folder under a folder of their own
// instead of the program's folder ("" undoes it).
void SetArchiveProgramFolderForTests(const QString &Folder);

class TformArchive : public QDialog
{
public:
    // Makes the controls only; InitMode runs the creation steps.
    explicit TformArchive(QWidget *Owner = nullptr);
    ~TformArchive() override;

    // A new wizard in Mode 0 (archive) or 1 (restore).
    static TformArchive *CreateMode(QWidget *Owner, int Mode);
    // Stores the mode and runs the creation steps (remembered choices, the
    // first page, or the failure page when the base folder is missing).
    void InitMode(int Mode);

    int Mode() const { return mode_; }
    int PageNumber() const { return page_; }
    int TargetKind() const { return targetKind_; }
    bool BusyMark() const { return busy_; }
    int CabinetCount() const { return cabinetCount_; }
    QString ArchiveStamp() const { return archiveStamp_; }
    // The last failure code shown (0: none).
    int LastFailure() const { return lastFailure_; }

    // Folders: the temporary one, and where the archives of the chosen
    // target are. The temporary folder is this wizard's own, inside the
    // program's folder of temporary archive files, which the wizards of all
    // workstations running the program share.
    QString TempFolder() const;
    QString ArchiveFolder() const;

    // The steps (each returns a failure code, 0 for success).
    int PrepareTempFolder();
    void RemoveTempFolder();
    int MakeArchive(const QString &TargetFolder);
    int WriteFloppies();
    int WriteCabinetToFloppy(const QString &Root, const QString &Cabinet, bool Wipe, int Disk);
    int FetchFloppies(const QString &Name);
    int FetchCabinetFromFloppy(const QString &Root, const QString &Cabinet);
    int RestoreArchive(const QString &Name, const QString &Folder);
    void ListArchives();
    QString SelectedArchiveName() const;
    void UpdateRestoreActions();
    void GotoPage(int Page, int PrevPage, int OverridePage);
    void ShowFailure(int Code);
    void SetBusy(bool Flag);
    bool CloseDbConnection();
    void radioArchiveTypeClick();
    // With "Друг носител:" chosen, the folder must be a whole path; false
    // (with the reason shown) for an empty or relative one.
    bool OtherFolderAccepted();
    void LoadArchiveChoices();
    void SaveArchiveChoices();

    QLabel *Picture = nullptr;
    QLabel *labelInfo = nullptr;
    QGroupBox *groupFrom = nullptr;
    QRadioButton *radioServer = nullptr;
    QRadioButton *radioFloppy = nullptr;
    QRadioButton *radioPath = nullptr;
    QLineEdit *editDirectory = nullptr;
    QToolButton *buttonChooseDir = nullptr;
    QComboBox *comboDrive = nullptr;
    QLabel *labelVolumeSize = nullptr;
    TFloatEdit *editVolumeSize = nullptr;
    QWidget *panelProgress = nullptr;
    QProgressBar *Animation = nullptr;
    QLabel *labelStatus = nullptr;
    QLabel *labelSpeed = nullptr;
    QProgressBar *Progress = nullptr;
    QWidget *panelArchives = nullptr;
    QLabel *Label1 = nullptr;
    QTreeWidget *listArchives = nullptr;
    QPushButton *buttonDeleteArchive = nullptr;
    QPushButton *buttonRefreshArchives = nullptr;
    QCheckBox *checkDeleteDisk = nullptr;
    QPushButton *btnHelp = nullptr;
    QPushButton *btnPrev = nullptr;
    QPushButton *btnNext = nullptr;
    QPushButton *btnCancel = nullptr;

    QAction *actNext = nullptr;
    QAction *actPrev = nullptr;
    QAction *actCancel = nullptr;
    QAction *actHelp = nullptr;
    QAction *actChooseFileName = nullptr;
    QAction *actRefreshArchives = nullptr;
    QAction *actDeleteArchive = nullptr;
    QAction *actInetSetup = nullptr;

    TCabArchive *CAB = nullptr;
    TFileCopier *FileCopy = nullptr;

protected:
    void reject() override;
    void closeEvent(QCloseEvent *Event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    void Pump();
    void SetStatus(const QString &Text);
    void SetInfo(const QString &Text);
    void SetNextEnabled(int Page, int OverridePage);
    void StartAnimation(bool On);
    void Next();
    void Prev();
    void Cancel();
    void ChooseFileName();
    QString FloppyRoot() const;
    QString DatabaseFile() const;
    // The cause of the cabinet library's last failure, in Bulgarian.
    // Where: the folder written to, or the first cabinet read.
    QString CabinetFailure(bool Writing, const QString &Where) const;
    QString TempRoot() const;

    int mode_ = 0;
    int targetKind_ = 0;
    int page_ = 0;
    int backPage_ = 0;
    bool busy_ = false;
    bool cancelRequest_ = false;
    QString archiveStamp_;
    int cabinetCount_ = 0;
    int nextCabinetSize_ = 0;
    bool copyError_ = false;
    int progressMark_ = 0;
    int lastFailure_ = 0;
    int cabError_ = 0;       // the cabinet library's last error code and the system's error behind it
    int cabErrorType_ = 0;
    QString failureDetail_;
    QString restoredAside_;   // where the last restore kept the data it replaced
    QString programFolder_;
    QString tempFolderName_;
    QString workFolder_;
    std::unique_ptr<TWorkMark> workMark_;
    QString dataFolder_;
    QString baseFolder_;
    bool created_ = false;
};
