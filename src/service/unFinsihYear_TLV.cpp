#include "service/unFinsihYear_TLV.h"

#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unSchema.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "platform/system/ReplacingFile.h"
#include "service/DatabaseFileCheck.h"
#include "service/FileCopier.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const kAlreadyDone = "Годишното приключване вече е извършено.";
const char *const kNoYear = "Годишното приключване не е извършено: текущата година (\"%s\") не е година от 1 до 9999. "
                            "Въведете я в настройките на фирмата.";
const char *const kRenameError = "Файлът %s не може да бъде преименуван на %s.";
const char *const kFolderError = "Директорията %s не може да бъде създадена: %s";
const char *const kLockError = "Файлът %s не може да бъде създаден: %s";
const char *const kLastYear = "Годишното приключване не е извършено: %s е последната година, която програмата "
                              "може да води, и след нея не може да бъде открита нова.";
const char *const kBadTemplate = "Годишното приключване не е извършено: празната база данни %s не може да бъде "
                                 "използвана:\r%s\r";
const char *const kDeleteTemplate =
    "Изтрийте я и стартирайте програмата отново: програмата ще създаде нова празна база данни.";
// What a new template lacks of this one: the rows of those tables, which
// the closing does not carry.
const char *const kNewTemplateLacks =
    " Новата няма да съдържа записите на таблици %s, които са в тази и които годишното приключване не пренася: "
    "след приключването ги въведете отново в новата година.";
const char *const kTemplateInUse = "Затворете програмата, която я използва, и опитайте отново.";
const char *const kTemplateUnread = "Файлът не е променен. Отстранете причината и опитайте отново.";
const char *const kCopyFailed = "Годишното приключване не е извършено: празната база данни %s не може да бъде "
                                "копирана в папката %s.\r%s";

// The master data carried into the new year, with each table's key: the
// code-and-name tables first, then the wider ones.
struct CarriedTable
{
    const char *Name;
    const char *Keys;   // ',' between the columns of a composite key
};
const CarriedTable kCarried[] = {
    {"Busses", "c_bus"},
    {"FVD", "code_FVD"},
    {"Groups", "code_g"},
    {"Merki", "n_Miarka"},
    {"Payment_types", "code_payment"},
    {"SubGroup", "code_s"},
    {"VA", "code_VA"},
    {"CustGroups", "code_c"},
    {"Izdelia", "code_izd"},
    {"Nas", "n_nas,IP_Address"},
    {"Obekti", "code_of_object"},
    {"Razhodni_normi", "code_izdelie,code_resource"},
    {"Resources", "code_r"},
};

// Line breaks of the system's texts ("\r", "\n\r", "\r\n") as a label shows
// them.
QString ScreenText(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

// Makes Folder and its parents; on failure Reason is the system's reason.
bool MakeFolder(const QString &Folder, QString &Reason)
{
    const QString clean = QDir::cleanPath(QDir(Folder).absolutePath());
    QString path;
    for (const QString &part : clean.split(QLatin1Char('/'))) {
        path += part.isEmpty() && path.isEmpty() ? QString() : QLatin1Char('/') + part;
        if (path.isEmpty())
            continue;
        const QByteArray native = QFile::encodeName(path);
        struct stat st;
        if (::stat(native.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                Reason = SystemErrorText(ENOTDIR);
                return false;
            }
            continue;
        }
        if (::mkdir(native.constData(), 0777) != 0 && errno != EEXIST) {
            Reason = SystemErrorText(errno);
            return false;
        }
    }
    return true;
}

// The year as the settings window takes it (one to four digits, not all
// zeros); 0 for any other text, so that no arithmetic ever meets a number
// that does not fit.
int ClosingYear(const QString &Text)
{
    const QString s = Text.trimmed();
    if (s.isEmpty() || s.size() > 4)
        return 0;
    for (const QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    return s.toInt();
}

// What the clerk is to do with a template the closing refused (Verdict):
// a file held by another program, or not read for a cause of its own, is
// not to be deleted; deleting one that serves no more loses what it held
// of the master data the closing does not carry, which is then named.
QString TemplateRemedy(const QString &Path, TDatabaseFileVerdict Verdict)
{
    if (Verdict == dvBusy)
        return QString::fromUtf8(kTemplateInUse);
    if (Verdict == dvUnreadable)
        return QString::fromUtf8(kTemplateUnread);
    QStringList uncarried;
    for (const QString &table : AllTableNames())
        if (!StoredDocumentTableNames().contains(table)
            && std::none_of(std::begin(kCarried), std::end(kCarried),
                            [&table](const CarriedTable &Carried) { return table == QLatin1String(Carried.Name); }))
            uncarried << table;
    TDatabaseFileVerdict read = dvSound;
    QString unread;
    const QStringList lacking = TablesHoldingRows(Path, uncarried, read, unread);
    QString remedy = QString::fromUtf8(kDeleteTemplate);
    if (read == dvSound && !lacking.isEmpty())
        remedy += QString::fromUtf8(kNewTemplateLacks).replace(QLatin1String("%s"), lacking.join(QStringLiteral(", ")));
    return remedy;
}

static const bool registered = RegisterFormClass(
    QStringLiteral("TfrmFinsihYear_TLV"), [](QWidget *Owner) -> QWidget * { return new TfrmFinsihYear_TLV(Owner); });

} // namespace

// ---------------------------------------------------------------- the claim

QString TYearEndClaim::LockFileName()
{
    return QStringLiteral("~") + QLatin1String(YearDatabaseFileName) + QStringLiteral(".lock");
}

TYearEndClaim::TYearEndClaim(const QString &Folder)
{
    if (!lock_.TryLock(QDir(Folder).filePath(LockFileName()), true))
        return;
    // Who holds it, for anyone who looks into the folder; the lock, not this
    // note, is the claim.
    const QByteArray who = QByteArray::number(QCoreApplication::applicationPid()) + ' '
                         + QSysInfo::machineHostName().toUtf8() + '\n';
    const bool noted = ::ftruncate(lock_.Handle(), 0) == 0
                    && ::write(lock_.Handle(), who.constData(), size_t(who.size())) == ssize_t(who.size());
    Q_UNUSED(noted);
}

TYearEndClaim::~TYearEndClaim() = default;

// ---------------------------------------------------------------- the window

TfrmFinsihYear_TLV::TfrmFinsihYear_TLV(QWidget *Owner) : QDialog(Owner)
{
    setWindowTitle(QStringLiteral("Годишно приключване"));
    auto *layout = new QVBoxLayout(this);
    panelText = new QLabel(this);
    panelText->setObjectName(QStringLiteral("panelText"));
    panelText->setWordWrap(true);
    panelText->setTextFormat(Qt::PlainText);
    panelText->setAlignment(Qt::AlignCenter);
    panelText->setFrameShape(QFrame::Panel);
    panelText->setFrameShadow(QFrame::Sunken);
    panelText->setMinimumSize(480, 140);
    layout->addWidget(panelText, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    btnNext = new QPushButton(QStringLiteral("&Продължение"), this);
    btnNext->setObjectName(QStringLiteral("btnNext"));
    btnNext->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Край"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    buttons->addWidget(btnNext);
    buttons->addWidget(btnCancel);
    layout->addLayout(buttons);

    auto *status = new QHBoxLayout;
    StatusText = new QLabel(this);
    StatusText->setObjectName(QStringLiteral("StatusText"));
    Gauge = new QProgressBar(this);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setRange(0, 100);
    Gauge->setValue(0);
    status->addWidget(StatusText, 1);
    status->addWidget(Gauge);
    layout->addLayout(status);

    // A failed copy is reported by the closing, in its own words.
    FileCopier = new TFileCopier(this);

    connect(btnNext, &QPushButton::clicked, this, [this] { btnNextClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmFinsihYear_TLV::~TfrmFinsihYear_TLV() = default;

void TfrmFinsihYear_TLV::showEvent(QShowEvent *Event)
{
    QDialog::showEvent(Event);
    panelText->setText(ScreenText(QStringLiteral("   Моля останалите потребители на системата да НЕ работят с нея\n\r"
                                                 " докато се извършва годишното приключване. \n\r"
                                                 "   Добре е да създадете предварително архивно копие\n\r на ")
                                  + CurrentYearText() + QStringLiteral(" година.")));
}

QString TfrmFinsihYear_TLV::CurrentYearText() const
{
    const QString tag = DatabaseTag();
    if (!tag.isEmpty()) {
        QString year;
        GetPiece(tag, QLatin1Char('_'), 1, year);
        return year;
    }
    // The main database keeps the year among the company's values.
    if (!DbConnection)
        return QString();
    TDelimitedStringList va;
    try {
        LoadVaSettings(nullptr, va);
    } catch (const std::exception &) {
        return QString();
    }
    return VaSetting(va, VaYear).trimmed();
}

QString TfrmFinsihYear_TLV::DatabaseGroup() const
{
    QString group;
    GetPiece(DatabaseTag(), QLatin1Char('_'), 0, group);
    return group;
}

QString TfrmFinsihYear_TLV::NextYearDatabasePath(int NextYear) const
{
    const QString folder = QDir::cleanPath(BaseFolder() + QStringLiteral("db/") + DatabaseGroup() + QLatin1Char('/')
                                           + QString::number(NextYear));
    return folder + QLatin1Char('/') + QLatin1String(YearDatabaseFileName);
}

void TfrmFinsihYear_TLV::Status(const QString &Text)
{
    StatusText->setText(Text);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmFinsihYear_TLV::Step()
{
    Gauge->setValue(qMin(Gauge->maximum(), Gauge->value() + 1));
}

bool TfrmFinsihYear_TLV::btnNextClick()
{
    // A year that is no number would make the database of year 1; one
    // longer than the settings window's four digits need not even have a
    // next year that a count holds. Refused before any arithmetic.
    const QString yearText = CurrentYearText();
    const int year = ClosingYear(yearText);
    if (year <= 0) {
        ShowError(QString::fromUtf8(kNoYear), {yearText});
        return false;
    }
    // The year after the last one the settings window holds could never be
    // entered nor closed in its turn.
    if (year >= 9999) {
        ShowError(QString::fromUtf8(kLastYear), {yearText});
        return false;
    }
    const int newYear = year + 1;
    // The folder is the year written, from the one reading above.
    const QString target = NextYearDatabasePath(newYear);
    const QString folder = QFileInfo(target).absolutePath() + QLatin1Char('/');

    const QString templatePath = BaseFolder() + QStringLiteral("db/") + QLatin1String(TemplateDatabaseFileName);
    if (!QFileInfo::exists(templatePath)) {
        ShowError(QStringLiteral("Файлът %s не съществува."), {templatePath});
        return false;
    }
    // The template must be the program's own empty database: a file of
    // another program would make a next year without the program's tables,
    // and that year could not be closed again. Tables the closing makes
    // itself may be missing.
    QString reason;
    // Nor may it hold documents (a year's database copied over it): they
    // would go into the new year as if typed there. Master data kept in it
    // (packaging, operators, prices) is how a bakery brings them into the
    // new year, which the closing does not carry.
    TDatabaseFileVerdict verdict = CheckProgramDatabase(templatePath, dcMasterTablesMayLack, reason);
    if (verdict == dvSound)
        reason = DocumentsHeld(templatePath, verdict);
    if (verdict != dvSound) {
        ShowError(QString::fromUtf8(kBadTemplate) + TemplateRemedy(templatePath, verdict),
                  {QDir::toNativeSeparators(templatePath), reason});
        return false;
    }
    if (!MakeFolder(folder, reason)) {
        ShowError(QString::fromUtf8(kFolderError), {QDir::toNativeSeparators(folder), reason});
        return false;
    }
    // One closing at a time: two building the same year would each take
    // the other's half-made file for their own.
    const TYearEndClaim claim(folder);
    if (!claim.Held()) {
        if (claim.Error().isEmpty())
            ShowWarning(LoadResString(rsYearEndRunning));
        else
            ShowError(QString::fromUtf8(kLockError),
                      {QDir::toNativeSeparators(folder + TYearEndClaim::LockFileName()), claim.Error()});
        return false;
    }
    // The year once closed keeps its database: documents may be in it.
    if (QFileInfo::exists(target)) {
        ShowWarning(QString::fromUtf8(kAlreadyDone));
        return false;
    }
    // What closings that broke off left behind; under the claim no other
    // closing is building here.
    const QString leftover = QStringLiteral("~*") + QLatin1String(YearDatabaseFileName);
    const QStringList leftovers = {leftover, leftover + QStringLiteral("-*"),
                                   QLatin1Char('.') + leftover + QStringLiteral(".*")};
    for (const QString &name : QDir(folder).entryList(leftovers, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(folder + name);

    btnNext->setEnabled(false);
    Gauge->setRange(0, 4 + int(MasterTableNames().size()) + int(std::size(kCarried)));
    Gauge->setValue(0);

    // Built under a name of this process beside the final one, and given
    // that name only when whole and checked: a closing that stops half-way
    // leaves no next-year database behind.
    const QString temp = folder + QStringLiteral("~%1.").arg(QCoreApplication::applicationPid())
                       + QLatin1String(YearDatabaseFileName);
    bool ok = false;
    Status(QStringLiteral("Копиране на празната база ..."));
    if (FileCopier->CopyFile(templatePath, temp)) {
        Step();
        ok = BuildDatabase(temp, newYear);
    } else {
        ShowError(QString::fromUtf8(kCopyFailed), {QDir::toNativeSeparators(templatePath),
                                                       QDir::toNativeSeparators(folder),
                                                       CopyFailureText(FileCopier->LastFailure())});
    }
    if (ok && !CheckBuiltDatabase(temp, newYear, reason)) {
        ShowError(LoadResString(rsYearEndCheckFailed), {reason});
        ok = false;
    }
    struct stat built;
    if (ok && ::stat(QFile::encodeName(temp).constData(), &built) != 0) {
        ShowError(LoadResString(rsYearEndCheckFailed), {SystemErrorText(errno)});
        ok = false;
    }
    if (ok) {
        const int error = platform::PlaceWithoutReplacing(temp, target);
        if (error == EEXIST) {
            // Only a database made meanwhile stands in the way.
            ShowWarning(QString::fromUtf8(kAlreadyDone));
            ok = false;
        } else if (error != 0) {
            ShowError(QString::fromUtf8(kRenameError),
                      {QDir::toNativeSeparators(temp), QDir::toNativeSeparators(target) + QStringLiteral(": ")
                                                           + SystemErrorText(error)});
            ok = false;
        }
    }
    if (ok) {
        // The file under the name must be the very one built and checked.
        struct stat placed;
        if (::stat(QFile::encodeName(target).constData(), &placed) != 0 || placed.st_dev != built.st_dev
            || placed.st_ino != built.st_ino) {
            ShowError(LoadResString(rsYearEndCheckFailed), {QDir::toNativeSeparators(target)});
            ok = false;
        }
    }
    if (!ok) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
        Status(QString());
        btnNext->setEnabled(true);
        return false;
    }
    Step();
    Gauge->setValue(Gauge->maximum());
    Status(QString());
    panelText->setText(LoadResString(rsYearEndDone));
    btnNext->hide();
    btnCancel->setDefault(true);
    btnCancel->setFocus();
    return true;
}

bool TfrmFinsihYear_TLV::BuildDatabase(const QString &TempPath, int NewYear)
{
    TADOConnection newDb;
    newDb.SetConnectionString(ConnectionStringTemplate(QStringLiteral("Data Source = %1; ").arg(TempPath)));
    newDb.SetLoginPrompt(false);

    Status(QStringLiteral("Създаване на таблиците ..."));
    for (const QString &table : MasterTableNames()) {
        bool exists = false;
        try {
            exists = TableExists(&newDb, table);
        } catch (const Exception &e) {
            ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + e.Message());
            return false;
        }
        if (!exists && !ExecSQL(this, &newDb, CreatingStatement(table)))
            return false;
        Step();
    }
    const bool carried = CarryMasterData(newDb, NewYear);
    newDb.Close();
    return carried;
}

bool TfrmFinsihYear_TLV::CheckBuiltDatabase(const QString &Path, int NewYear, QString &Reason)
{
    Status(QStringLiteral("Проверка на новата база ..."));
    // Whole, and with every table of the program.
    if (CheckProgramDatabase(Path, dcStrict, Reason) != dvSound)
        return false;
    try {
        platform::Database db(Path);
        // The year written last: a file that is still the template has none.
        // (A per-year database may keep its year in its name only.)
        const platform::QueryResult year = db.Query(QStringLiteral("SELECT value_va FROM VA WHERE code_va = 8"));
        const QString written = year.rows.empty() || year.rows[0].isEmpty() ? QString() : year.rows[0][0].trimmed();
        if (written != QString::number(NewYear) && (DatabaseTag().isEmpty() || !year.rows.empty())) {
            Reason = QStringLiteral("VA 8 = \"%1\"").arg(written);
            return false;
        }
    } catch (const Exception &e) {
        Reason = e.Message();
        return false;
    }
    return true;
}

bool TfrmFinsihYear_TLV::CarryMasterData(TADOConnection &NewDb, int NewYear)
{
    // The current database is attached to the new one, so the rows go over
    // inside the database engine: names keep every character and numbers
    // every digit, and no value is ever written into a statement.
    const QString current = DbConnection ? DbConnection->Path() : QString();
    sqlite3 *handle = nullptr;
    try {
        handle = NewDb.Handle();
    } catch (const Exception &e) {
        ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + e.Message());
        return false;
    }
    {
        sqlite3_stmt *attach = nullptr;
        int rc = sqlite3_prepare_v2(handle, "ATTACH DATABASE ?1 AS cur", -1, &attach, nullptr);
        const QByteArray path = current.toUtf8();
        if (rc == SQLITE_OK)
            rc = sqlite3_bind_text(attach, 1, path.constData(), path.size(), SQLITE_TRANSIENT);
        if (rc == SQLITE_OK)
            rc = sqlite3_step(attach);
        sqlite3_finalize(attach);
        if (rc != SQLITE_DONE || current.isEmpty() || !QFileInfo::exists(current)) {
            ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r")
                      + platform::DatabaseFailureText(rc == SQLITE_DONE ? SQLITE_CANTOPEN : sqlite3_extended_errcode(handle))
                      + QStringLiteral("\n\r") + current);
            return false;
        }
    }

    bool ok = true;
    try {
        platform::DbTransaction transaction(NewDb);
        for (const CarriedTable &t : kCarried) {
            const QString table = QLatin1String(t.Name);
            Status(QStringLiteral("Прехвърляне на %1 ...").arg(table));
            Step();
            if (!DbConnection->TableExists(table))
                continue;
            // The columns both years have, in the new table's order; a
            // column added to the program later may be missing in the
            // older database.
            const QStringList oldColumns = DbConnection->ColumnNames(table);
            QStringList columns;
            for (const QString &c : NewDb.ColumnNames(table))
                if (oldColumns.contains(c, Qt::CaseInsensitive))
                    columns << c;
            if (columns.isEmpty())
                continue;
            QStringList match;
            for (const QString &key : QString::fromLatin1(t.Keys).split(QLatin1Char(',')))
                match << QStringLiteral("n.%1 = o.%1").arg(key);
            // Keys the template holds already (the reserved code-0 rows,
            // the document kinds) keep the template's row.
            const QString sql = QStringLiteral("INSERT INTO %1 ( %2 ) SELECT %3 FROM cur.%1 AS o "
                                               "WHERE NOT EXISTS ( SELECT * FROM %1 AS n WHERE %4 )")
                                    .arg(table, columns.join(QStringLiteral(", ")),
                                         QStringLiteral("o.") + columns.join(QStringLiteral(", o.")),
                                         match.join(QStringLiteral(" AND ")));
            if (!ExecSQL(this, &NewDb, sql)) {
                ok = false;
                break;
            }
        }
        if (ok)
            ok = ExecSQL(this, &NewDb,
                         QStringLiteral("Update VA SET value_va = \"%1\" WHERE code_va = 8").arg(NewYear));
        if (ok)
            transaction.Commit();
    } catch (const Exception &e) {
        ShowError(LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + e.Message());
        ok = false;
    }
    sqlite3_exec(handle, "DETACH DATABASE cur", nullptr, nullptr, nullptr);
    return ok;
}
