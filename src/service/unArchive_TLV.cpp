#include "service/unArchive_TLV.h"

#include "components/FloatEdit.h"
#include "core/DialogsEx.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "platform/system/RemovableMedia.h"
#include "platform/system/ReplacingFile.h"
#include "platform/ui/JpegImage.h"
#include "service/CabArchive.h"
#include "service/DatabaseFileCheck.h"
#include "service/FileCopier.h"
#include "service/RestoreFiles.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The pictures live in the program's resource file, built into a library.
static void InitArchivePictures() { Q_INIT_RESOURCE(tolvex); }

namespace {

QString g_ProgramFolderForTests;

constexpr int kServer = 0;
constexpr int kFloppies = 1;
constexpr int kOtherFolder = 2;

constexpr int kFolderSize = 100000000;        // one cabinet on a folder
constexpr int kFolderNextSize = 1000000000;   // the further ones
constexpr int kFolderThreshold = 10000000;

// An archive being written stands in its folder as a folder of its own,
// "~archive-<its name>", marked by its process (TWorkMark): the mark claims
// the name against every other workstation, and what a process that ended
// left there goes with the next archive or restore of that folder.
const QLatin1String kArchiveWorkStem("~archive-");
// Only works of that whole form are swept: a folder a clerk names may hold
// anything of his beginning with the stem.
const QRegularExpression &ArchiveWorkForm()
{
    static const QRegularExpression form(QStringLiteral("^~archive-[0-9]{8}-[0-9]{6}$"));
    return form;
}
// How many seconds from its start an archive looks for a name of its own.
constexpr int kNameSeconds = 120;

QString Native(const QString &Path) { return QDir::toNativeSeparators(QDir::cleanPath(Path)); }

QString WithSlash(const QString &Folder)
{
    return Folder.isEmpty() || Folder.endsWith(QLatin1Char('/')) ? Folder : Folder + QLatin1Char('/');
}

// Line breaks of the system's texts ("\r", "\n\r", "\r\n") as a label shows
// them.
QString ScreenText(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

// Deletes every file and folder under Root, leaving Root itself (a disk's
// mount point cannot go).
bool WipeFolderContents(const QString &Root)
{
    const QDir root(Root);
    bool ok = true;
    for (const QFileInfo &entry :
         root.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.isDir() && !entry.isSymLink())
            ok = DeleteTree(entry.absoluteFilePath()) && ok;
        else
            ok = QFile::remove(entry.absoluteFilePath()) && ok;
    }
    return ok;
}

// "The archive cannot be written in Folder: Cause", for the caller to end.
QString ArchiveNotWritten(const QString &Folder, const QString &Cause)
{
    return QStringLiteral("Архивът не може да бъде записан в папката %1: %2").arg(Native(Folder), Cause);
}

// Claims a name of its own for an archive begun at Start in Folder (with its
// trailing '/'): the first second from Start on that no archive there has
// and that no other workstation writes an archive under. The mark holds the
// claim and the folder the set is written in; nullptr with Error when no
// name can be had.
std::unique_ptr<TWorkMark> ClaimArchiveName(const QString &Folder, const QDateTime &Start, QString &Stamp,
                                            QString &Error)
{
    for (int second = 0; second < kNameSeconds; ++second) {
        const QString stamp = ArchiveTimestamp(Start.addSecs(second));
        auto mark = std::make_unique<TWorkMark>(Folder + kArchiveWorkStem + stamp);
        if (!mark->Held()) {
            if (mark->Error().isEmpty())
                continue;   // written under on another workstation now
            Error = ArchiveNotWritten(Folder, mark->Error()) + QLatin1Char('.');
            return nullptr;
        }
        // An archive made earlier in that second keeps its name.
        if (!QDir(Folder).entryList({stamp + QStringLiteral(".*")}, QDir::AllEntries | QDir::Hidden | QDir::System)
                 .isEmpty())
            continue;
        // What a claimer of this name that ended may have left.
        DeleteTree(mark->Path());
        if (::mkdir(QFile::encodeName(mark->Path()).constData(), 0777) != 0) {
            Error = ArchiveNotWritten(Folder, SystemErrorText(errno)) + QLatin1Char('.');
            return nullptr;
        }
        Stamp = stamp;
        return mark;
    }
    Error = ArchiveNotWritten(Folder, QStringLiteral("имената на архивите от %1 до %2 са заети.")
                                          .arg(ArchiveTimestamp(Start), ArchiveTimestamp(Start.addSecs(kNameSeconds - 1))));
    return nullptr;
}

// Gives the cabinets of the set Stamp, written in Work, their names in
// Folder (with its trailing '/'): the later parts first, so that the first
// part, the one a restore lists, stands only when the whole set does. Every
// part reaches the disk before the first takes its name, so that the names
// are given one right after another; when a step fails, nothing of the set
// stays in Folder.
bool PlaceCabinets(const QString &Work, const QString &Folder, const QString &Stamp, QString &Error)
{
    QStringList parts;
    for (int n = 1; QFileInfo::exists(Work + QLatin1Char('/') + Stamp + CabinetPartSuffix(n)); ++n)
        parts << Stamp + CabinetPartSuffix(n);
    int error = parts.isEmpty() ? ENOENT : 0;
    QString failed = Folder + Stamp + CabinetPartSuffix(1);
    for (int i = 0; i < int(parts.size()) && error == 0; ++i) {
        failed = Folder + parts[i];
        error = platform::SyncToDisk(Work + QLatin1Char('/') + parts[i]);
    }
    QStringList placed;
    for (int i = int(parts.size()) - 1; i >= 0 && error == 0; --i) {
        failed = Folder + parts[i];
        error = platform::PlaceWithoutReplacing(Work + QLatin1Char('/') + parts[i], failed);
        if (error == 0)
            placed << failed;
    }
    if (error != 0) {
        for (const QString &part : placed)
            QFile::remove(part);
        Error = QStringLiteral("Архивният файл %1 не може да бъде записан: %2.").arg(Native(failed), SystemErrorText(error));
        return false;
    }
    // The names themselves; a folder some file systems cannot sync keeps them
    // all the same.
    platform::SyncToDisk(Folder);
    return true;
}

static const bool registered = RegisterFormClass(
    QStringLiteral("TformArchive"), [](QWidget *Owner) -> QWidget * { return new TformArchive(Owner); },
    [](QWidget *Form, const TFormParams &Params) { static_cast<TformArchive *>(Form)->InitMode(Params.Mode); });

} // namespace

// ---------------------------------------------------------------- formats and helpers

QString ArchiveFailureText(int Code)
{
    switch (Code) {
    case afNoArchives: return LoadResString(rsNoValidArchives);
    case afCopyFailed: return LoadResString(rsFileCopyError);
    case afTempFolder:
    case afTempFolder2: return LoadResString(rsTempFilesError);
    case afCancelled: return LoadResString(rsArchiveCancelled);
    case afUnpackFailed: return LoadResString(rsRestoreUnpackFailed);
    case afPackFailed: return LoadResString(rsArchivePackFailed);
    case afServerPathNotFound: return LoadResString(rsServerPathNotFound);
    case afCloseDatabase: return QStringLiteral("Грешка при затварянето на базата!");
    case afOpenDatabase: return QStringLiteral("Грешка при отварянето на базата!");
    case afArchiveFolder: return LoadResString(rsArchiveCreateError);
    case afDatabaseFolder: return LoadResString(rsDatabaseFolderError);
    case afSetDiskNumber: return LoadResString(rsFloppyNumberSetError);
    case afReadDiskNumber: return LoadResString(rsFloppyNumberReadError);
    case afForeignArchive: return LoadResString(rsRestoreForeignArchive);
    case afDamagedDatabase:
        return QStringLiteral("Архивното копие не е създадено: базата данни е повредена.\rАрхивните копия в папката "
                              "не са променени.");
    default: return QString();
    }
}

QString ArchiveTimestamp(const QDateTime &At) { return At.toString(QStringLiteral("yyyyMMdd-HHmmss")); }

QString CabinetPartSuffix(int Part) { return QStringLiteral(".%1").arg(Part) + QStringLiteral(".tlv"); }

QString FloppyVolumeLabel(int Disk, int Disks) { return QStringLiteral("TLV#%1-%2").arg(Disk).arg(Disks); }

void SetArchiveProgramFolderForTests(const QString &Folder) { g_ProgramFolderForTests = Folder; }

int CheckArchivedDatabase(const QString &Path, QString &Error)
{
    switch (CheckProgramDatabase(Path, dcCompleteOlder, Error)) {
    case dvSound: return 0;
    case dvForeign: return afForeignArchive;
    default: return afUnpackFailed;
    }
}

// ---------------------------------------------------------------- the window

TformArchive::TformArchive(QWidget *Owner) : QDialog(Owner)
{
    setWindowTitle(QStringLiteral("Архивно копие"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint
                   | Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    setObjectName(QStringLiteral("formArchive"));
    CAB = new TCabArchive(this);
    FileCopy = new TFileCopier(this);
    BuildControls();
    ConnectHandlers();
    setFixedSize(449, 340);
}

TformArchive *TformArchive::CreateMode(QWidget *Owner, int Mode)
{
    auto *form = new TformArchive(Owner);
    form->InitMode(Mode);
    return form;
}

TformArchive::~TformArchive()
{
    if (created_) {
        SaveArchiveChoices();
        RemoveTempFolder();
    }
}

void TformArchive::BuildControls()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    auto *body = new QHBoxLayout;
    outer->addLayout(body, 1);

    Picture = new QLabel(this);
    Picture->setObjectName(QStringLiteral("Picture"));
    Picture->setFixedWidth(140);
    Picture->setFrameShape(QFrame::Panel);
    Picture->setFrameShadow(QFrame::Sunken);
    InitArchivePictures();
    QFile pictureFile(QStringLiteral(":/pictures/about.jpg"));
    QImage picture;
    if (pictureFile.open(QIODevice::ReadOnly) && platform::DecodeJpeg(pictureFile.readAll(), picture))
        Picture->setPixmap(QPixmap::fromImage(
            picture.scaled(136, 280, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    Picture->setAlignment(Qt::AlignCenter);
    body->addWidget(Picture);

    auto *right = new QVBoxLayout;
    body->addLayout(right, 1);

    labelInfo = new QLabel(QStringLiteral("Този помощник ще извърши архивиране на данните"), this);
    labelInfo->setObjectName(QStringLiteral("labelInfo"));
    labelInfo->setWordWrap(true);
    labelInfo->setTextFormat(Qt::PlainText);
    labelInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    labelInfo->setMinimumWidth(281);
    right->addWidget(labelInfo);

    groupFrom = new QGroupBox(QStringLiteral(" Архивиране на "), this);
    groupFrom->setObjectName(QStringLiteral("groupFrom"));
    auto *grid = new QGridLayout(groupFrom);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setVerticalSpacing(2);
    radioServer = new QRadioButton(QStringLiteral("Сървър"), groupFrom);
    radioServer->setObjectName(QStringLiteral("radioServer"));
    radioServer->setChecked(true);
    radioFloppy = new QRadioButton(QStringLiteral("Дискети"), groupFrom);
    radioFloppy->setObjectName(QStringLiteral("radioFloppy"));
    radioPath = new QRadioButton(QStringLiteral("Друг носител:"), groupFrom);
    radioPath->setObjectName(QStringLiteral("radioPath"));
    comboDrive = new QComboBox(groupFrom);
    comboDrive->setObjectName(QStringLiteral("comboDrive"));
    editDirectory = new QLineEdit(QStringLiteral("c:\\tmp"), groupFrom);
    editDirectory->setObjectName(QStringLiteral("editDirectory"));
    buttonChooseDir = new QToolButton(groupFrom);
    buttonChooseDir->setObjectName(QStringLiteral("buttonChooseDir"));
    buttonChooseDir->setText(QStringLiteral("..."));
    labelVolumeSize = new QLabel(QStringLiteral("Макс. размер (байта)"), groupFrom);
    labelVolumeSize->setObjectName(QStringLiteral("labelVolumeSize"));
    editVolumeSize = new TFloatEdit(groupFrom);
    editVolumeSize->setObjectName(QStringLiteral("editVolumeSize"));
    editVolumeSize->SetPrecision(0);
    editVolumeSize->SetValue(1400000);
    grid->addWidget(radioServer, 0, 0, 1, 3);
    grid->addWidget(radioFloppy, 1, 0);
    grid->addWidget(comboDrive, 1, 1, 1, 2);
    grid->addWidget(radioPath, 2, 0);
    grid->addWidget(editDirectory, 2, 1);
    grid->addWidget(buttonChooseDir, 2, 2);
    grid->addWidget(labelVolumeSize, 3, 0);
    grid->addWidget(editVolumeSize, 3, 1, 1, 2);
    right->addWidget(groupFrom);

    panelProgress = new QWidget(this);
    panelProgress->setObjectName(QStringLiteral("panelProgress"));
    auto *progressLayout = new QVBoxLayout(panelProgress);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    Animation = new QProgressBar(panelProgress);
    Animation->setObjectName(QStringLiteral("Animation"));
    Animation->setTextVisible(false);
    Animation->setMaximumHeight(12);
    Animation->setRange(0, 1);
    labelStatus = new QLabel(QStringLiteral("Актуализиране, моля изчакайте ..."), panelProgress);
    labelStatus->setObjectName(QStringLiteral("labelStatus"));
    labelSpeed = new QLabel(panelProgress);
    labelSpeed->setObjectName(QStringLiteral("labelSpeed"));
    labelSpeed->hide();
    Progress = new QProgressBar(panelProgress);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setRange(0, 100);
    Progress->setValue(0);
    progressLayout->addWidget(Animation);
    progressLayout->addWidget(labelStatus);
    progressLayout->addWidget(labelSpeed);
    progressLayout->addWidget(Progress);
    panelProgress->hide();
    right->addWidget(panelProgress);

    panelArchives = new QWidget(this);
    panelArchives->setObjectName(QStringLiteral("panelArchives"));
    auto *archivesLayout = new QGridLayout(panelArchives);
    archivesLayout->setContentsMargins(0, 0, 0, 0);
    Label1 = new QLabel(QStringLiteral("Създадени архиви"), panelArchives);
    Label1->setObjectName(QStringLiteral("Label1"));
    listArchives = new QTreeWidget(panelArchives);
    listArchives->setObjectName(QStringLiteral("listArchives"));
    listArchives->setColumnCount(2);
    listArchives->setHeaderLabels({QStringLiteral("Дата"), QStringLiteral("Час")});
    listArchives->setColumnWidth(0, 150);
    listArchives->setColumnWidth(1, 127);
    listArchives->setRootIsDecorated(false);
    listArchives->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listArchives->setSelectionBehavior(QAbstractItemView::SelectRows);
    listArchives->setSelectionMode(QAbstractItemView::SingleSelection);
    listArchives->header()->setSectionsClickable(false);
    listArchives->setMinimumHeight(60);
    buttonDeleteArchive = new QPushButton(panelArchives);
    buttonDeleteArchive->setObjectName(QStringLiteral("buttonDeleteArchive"));
    buttonRefreshArchives = new QPushButton(panelArchives);
    buttonRefreshArchives->setObjectName(QStringLiteral("buttonRefreshArchives"));
    archivesLayout->addWidget(Label1, 0, 0, 1, 2);
    archivesLayout->addWidget(listArchives, 1, 0, 1, 2);
    archivesLayout->addWidget(buttonDeleteArchive, 2, 0);
    archivesLayout->addWidget(buttonRefreshArchives, 2, 1);
    panelArchives->hide();
    right->addWidget(panelArchives, 1);

    checkDeleteDisk = new QCheckBox(QStringLiteral("Предварително изтриване на дискетата"), this);
    checkDeleteDisk->setObjectName(QStringLiteral("checkDeleteDisk"));
    right->addWidget(checkDeleteDisk);
    right->addStretch(1);

    auto *buttons = new QHBoxLayout;
    btnHelp = new QPushButton(this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnPrev = new QPushButton(this);
    btnPrev->setObjectName(QStringLiteral("btnPrev"));
    btnNext = new QPushButton(this);
    btnNext->setObjectName(QStringLiteral("btnNext"));
    btnNext->setDefault(true);
    btnCancel = new QPushButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnPrev);
    buttons->addWidget(btnNext);
    buttons->addWidget(btnCancel);
    outer->addLayout(buttons);

    const auto action = [this](const QString &name, const QString &caption) {
        auto *a = new QAction(caption, this);
        a->setObjectName(name);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
        return a;
    };
    actHelp = action(QStringLiteral("actHelp"), QStringLiteral("П&омощ"));
    actPrev = action(QStringLiteral("actPrev"), QStringLiteral("&Назад"));
    actNext = action(QStringLiteral("actNext"), QStringLiteral("&Продължение"));
    actCancel = action(QStringLiteral("actCancel"), QStringLiteral("Край"));
    actChooseFileName = action(QStringLiteral("actChooseFileName"), QStringLiteral("..."));
    actRefreshArchives = action(QStringLiteral("actRefreshArchives"), QStringLiteral("Опресняване"));
    actRefreshArchives->setShortcut(QKeySequence(Qt::Key_F5));
    actDeleteArchive = action(QStringLiteral("actDeleteArchive"), QStringLiteral("Изтриване"));
    actDeleteArchive->setShortcut(QKeySequence(Qt::Key_Delete));
    actInetSetup = action(QStringLiteral("actInetSetup"), QStringLiteral("Настройка на &интернет"));

    // A button follows its action's caption and state.
    const auto bind = [](QPushButton *button, QAction *a) {
        const auto sync = [button, a] {
            button->setText(a->text());
            button->setEnabled(a->isEnabled());
        };
        sync();
        QObject::connect(a, &QAction::changed, button, sync);
        QObject::connect(button, &QPushButton::clicked, a, &QAction::trigger);
    };
    bind(btnHelp, actHelp);
    bind(btnPrev, actPrev);
    bind(btnNext, actNext);
    bind(btnCancel, actCancel);
    bind(buttonDeleteArchive, actDeleteArchive);
    bind(buttonRefreshArchives, actRefreshArchives);
    connect(buttonChooseDir, &QToolButton::clicked, actChooseFileName, &QAction::trigger);
}

void TformArchive::ConnectHandlers()
{
    connect(actNext, &QAction::triggered, this, [this] { Next(); });
    connect(actPrev, &QAction::triggered, this, [this] { Prev(); });
    connect(actCancel, &QAction::triggered, this, [this] { Cancel(); });
    connect(actChooseFileName, &QAction::triggered, this, [this] { ChooseFileName(); });
    connect(actRefreshArchives, &QAction::triggered, this, [this] { ListArchives(); });
    // Help has no help file behind it here; deleting an archive does nothing.
    for (QRadioButton *radio : {radioServer, radioFloppy, radioPath})
        connect(radio, &QRadioButton::clicked, this, [this] { radioArchiveTypeClick(); });
    connect(listArchives, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateRestoreActions(); });

    // The cabinet component's events.
    CAB->OnFilePlacedEvent = [this](TObject *, TCCAB &Cab, const QString &, int, bool, bool &AbortProcessing) {
        AbortProcessing = false;
        Cab.Size = quint32(nextCabinetSize_);
        ++cabinetCount_;
    };
    CAB->OnGetNextCabinet = [this](TObject *, TCCAB &Cab, QString &NewCabFileName, int, bool &AbortCreation) {
        AbortCreation = false;
        Cab.DiskName = QStringLiteral("Disk%1").arg(Cab.Number + 1);
        QString stem;
        GetPiece(Cab.CabinetName, QLatin1Char('.'), 0, stem);
        NewCabFileName = WithSlash(Cab.CabinetPath) + stem + CabinetPartSuffix(Cab.Number + 1);
        Cab.Size = quint32(nextCabinetSize_);
        CAB->SetCABFileName(NewCabFileName);
    };
    CAB->OnProgress = [this](TObject *, qint64 BytesRead, qint64 BytesTotal) {
        if (BytesTotal > INT_MAX) {
            Progress->setRange(0, 1000);
            Progress->setValue(int(BytesRead * 1000 / BytesTotal));
        } else {
            Progress->setRange(0, int(BytesTotal));
            Progress->setValue(int(qMin(BytesRead, BytesTotal)));
        }
    };
    CAB->OnError = [this](TObject *, int Code, int Type) {
        cabError_ = Code;
        cabErrorType_ = Type;
    };
    // The library's scratch file (the compressed database before it goes
    // into the cabinets) is made in the wizard's own folder: an archive that
    // dies leaves it where the next one removes it. The library takes names
    // of up to 255 bytes; a deeper folder leaves it to the system's one.
    CAB->OnGetTempFile = [this](TObject *, QString &TempFileName, bool &Success) {
        const QString folder = QFile::encodeName(TempFolder()).size() < 240 ? TempFolder() : QDir::tempPath();
        QTemporaryFile file(folder + QStringLiteral("/cabXXXXXX"));
        file.setAutoRemove(false);
        Success = file.open();
        TempFileName = file.fileName();
    };

    // The copy component's events.
    FileCopy->OnCopyProgress = [this](TObject *, qint64, qint64, int PercentRead, int PercentWritten, bool &) {
        Progress->setRange(0, 100);
        const int position = (PercentRead + PercentWritten) / 2;
        Progress->setValue(position);
        if (position == 0)
            progressMark_ = 0;
        if (position > progressMark_) {
            Pump();
            progressMark_ = position;
        }
    };
    FileCopy->OnOverriding = [](TObject *, const QString &, bool &Override) { Override = true; };
    FileCopy->OnError = [this](TObject *, const QString &) {
        copyError_ = true;
        failureDetail_ = CopyFailureText(FileCopy->LastFailure());
    };
}

void TformArchive::InitMode(int Mode)
{
    mode_ = Mode;
    programFolder_ = WithSlash(g_ProgramFolderForTests.isEmpty() ? QCoreApplication::applicationDirPath()
                                                                  : g_ProgramFolderForTests);
    // The removable volumes of the moment; without one the choice is off.
    comboDrive->clear();
    for (const platform::RemovableVolume &v : platform::RemovableVolumes())
        comboDrive->addItem(v.Label.isEmpty() ? v.RootPath : v.RootPath + QStringLiteral(" [") + v.Label
                                                                   + QLatin1Char(']'),
                            v.RootPath);
    if (comboDrive->count() > 0)
        comboDrive->setCurrentIndex(0);
    radioFloppy->setEnabled(comboDrive->count() > 0);
    comboDrive->setEnabled(comboDrive->count() > 0);

    LoadArchiveChoices();
    tempFolderName_ = (QStringLiteral("Temporary archive files ") + DatabaseTag()).trimmed();
    workFolder_ = TWorkMark::NewWorkName(TempRoot() + QLatin1Char('/'));
    dataFolder_ = DataFolder();
    baseFolder_ = BaseFolder();
    created_ = true;
    radioArchiveTypeClick();
    if (!baseFolder_.isEmpty() && QFileInfo(baseFolder_).isDir()) {
        baseFolder_ = WithSlash(baseFolder_);
        page_ = mode_ == 0 ? 20 : 0;
        GotoPage(page_, 0, -1);
    } else {
        ShowFailure(afServerPathNotFound);
    }
}

QString TformArchive::TempRoot() const { return programFolder_ + tempFolderName_; }

QString TformArchive::TempFolder() const { return workFolder_; }

QString TformArchive::FloppyRoot() const
{
    return WithSlash(comboDrive->currentData().toString());
}

QString TformArchive::ArchiveFolder() const
{
    switch (targetKind_) {
    case kServer: return dataFolder_ + QStringLiteral("Archive");
    case kFloppies: return FloppyRoot();
    default: return editDirectory->text();
    }
}

QString TformArchive::DatabaseFile() const
{
    if (DbConnection && !DbConnection->Path().isEmpty())
        return DbConnection->Path();
    return dataFolder_ + QLatin1String(MainDatabaseFileName);
}

QString TformArchive::CabinetFailure(bool Writing, const QString &Where) const
{
    using namespace platform::cab;
    QString what;
    if (Writing) {
        switch (cabError_) {
        case WriterOpenSource:
        case WriterReadSource: what = QStringLiteral("копието на базата данни не може да бъде прочетено"); break;
        case WriterAllocFail: what = SystemErrorText(ENOMEM); break;
        case WriterTempFile: what = QStringLiteral("временният файл на архива не може да бъде записан"); break;
        case WriterCabinetFile: what = QStringLiteral("архивният файл не може да бъде записан"); break;
        case WriterUserAbort: what = QStringLiteral("прекъснато от потребителя"); break;
        case WriterFormatLimit: what = QStringLiteral("базата данни е по-голяма, отколкото архивът побира"); break;
        default: what = QStringLiteral("грешка при компресирането"); break;
        }
        what = ArchiveNotWritten(Where, what);
    } else {
        QString form = QStringLiteral("Архивът %1 %2");
        switch (cabError_) {
        case ReaderCabinetNotFound: what = QStringLiteral("не може да бъде отворен или липсва някоя от следващите му части"); break;
        case ReaderNotACabinet: what = QStringLiteral("не е архивно копие"); break;
        case ReaderUnknownVersion: what = QStringLiteral("е от непозната версия"); break;
        case ReaderCorruptCabinet:
        case ReaderDecompressorFail: what = QStringLiteral("е повреден"); break;
        case ReaderAllocFail: what = QStringLiteral("не може да бъде разархивиран: ") + SystemErrorText(ENOMEM); break;
        case ReaderBadCompressionType: what = QStringLiteral("е компресиран по непознат начин"); break;
        case ReaderTargetFile: what = QStringLiteral("не може да бъде разархивиран: базата данни не може да бъде записана"); break;
        case ReaderReserveMismatch:
        case ReaderWrongCabinet: what = QStringLiteral("се състои от части на различни архиви"); break;
        case ReaderUserAbort: form = QStringLiteral("Разархивирането на архива %1 е прекъснато%2"); break;
        default: what = QStringLiteral("не може да бъде разархивиран"); break;
        }
        what = form.arg(Native(Where), what);
    }
    if (cabErrorType_ > 0)
        what += QStringLiteral(": ") + SystemErrorText(cabErrorType_);
    return what + QStringLiteral(" (код на грешката %1).").arg(cabError_);
}

void TformArchive::Pump() { QApplication::processEvents(); }

void TformArchive::SetStatus(const QString &Text)
{
    labelStatus->setText(Text);
    Pump();
}

void TformArchive::SetInfo(const QString &Text) { labelInfo->setText(ScreenText(Text)); }

void TformArchive::StartAnimation(bool On) { Animation->setRange(0, On ? 0 : 1); }

// ---------------------------------------------------------------- pages

void TformArchive::SetNextEnabled(int Page, int OverridePage)
{
    const bool enabled = (Page < 98 && Page != -1) || OverridePage > 0;
    actNext->setEnabled(enabled);
    if (isVisible()) {
        if (actNext->isEnabled())
            btnNext->setFocus();
        else if (actPrev->isEnabled())
            btnPrev->setFocus();
        else
            btnCancel->setFocus();
    }
    actCancel->setText(enabled ? QStringLiteral("О&тказ") : QStringLiteral("&Изход"));
}

void TformArchive::SetBusy(bool Flag)
{
    busy_ = Flag;
    actPrev->setEnabled(actPrev->isEnabled() && !Flag);
    actNext->setEnabled(actNext->isEnabled() && !Flag);
    if (Flag)
        btnCancel->setFocus();
}

void TformArchive::ShowFailure(int Code)
{
    lastFailure_ = Code;
    // What exactly failed, where the step found it out.
    const QString detail = failureDetail_.isEmpty() ? QString() : QStringLiteral("\r") + failureDetail_;
    failureDetail_.clear();
    SetInfo(QStringLiteral("\r\r") + ArchiveFailureText(Code) + detail);
    GotoPage(-1, 0, 0);
}

void TformArchive::Next()
{
    if (!actNext->isEnabled())
        return;
    ++page_;
    GotoPage(page_, page_ - 1, -1);
}

void TformArchive::Prev()
{
    if (!actPrev->isEnabled())
        return;
    page_ = backPage_;
    GotoPage(page_, page_ + 1, -1);
}

void TformArchive::Cancel()
{
    if (busy_) {
        if (CAB->Busy())
            CAB->Abort();
        else
            cancelRequest_ = true;
        return;
    }
    done(QDialog::Rejected);
}

void TformArchive::reject() { Cancel(); }

void TformArchive::closeEvent(QCloseEvent *Event)
{
    if (busy_) {
        Cancel();
        Event->ignore();
        return;
    }
    QDialog::closeEvent(Event);
}

void TformArchive::GotoPage(int Page, int PrevPage, int OverridePage)
{
    actPrev->setEnabled(page_ > 0 && page_ != 20);
    SetNextEnabled(Page, OverridePage);
    backPage_ = PrevPage;
    page_ = OverridePage >= 0 ? OverridePage : Page;

    switch (Page) {
    case 20:
        groupFrom->setTitle(LoadResString(rsArchiveToTitle));
        SetInfo(LoadResString(rsArchiveWizardIntro));
        labelInfo->show();
        checkDeleteDisk->hide();
        break;
    case 21: {
        if (!OtherFolderAccepted()) {
            page_ = 20;
            GotoPage(20, 0, -1);
            editDirectory->setFocus();
            break;
        }
        const int code = PrepareTempFolder();
        if (code)
            ShowFailure(code);
        else
            GotoPage(23, 20, -1);
        break;
    }
    case 23: {
        SetBusy(true);
        groupFrom->hide();
        panelArchives->hide();
        panelProgress->show();
        StartAnimation(true);
        SetInfo(LoadResString(rsArchiveInProgress));
        QString target;
        if (targetKind_ == kServer)
            target = baseFolder_;
        else if (targetKind_ == kFloppies)
            target = TempFolder();
        else
            target = editDirectory->text();
        SetStatus(LoadResString(rsDeactivatingDatabase));
        nextCabinetSize_ = targetKind_ == kFloppies ? int(std::llround(double(editVolumeSize->Value())))
                                                    : kFolderNextSize;
        CloseDbConnection();
        const int code = MakeArchive(target);
        if (code) {
            CloseDbConnection();
            ShowFailure(code);
        } else {
            GotoPage(targetKind_ == kFloppies ? 24 : 99, 20, -1);
        }
        break;
    }
    case 24:
        panelProgress->hide();
        StartAnimation(false);
        labelInfo->show();
        checkDeleteDisk->show();
        SetInfo(LoadResString(rsFloppyTransferWarning));
        break;
    case 25: {
        SetBusy(true);
        labelInfo->hide();
        panelProgress->show();
        StartAnimation(true);
        checkDeleteDisk->hide();
        SetStatus(LoadResString(rsTransferring));
        const int code = WriteFloppies();
        if (code)
            ShowFailure(code);
        else
            GotoPage(99, 20, -1);
        break;
    }
    case 0:
        SetInfo(LoadResString(rsRestoreWizardIntro));
        labelInfo->show();
        checkDeleteDisk->hide();
        panelArchives->setVisible(targetKind_ != kFloppies);
        groupFrom->setTitle(LoadResString(rsRestoreFromTitle));
        UpdateRestoreActions();
        break;
    case 1: {
        if (!OtherFolderAccepted()) {
            page_ = 0;
            GotoPage(0, 0, -1);
            editDirectory->setFocus();
            break;
        }
        const int code = PrepareTempFolder();
        if (code)
            ShowFailure(code);
        else
            GotoPage(2, 0, -1);
        break;
    }
    case 2: {
        SetBusy(true);
        const QString name = SelectedArchiveName();
        panelArchives->hide();
        groupFrom->hide();
        labelInfo->hide();
        SetInfo(LoadResString(rsRestoreReadingData));
        panelProgress->show();
        StartAnimation(true);
        QString folder;
        if (targetKind_ == kServer) {
            folder = dataFolder_ + QStringLiteral("Archive");
        } else if (targetKind_ == kFloppies) {
            SetStatus(LoadResString(rsTransferring));
            const int code = FetchFloppies(name);
            if (code) {
                ShowFailure(code);
                break;
            }
            folder = TempFolder();
        } else {
            folder = editDirectory->text();
        }
        SetStatus(LoadResString(rsRestoringData));
        const int code = RestoreArchive(name, folder);
        if (code) {
            ShowFailure(code);
            break;
        }
        SetStatus(LoadResString(rsActivatingDatabase));
        CloseDbConnection();
        GotoPage(98, 0, -1);
        break;
    }
    case 98:
    case 99:
        SetBusy(false);
        StartAnimation(false);
        panelProgress->hide();
        groupFrom->hide();
        labelInfo->show();
        SetInfo(mode_ == 1 && !restoredAside_.isEmpty()
                    ? LoadResString(rsRestoreSucceeded) + QStringLiteral("\r") + restoredAside_
                    : LoadResString(mode_ == 1 ? rsRestoreSucceeded : rsArchiveSucceeded));
        actPrev->setEnabled(false);
        actNext->setEnabled(false);
        btnCancel->setFocus();
        break;
    case -1:
        actPrev->setEnabled(false);
        actNext->setEnabled(false);
        SetBusy(false);
        cancelRequest_ = false;
        StartAnimation(false);
        panelProgress->hide();
        panelArchives->hide();
        groupFrom->hide();
        checkDeleteDisk->hide();
        labelInfo->show();
        if (isVisible() && btnCancel->isEnabled())
            btnCancel->setFocus();
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- steps

bool TformArchive::OtherFolderAccepted()
{
    if (targetKind_ != kOtherFolder)
        return true;
    // A relative folder would be read against the working directory of the
    // moment: the archive would land where no restore looks for it.
    const QString folder = editDirectory->text();
    if (folder.trimmed().isEmpty()) {
        ShowError(LoadResString(rsArchiveFolderEmpty));
        return false;
    }
    if (!QDir::isAbsolutePath(folder)) {
        ShowError(LoadResString(rsArchiveFolderRelative), {folder});
        return false;
    }
    // Said now, not after the database has been copied and compressed.
    if (!QFileInfo(folder).isDir()) {
        ShowError(QStringLiteral("Папката \"%s\" в полето \"Друг носител:\" не съществува. Въведете папка, която "
                                 "съществува."),
                  {folder});
        return false;
    }
    return true;
}

bool TformArchive::CloseDbConnection()
{
    if (DbConnection)
        DbConnection->SetConnected(false);
    return true;
}

int TformArchive::PrepareTempFolder()
{
    // What archives and restores of processes that have ended left behind
    // (a copy of the whole database, cabinets, a half-written copy of the
    // data a restore replaces, a half-written archive) goes; the work of
    // running ones stays.
    if (QFileInfo(TempRoot()).isDir())
        TWorkMark::RemoveAbandoned(TempRoot(), QString());
    SweepRestoreLeftovers(DatabaseFile());
    if (targetKind_ != kFloppies && QFileInfo(ArchiveFolder()).isDir())
        TWorkMark::RemoveAbandoned(ArchiveFolder(), kArchiveWorkStem, ArchiveWorkForm());

    if (!QDir().mkpath(TempRoot()))
        return afTempFolder;
    if (!workMark_)
        workMark_ = std::make_unique<TWorkMark>(TempFolder());
    if (!workMark_->Held()) {
        failureDetail_ = QDir::toNativeSeparators(TempFolder()) + QStringLiteral(": ") + workMark_->Error();
        workMark_.reset();
        return afTempFolder;
    }
    const QString temp = TempFolder();
    DeleteTree(temp);
    return QFileInfo(temp).isDir() || QDir().mkpath(temp) ? 0 : afTempFolder;
}

void TformArchive::RemoveTempFolder()
{
    workMark_.reset();
    // The shared folder goes with the last work in it.
    QDir().rmdir(TempRoot());
}

int TformArchive::MakeArchive(const QString &TargetFolder)
{
    QString target = WithSlash(TargetFolder);
    int size = int(std::llround(double(editVolumeSize->Value())));
    if (targetKind_ == kServer) {
        target = dataFolder_ + QStringLiteral("Archive");
        if (!QFileInfo(target).isDir() && !QDir().mkpath(target))
            return afArchiveFolder;
        target = WithSlash(target);
    }
    if (targetKind_ != kFloppies)
        size = kFolderSize;

    const QString source = DatabaseFile();
    if (!QFileInfo::exists(source)) {
        ShowError(QStringLiteral("Файлът %s не съществува."), {source});
        return afCopyFailed;
    }
    const QString fileName = QFileInfo(source).fileName();
    const QString copy = TempFolder() + QLatin1Char('/') + fileName;

    // The database as one moment left it, whatever other workstations
    // write meanwhile.
    SetStatus(LoadResString(rsFetchingData));
    Progress->setRange(0, 100);
    Progress->setValue(0);
    QString error;
    if (const TSnapshotResult taken = SnapshotDatabase(source, copy, error)) {
        failureDetail_ = error;
        return taken == srDamaged ? afDamagedDatabase : afCopyFailed;
    }
    if (!CopyModificationTime(source, copy)) {
        failureDetail_ = QStringLiteral("Датата на файла %1 не може да бъде пренесена в копието му: %2.")
                             .arg(Native(source), SystemErrorText(errno));
        return afCopyFailed;
    }
    // A damaged database is not archived: its archive could never be
    // restored, and it would stand newest in the list, before the last good
    // one.
    if (QuickCheckDatabase(copy, error) != dvSound) {
        failureDetail_ = Native(source) + QStringLiteral(": ") + error;
        return afDamagedDatabase;
    }
    Progress->setValue(100);

    SetStatus(LoadResString(rsActivatingDatabase));
    CloseDbConnection();

    cabinetCount_ = 0;
    SetStatus(LoadResString(rsCompressing));
    Progress->setValue(0);
    // The set is written where no restore lists it, and named only when
    // whole. Disks get it from the wizard's own folder.
    std::unique_ptr<TWorkMark> work;
    QString folder = target;
    if (targetKind_ == kFloppies) {
        archiveStamp_ = ArchiveTimestamp(QDateTime::currentDateTime());
    } else {
        work = ClaimArchiveName(target, QDateTime::currentDateTime(), archiveStamp_, error);
        if (!work) {
            failureDetail_ = error;
            return afPackFailed;
        }
        folder = WithSlash(work->Path());
    }

    CAB->SetVolumeName(QStringLiteral("Disk1"));
    CAB->SetVolumeSize(size);
    CAB->SetFolderThreshold(kFolderThreshold);
    CAB->SetCABFileName(folder + archiveStamp_ + CabinetPartSuffix(1));
    CAB->CompressionType = 1;
    CAB->LZXWindow = 0;
    CAB->QuantumLevel = 0;
    CAB->QuantumMemory = 0;
    CAB->SetDestinationPath(folder);
    // The database goes in with its own date, which a restore gives back.
    CAB->SetFileSupport(true);
    cabError_ = cabErrorType_ = 0;
    bool added = false;
    try {
        CAB->CreateCabinet();
        added = CAB->AddFile(copy, fileName);
        // The last cabinet is written here: its failure fails the archive.
        added = CAB->FlushCabinet(false) && added;
    } catch (const std::exception &e) {
        added = false;
        failureDetail_ = QString::fromUtf8(e.what());
    }
    try {
        CAB->CloseCabinet();
    } catch (const std::exception &) {
        // The set is given up with its folder either way.
    }
    if (!added) {
        if (failureDetail_.isEmpty())
            failureDetail_ = CabinetFailure(true, target);
        return afPackFailed;
    }
    if (work && !PlaceCabinets(work->Path(), target, archiveStamp_, error)) {
        failureDetail_ = error;
        return afPackFailed;
    }
    return 0;
}

int TformArchive::WriteFloppies()
{
    const int count = cabinetCount_;
    const QString root = FloppyRoot();
    for (int i = 1; i <= count; ++i) {
        const int code = WriteCabinetToFloppy(root, archiveStamp_ + CabinetPartSuffix(i),
                                              checkDeleteDisk->isChecked() && i == 1, i);
        if (code)
            return code;
        if (cancelRequest_)
            return afCancelled;
    }
    return 0;
}

int TformArchive::WriteCabinetToFloppy(const QString &Root, const QString &Cabinet, bool Wipe, int Disk)
{
    const QString source = TempFolder() + QLatin1Char('/') + Cabinet;
    const QString root = WithSlash(Root);
    const QString target = root + Cabinet;
    for (;;) {
        if (Wipe) {
            const QString previous = labelStatus->text();
            labelStatus->setText(LoadResString(rsErasingFloppy));
            WipeFolderContents(root);
            labelStatus->setText(previous);
        }
        Pump();
        qint64 free = 0;
        if (root.isEmpty() || !platform::VolumeFreeSpace(root, free)) {
            failureDetail_ = QStringLiteral("Свободното място на диска %1 не може да бъде прочетено.").arg(Native(root));
            return afCopyFailed;
        }
        if (free > FileSizeByName(source))
            break;
        if (AskOkCancel(LoadResString(rsInsertNextFloppy)) != mrOk) {
            failureDetail_ = QStringLiteral("Прекъснато от потребителя.");
            return afCopyFailed;
        }
        Wipe = true;
    }
    Progress->setValue(0);
    copyError_ = false;
    if (!FileCopy->CopyFile(source, target) || copyError_)
        return afCopyFailed;
    if (!platform::WriteVolumeLabel(root, FloppyVolumeLabel(Disk, cabinetCount_)))
        return afSetDiskNumber;
    return 0;
}

int TformArchive::FetchFloppies(const QString &Name)
{
    Pump();
    const QString root = FloppyRoot();
    cabinetCount_ = 1;
    for (int i = 1; i <= cabinetCount_; ++i) {
        const int code = FetchCabinetFromFloppy(root, Name + CabinetPartSuffix(i));
        if (code)
            return code;
        if (cancelRequest_)
            return afCancelled;
    }
    return 0;
}

int TformArchive::FetchCabinetFromFloppy(const QString &Root, const QString &Cabinet)
{
    const QString root = WithSlash(Root);
    const QString source = root + Cabinet;
    const QString target = TempFolder() + QLatin1Char('/') + Cabinet;
    for (;;) {
        Pump();
        if (!root.isEmpty() && QFileInfo::exists(source))
            break;
        if (AskOkCancel(LoadResString(rsInsertNextFloppy)) != mrOk)
            return afNoArchives;
    }
    QString label;
    if (!platform::ReadVolumeLabel(root, label))
        return afReadDiskNumber;
    label = label.left(32);
    QString disks;
    GetPiece(label.mid(3), QLatin1Char('-'), 1, disks);
    bool number = false;
    const int count = disks.trimmed().toInt(&number);
    cabinetCount_ = number ? count : 1;
    Progress->setValue(0);
    copyError_ = false;
    if (!FileCopy->CopyFile(source, target) || copyError_)
        return afCopyFailed;
    return 0;
}

int TformArchive::RestoreArchive(const QString &Name, const QString &Folder)
{
    const QString folder = WithSlash(Folder);
    restoredAside_.clear();
    SetStatus(LoadResString(rsDecompressing));
    Progress->setValue(0);
    const QString first = folder + Name + CabinetPartSuffix(1);
    CAB->SetCABFileName(first);
    CAB->SetDestinationPath(TempFolder() + QLatin1Char('/'));
    CAB->SetFileSupport(true);
    cabError_ = cabErrorType_ = 0;
    bool extracted = false;
    try {
        extracted = !Name.isEmpty() && CAB->ExtractFiles(0);
        if (!extracted)
            failureDetail_ = CabinetFailure(false, first);
    } catch (const ECabApiError &e) {
        failureDetail_ = QStringLiteral("Датата или правата на разархивирания файл не могат да бъдат зададени: %1.")
                             .arg(SystemErrorText(e.ErrorCode()));
    } catch (const std::exception &e) {
        failureDetail_ = QString::fromUtf8(e.what());
    }
    if (!extracted)
        return afUnpackFailed;

    // The archive must hold a sound database of the program before the
    // current one is touched.
    const QString live = DatabaseFile();
    const QString restored = TempFolder() + QLatin1Char('/') + QFileInfo(live).fileName();
    QString error;
    if (const int code = CheckArchivedDatabase(restored, error)) {
        failureDetail_ = code == afForeignArchive
                           ? error
                           : QStringLiteral("Базата данни в архива %1: %2").arg(Native(first), error);
        return code;
    }

    SetStatus(LoadResString(rsDeactivatingDatabase));
    CloseDbConnection();

    SetStatus(LoadResString(rsRestoringData));
    Progress->setValue(0);
    // The current data stay aside, each restore's under a name of its own.
    // No events are run while the file is held: a window's query would wait
    // for this very lock.
    TRestoredDatabase done;
    const auto progress = [this](qint64 Done, qint64 Total) {
        Progress->setValue(Total > 0 ? int(Done * 100 / Total) : 100);
    };
    if (!RestoreDatabaseFile(restored, live, done, error, progress)) {
        failureDetail_ = error;
        return afCopyFailed;
    }
    restoredAside_ = RestoredAsideText(done);
    // The database carries the date it had when it was archived; an archive
    // stored without one (its date falls before the format's first year)
    // leaves the time of the restore.
    if (QFileInfo(restored).lastModified().date().year() >= 1980)
        CopyModificationTime(restored, live);
    Progress->setValue(100);
    return 0;
}

void TformArchive::ListArchives()
{
    QString folder;
    if (targetKind_ == kServer)
        folder = dataFolder_ + QStringLiteral("Archive");
    else if (targetKind_ == kFloppies)
        folder = FloppyRoot();
    else
        folder = editDirectory->text();
    listArchives->clear();
    Pump();
    if (folder.isEmpty())
        return;
    const QDir dir(WithSlash(folder));
    const QFileInfoList entries = dir.entryInfoList({QString(8, QLatin1Char('?')) + QLatin1Char('-') + QString(6, QLatin1Char('?')) + QStringLiteral(".*")},
                                                    QDir::AllEntries | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        const QString fileName = entry.fileName();
        QString name, part;
        GetPiece(fileName, QLatin1Char('.'), 0, name);
        GetPiece(fileName, QLatin1Char('.'), 1, part);
        // Only the first part of a whole set is listed: a set is named only
        // when whole, and a cabinet cut short (by a copy that broke off, or
        // an archive of an older build that died) is no archive.
        if (part != QLatin1String("1") || fileName != name + CabinetPartSuffix(1)
            || !TCabArchive::IsWholeCabinet(entry.absoluteFilePath()))
            continue;
        // A file that only looks like an archive is passed over.
        QDate date;
        try {
            date = YyyymmddToDate(name.left(8));
        } catch (const std::exception &) {
            continue;
        }
        if (date.toString(QStringLiteral("yyyyMMdd")) != name.left(8))
            continue;
        const QString clock = name.mid(9, 6);
        const auto two = [&clock](int at) {
            bool ok = false;
            const int n = clock.mid(at, 2).toInt(&ok);
            return ok ? n : 0;
        };
        const QTime time(two(0), two(2), two(4));
        if (!time.isValid())
            continue;
        auto *item = new QTreeWidgetItem(listArchives);
        item->setText(0, date.toString(QStringLiteral("dd.MM.yyyy")));
        item->setText(1, time.toString(QStringLiteral("HH:mm:ss")));
    }
}

QString TformArchive::SelectedArchiveName() const
{
    const QTreeWidgetItem *item = listArchives->currentItem();
    if (!item || !item->isSelected())
        return QString();
    const QString date = item->text(0);
    const QString time = item->text(1);
    return date.mid(6, 4) + date.mid(3, 2) + date.mid(0, 2) + QLatin1Char('-') + time.mid(0, 2) + time.mid(3, 2)
         + time.mid(6, 2);
}

void TformArchive::UpdateRestoreActions()
{
    if (mode_ != 1)
        return;
    actNext->setEnabled(!SelectedArchiveName().isEmpty() && page_ == 0 && !busy_);
    actDeleteArchive->setEnabled(false);
}

void TformArchive::radioArchiveTypeClick()
{
    if (radioServer->isChecked())
        targetKind_ = kServer;
    else if (radioFloppy->isChecked())
        targetKind_ = kFloppies;
    else if (radioPath->isChecked())
        targetKind_ = kOtherFolder;
    editVolumeSize->setEnabled(targetKind_ != kServer);
    labelVolumeSize->setEnabled(targetKind_ != kServer);
    if (mode_ == 1) {
        ListArchives();
        UpdateRestoreActions();
    }
}

void TformArchive::ChooseFileName()
{
    Pump();
    const QString folder =
        QFileDialog::getExistingDirectory(this, LoadResString(rsChooseFolder), QStringLiteral("/"));
    if (!folder.isEmpty())
        editDirectory->setText(folder);
}

void TformArchive::LoadArchiveChoices()
{
    QString value;
    GetRegistrySetting(QStringLiteral("formArchive_radioServer"), value);
    if (value == QLatin1String("1"))
        radioServer->setChecked(true);
    GetRegistrySetting(QStringLiteral("formArchive_radioFloppy"), value);
    if (value == QLatin1String("1") && radioFloppy->isEnabled())
        radioFloppy->setChecked(true);
    GetRegistrySetting(QStringLiteral("formArchive_radioPath"), value);
    if (value == QLatin1String("1"))
        radioPath->setChecked(true);
    GetRegistrySetting(QStringLiteral("formArchive_editDirectory"), value);
    editDirectory->setText(value);
    if (!radioServer->isChecked() && !radioFloppy->isChecked() && !radioPath->isChecked())
        radioServer->setChecked(true);
    // A remembered disk that is not there now falls back to the server.
    if (radioFloppy->isChecked() && !radioFloppy->isEnabled())
        radioServer->setChecked(true);
}

void TformArchive::SaveArchiveChoices()
{
    const auto flag = [](const QRadioButton *r) { return r->isChecked() ? QStringLiteral("1") : QStringLiteral("0"); };
    SetRegistrySetting(QStringLiteral("formArchive_radioServer"), flag(radioServer));
    SetRegistrySetting(QStringLiteral("formArchive_radioFloppy"), flag(radioFloppy));
    SetRegistrySetting(QStringLiteral("formArchive_radioPath"), flag(radioPath));
    SetRegistrySetting(QStringLiteral("formArchive_editDirectory"), editDirectory->text());
}
