#include "framework/DocumentSave.h"

#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendForm.h"
#include "platform/Exception.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <sqlite3.h>

namespace {

QString ShortestText(long double Number)
{
    QString s;
    FloatToDotStr(-1, s, Number);
    return s;
}

QString DatabaseErrorText(const QString &Message, const QString &Sql)
{
    QString text = LoadResString(rsDatabaseError) + QStringLiteral("\n\r") + Message;
    if (!Sql.isEmpty())
        text += QStringLiteral("\n\r") + Sql;
    return text;
}

// A number as a statement writes it.
QString NumberLiteral(long double Number) { return Format(QStringLiteral("%f"), {Number}); }

// What a stored number is compared with: the number as a statement writes
// it, read back, as an exists query of that number compares. A whole
// number that a double holds exactly is itself.
double ComparedNumber(long double Number)
{
    if (Number == std::floor(Number) && std::fabs(Number) < 9007199254740992.0L)
        return double(Number);
    return NumberLiteral(Number).toDouble();
}

void RequireConnection()
{
    if (!DbConnection)
        throw platform::EDatabaseError(QStringLiteral("Няма връзка с базата данни."));
}

// Ends the transaction early; the messages are already collected.
struct TSaveStopped
{
};

} // namespace

TStatementBuilder FixedStatement(const QString &Sql)
{
    return [Sql](long double) { return Sql; };
}

bool ConfirmReload(TQuorendForm &Form, const std::function<void()> &Drop)
{
    if (!Form.Modified())
        return true;
    switch (Form.ConfirmSave()) {
    case mrYes:
        return true;
    case mrNo:
        Drop();
        return true;
    default:
        return false;
    }
}

bool TDocumentSwitch::Confirm(TQuorendForm &Form)
{
    if (switching_)
        return false;
    const QStringList wanted = Read();
    if (wanted == shown_)
        return false;
    if (!Form.Modified()) {
        shown_ = wanted;
        return true;
    }
    // The question is a box: the window stays until it is answered.
    const TQuorendForm::THold hold(Form);
    TModalResult answer = mrCancel;
    switching_ = true;
    try {
        Write(shown_);
        answer = Form.ConfirmSave();
        if (answer == mrNo)
            Drop();
        if (answer != mrCancel)
            Write(wanted);
    } catch (...) {
        switching_ = false;
        throw;
    }
    switching_ = false;
    if (answer == mrCancel)
        return false;
    shown_ = wanted;
    return true;
}

// ---------------------------------------------------------------- TQueuedStatements

int TQueuedStatements::NewLine(const QString &Key)
{
    const int id = nextId_++;
    lines_[id].OriginalKey = Key;
    return id;
}

int TQueuedStatements::StoredLine(const QString &OriginalKey)
{
    for (const auto &[id, line] : lines_)
        if (line.Stored && line.OriginalKey == OriginalKey)
            return id;
    const int id = nextId_++;
    TLine &line = lines_[id];
    line.Stored = true;
    line.OriginalKey = OriginalKey;
    return id;
}

const TQueuedStatements::TLine *TQueuedStatements::Find(int Line) const
{
    const auto it = lines_.find(Line);
    return it == lines_.end() ? nullptr : &it->second;
}

TQueuedStatements::TLine &TQueuedStatements::LineAt(int Line)
{
    const auto it = lines_.find(Line);
    if (it == lines_.end())
        throw Exception(Format(LoadResString(rsQueuedLineUnknown), {Line}));
    return it->second;
}

bool TQueuedStatements::IsStored(int Line) const
{
    const TLine *line = Find(Line);
    return line && line->Stored;
}

QString TQueuedStatements::OriginalKey(int Line) const
{
    const TLine *line = Find(Line);
    return line && line->Stored ? line->OriginalKey : QString();
}

QStringList TQueuedStatements::QueuedKeys() const
{
    QStringList keys;
    for (const auto &entry : lines_)
        if (entry.second.Kind != qkNone)
            keys << entry.second.OriginalKey;
    return keys;
}

bool TQueuedStatements::HasQueuedInsert(int Line) const
{
    const TLine *line = Find(Line);
    return line && line->Kind == qkInsert;
}

bool TQueuedStatements::HasQueuedDelete(int Line) const
{
    const TLine *line = Find(Line);
    return line && line->Kind == qkDelete;
}

void TQueuedStatements::Changed()
{
    if (OnChange)
        OnChange();
}

void TQueuedStatements::Put(int Line, const TStatementBuilder &Insert, const TStatementBuilder &Update,
                            const QString &FailureMessage, const QString &NoRowMessage)
{
    TLine &line = LineAt(Line);
    // A stored line deleted and then written again is still in the
    // database: its delete gives way to its update.
    if (line.Kind == qkNone || line.Kind == qkDelete)
        line.Order = nextOrder_++;
    line.Kind = line.Stored ? qkUpdate : qkInsert;
    line.Statement.Build = line.Stored ? Update : Insert;
    line.Statement.FailureMessage = FailureMessage;
    line.Statement.NoRowMessage = NoRowMessage;
    Changed();
}

void TQueuedStatements::Put(int Line, const QString &InsertSql, const QString &UpdateSql)
{
    Put(Line, FixedStatement(InsertSql), FixedStatement(UpdateSql));
}

void TQueuedStatements::Remove(int Line, const TStatementBuilder &Delete, const QString &FailureMessage)
{
    TLine &line = LineAt(Line);
    if (!line.Stored) {
        // Never written: the line leaves no trace.
        lines_.erase(Line);
    } else {
        line.Kind = qkDelete;
        line.Order = nextOrder_++;
        line.Statement.Build = Delete;
        line.Statement.FailureMessage = FailureMessage;
        line.Statement.NoRowMessage.clear();
    }
    Changed();
}

void TQueuedStatements::Remove(int Line, const QString &DeleteSql) { Remove(Line, FixedStatement(DeleteSql)); }

void TQueuedStatements::Forget(int Line)
{
    if (lines_.erase(Line) > 0)
        Changed();
}

std::vector<TQueuedStatement> TQueuedStatements::Statements() const
{
    std::vector<const TLine *> queued;
    for (const auto &entry : lines_)
        if (entry.second.Kind != qkNone)
            queued.push_back(&entry.second);
    auto rank = [](TKind k) { return k == qkDelete ? 0 : k == qkUpdate ? 1 : 2; };
    std::stable_sort(queued.begin(), queued.end(), [&](const TLine *a, const TLine *b) {
        if (rank(a->Kind) != rank(b->Kind))
            return rank(a->Kind) < rank(b->Kind);
        return a->Order < b->Order;
    });
    std::vector<TQueuedStatement> result;
    result.reserve(queued.size());
    for (const TLine *line : queued)
        result.push_back(line->Statement);
    return result;
}

QStringList TQueuedStatements::Texts(long double Number) const
{
    QStringList texts;
    for (const TQueuedStatement &s : Statements())
        texts << s.Build(Number);
    return texts;
}

int TQueuedStatements::Count() const
{
    return int(std::count_if(lines_.begin(), lines_.end(), [](const auto &e) { return e.second.Kind != qkNone; }));
}

void TQueuedStatements::Clear()
{
    const bool had = !lines_.empty();
    lines_.clear();
    if (had)
        Changed();
}

// ---------------------------------------------------------------- TLoadedRows

void TLoadedRows::SetReader(const TReader &Reader, const TKeyOf &KeyOf, const TKeyOf &ValueOf)
{
    // What was loaded stays until a read succeeds: a read that fails then
    // leaves rows the save finds changed, and it refuses.
    reader_ = Reader;
    keyOf_ = KeyOf;
    valueOf_ = ValueOf;
}

void TLoadedRows::SetQuery(QObject *Owner, const QString &Sql, const TKeyOf &KeyOf, const TKeyOf &ValueOf)
{
    SetReader([Owner, Sql](TDelimitedStringList &Rows) { SelectToList(Owner, DbConnection, Sql, Rows); }, KeyOf,
              ValueOf);
}

TLoadedRows::TKeyOf TLoadedRows::FirstFields(int FieldCount)
{
    return [FieldCount](const QStringList &Fields) { return Fields.mid(0, FieldCount).join(QLatin1Char('@')); };
}

void TLoadedRows::Take(const TDelimitedStringList &List, TRows &Rows) const
{
    const QChar d = List.FieldDelimiter();
    for (int i = 0; i < List.Count(); ++i) {
        const QString record = List.Strings(i);
        const QStringList fields = keyOf_ || valueOf_ ? record.split(d) : QStringList();
        Rows[keyOf_ ? keyOf_(fields) : QString()] << (valueOf_ ? valueOf_(fields) : record);
    }
    for (auto &entry : Rows)
        entry.second.sort();
}

TLoadedRows::TRows TLoadedRows::ReadNow(const QStringList *Keys) const
{
    TRows rows;
    TDelimitedStringList list;
    if (Keys && keysReader_ && Keys->isEmpty())
        return rows;
    if (Keys && keysReader_)
        keysReader_(*Keys, list);
    else if (reader_)
        reader_(list);
    else
        return rows;
    Take(list, rows);
    return rows;
}

void TLoadedRows::Read(TDelimitedStringList *Rows)
{
    if (!reader_) {
        Clear();
        return;
    }
    // A read that fails keeps what was loaded: never "nothing loaded",
    // which would let the next save write without comparing.
    TRows rows;
    if (Rows) {
        // The window shows what it loaded: the rows are read once.
        Rows->Clear();
        reader_(*Rows);
        Take(*Rows, rows);
    } else {
        rows = ReadNow();
    }
    Assign(std::move(rows));
}

void TLoadedRows::Clear()
{
    rows_.clear();
    loaded_ = false;
}

void TLoadedRows::Assign(TRows Rows)
{
    rows_ = std::move(Rows);
    loaded_ = true;
}

namespace {

struct TGenderWords
{
    const char *Is;       // "е" / "са"
    const char *Ending;   // of the participle
    const char *Pronoun;  // "го" / "я" / "ги"
};

TGenderWords WordsOf(TNounGender Gender)
{
    switch (Gender) {
    case ngFeminine:
        return {"е", "а", "я"};
    case ngNeuter:
        return {"е", "о", "го"};
    case ngPlural:
        return {"са", "и", "ги"};
    default:
        return {"е", "", "го"};
    }
}

} // namespace

QString ChangedElsewhereMessage(const TDocumentName &Name)
{
    const TGenderWords w = WordsOf(Name.Gender);
    const QString is = QString::fromUtf8(w.Is);
    const QString ending = QString::fromUtf8(w.Ending);
    return Format(LoadResString(rsChangedElsewhere), {Name.Text, is, ending, is, ending, QString::fromUtf8(w.Pronoun)});
}

QString DeletedElsewhereMessage(const TDocumentName &Name)
{
    const TGenderWords w = WordsOf(Name.Gender);
    const QString is = QString::fromUtf8(w.Is);
    const QString ending = QString::fromUtf8(w.Ending);
    return Format(LoadResString(rsDeletedElsewhere), {Name.Text, is, ending, is, ending});
}

QString PaidElsewhereMessage(const TDocumentName &Name)
{
    const TGenderWords w = WordsOf(Name.Gender);
    const QString ending = QString::fromUtf8(w.Ending);
    return Format(LoadResString(rsPaidElsewhere), {Name.Text, QString::fromUtf8(w.Is), ending, ending});
}

// ---------------------------------------------------------------- TDocumentSave

TDocumentSave::TDocumentSave(QObject *Owner) : owner_(Owner) {}

void TDocumentSave::NumberGiven(long double Number)
{
    numbering_ = dnGiven;
    number_ = Number;
}

void TDocumentSave::NumberFromCounter(int Setting, const QString &Address, const QString &FailureMessage)
{
    numbering_ = dnWorkstationCounter;
    counterSetting_ = Setting;
    counterAddress_ = Address;
    counterFailure_ = FailureMessage;
}


void TDocumentSave::NumberFromNextCode(const QString &Field, const QString &Table)
{
    numbering_ = dnNextCode;
    codeField_ = Field;
    codeTable_ = Table;
}

void TDocumentSave::Add(const TStatementBuilder &Build, const QString &FailureMessage)
{
    steps_.push_back({{Build, FailureMessage}, false});
}

void TDocumentSave::Add(const QString &Sql, const QString &FailureMessage) { Add(FixedStatement(Sql), FailureMessage); }

void TDocumentSave::Add(const std::vector<TQueuedStatement> &Statements)
{
    for (const TQueuedStatement &s : Statements)
        steps_.push_back({s, false});
}

void TDocumentSave::AddReplacing(const TStatementBuilder &Build, const QString &FailureMessage)
{
    steps_.push_back({{Build, FailureMessage}, true});
}

void TDocumentSave::ExpectLoaded(TLoadedRows &Loaded, const TDocumentName &Name)
{
    expected_.push_back({&Loaded, true, {}, Name});
}

void TDocumentSave::ExpectLoaded(TLoadedRows &Loaded, const QStringList &Keys, const TDocumentName &Name)
{
    expected_.push_back({&Loaded, false, Keys, Name});
}

bool TDocumentSave::ReadsAll(const TLoadedRows *Loaded) const
{
    return !Loaded->ReadsByKeys() || std::any_of(expected_.begin(), expected_.end(), [Loaded](const TExpected &e) {
               return e.Loaded == Loaded && e.AllKeys;
           });
}

QStringList TDocumentSave::ExpectedKeys(const TLoadedRows *Loaded) const
{
    QStringList keys;
    for (const TExpected &e : expected_)
        if (e.Loaded == Loaded)
            keys += e.Keys;
    return keys;
}

TLoadedRows::TRows TDocumentSave::ReadExpected(const TLoadedRows *Loaded) const
{
    if (ReadsAll(Loaded))
        return Loaded->ReadNow();
    const QStringList keys = ExpectedKeys(Loaded);
    return Loaded->ReadNow(&keys);
}

void TDocumentSave::CheckLoaded()
{
    // Each set of rows is read once, however many of its keys are
    // expected: where it reads by keys, the rows of the keys of all its
    // expectations, else all of them.
    struct TRead
    {
        TLoadedRows::TRows Now;
        bool Gone = false;   // rows were loaded, and of those read again none is left
    };
    std::map<const TLoadedRows *, TRead> read;
    for (const TExpected &e : expected_) {
        if (!e.Loaded->IsLoaded())
            continue;
        const TLoadedRows::TRows &loaded = e.Loaded->Rows();
        auto at = read.find(e.Loaded);
        if (at == read.end()) {
            TRead r;
            r.Now = ReadExpected(e.Loaded);
            bool wasLoaded = !loaded.empty();
            if (!ReadsAll(e.Loaded)) {
                const QStringList keys = ExpectedKeys(e.Loaded);
                wasLoaded = std::any_of(keys.begin(), keys.end(), [&](const QString &k) { return loaded.count(k) > 0; });
            }
            r.Gone = wasLoaded && r.Now.empty();
            at = read.emplace(e.Loaded, std::move(r)).first;
        }
        const TLoadedRows::TRows &now = at->second.Now;
        // The document was deleted; the save would write it again.
        if (at->second.Gone)
            Refuse(DeletedElsewhereMessage(e.Name));
        bool same = true;
        if (e.AllKeys) {
            same = loaded == now;
        } else {
            for (const QString &key : e.Keys) {
                const auto was = loaded.find(key);
                const auto is = now.find(key);
                const QStringList none;
                if ((was == loaded.end() ? none : was->second) != (is == now.end() ? none : is->second)) {
                    same = false;
                    break;
                }
            }
        }
        if (!same)
            Refuse(ChangedElsewhereMessage(e.Name));
    }
}

bool TDocumentSave::NumberTaken(long double Number) { return FirstFreeNumber(Number) != Number; }

long double TDocumentSave::FirstFreeNumber(long double From)
{
    if (NumberColumns.empty())
        return From;
    RequireConnection();
    // Each column's numbers from the candidate on, read once in ascending
    // order along its index and stepped forward as the candidate goes up. A
    // column is read only from the first candidate the columns before it
    // leave free: the lines of a run of documents, ten a number, are not
    // stepped through where their headers already take the numbers.
    struct TRead
    {
        std::optional<platform::Cursor> Rows;
        double At = -HUGE_VAL;  // the number it stands on; HUGE_VAL past the last
    };
    std::vector<TRead> reads(NumberColumns.size());
    for (long double number = From;; number += 1) {
        const double wanted = ComparedNumber(number);
        bool taken = false;
        for (size_t i = 0; i < reads.size() && !taken; ++i) {
            TRead &read = reads[i];
            if (!read.Rows) {
                const TNumberColumn &column = NumberColumns[i];
                read.Rows.emplace(DbConnection->Select(QStringLiteral("SELECT %2 FROM %1 WHERE ( %2 >= %3 ) ORDER BY %2")
                                                           .arg(column.Table, column.Column, NumberLiteral(number))));
            }
            // Texts and blobs, which equal no number, come after every
            // number in the order: the first of them ends the numbers.
            while (read.At < wanted)
                if (!read.Rows->Next() || !read.Rows->Number(0, read.At))
                    read.At = HUGE_VAL;
            taken = read.At == wanted;
        }
        if (!taken)
            return number;
    }
}

void TDocumentSave::TakeNumber()
{
    if (!IsNew || numbering_ == dnGiven)
        return;
    if (numbering_ == dnNextCode) {
        int code = 0;
        NextCode(owner_, codeField_, codeTable_, code);
        number_ = code;
        return;
    }
    const TNasCounter counter = ReadNasCounter(owner_, counterSetting_, counterAddress_);
    counterRowExists_ = counter.RowExists;
    number_ = counter.Number + 1;
}

void TDocumentSave::Refuse(const QString &Message)
{
    messages_ << Message;
    throw TSaveStopped();
}

bool TDocumentSave::Run()
{
    messages_.clear();
    failed_ = -1;
    if (numbering_ == dnWorkstationCounter && counterAddress_.isEmpty())
        counterAddress_ = GetLocalIPAddress();
    const auto numberText = NumberText ? NumberText : ShortestText;
    bool committed = false;
    QString sql;
    // What a plan adds belongs to this run alone: a retry plans again.
    struct PlannedSteps
    {
        std::vector<TStep> &steps;
        size_t given;
        ~PlannedSteps() { steps.erase(steps.begin() + long(given), steps.end()); }
    } planned{steps_, steps_.size()};
    try {
        RequireConnection();
        platform::DbTransaction tr(*DbConnection);
        CheckLoaded();
        TakeNumber();
        if (IsNew) {
            if (numbering_ == dnGiven) {
                if (NumberTaken(number_)) {
                    messages_ << Format(LoadResString(rsDocumentExists), {numberText(number_)});
                    throw TSaveStopped();
                }
            } else {
                // A number proposed, taken meanwhile by another workstation
                // (whose counter runs on its own), gives way to the next
                // free one.
                if (numbering_ == dnWorkstationCounter)
                    number_ = std::max(number_, FoundFree);
                number_ = FirstFreeNumber(number_);
            }
            sql.clear();
            if (numbering_ == dnWorkstationCounter) {
                sql = NasCounterStatement(counterSetting_, counterAddress_, number_, counterRowExists_);
                try {
                    DbConnection->Execute(sql);
                } catch (const Exception &e) {
                    messages_ << DatabaseErrorText(DatabaseErrorMessage(e), sql);
                    if (!counterFailure_.isEmpty())
                        messages_ << counterFailure_;
                    throw TSaveStopped();
                }
            }
        }
        if (Plan) {
            sql.clear();
            Plan(*this);
        }
        for (int i = 0; i < int(steps_.size()); ++i) {
            const TStep &step = steps_[size_t(i)];
            if (step.ReplacingOnly && IsNew)
                continue;
            sql = step.Statement.Build(number_);
            try {
                DbConnection->Execute(sql);
            } catch (const Exception &e) {
                failed_ = i;
                messages_ << DatabaseErrorText(DatabaseErrorMessage(e), sql);
                if (!step.Statement.FailureMessage.isEmpty())
                    messages_ << step.Statement.FailureMessage;
                throw TSaveStopped();
            }
            if (!step.Statement.NoRowMessage.isEmpty() && sqlite3_changes(DbConnection->Handle()) == 0) {
                failed_ = i;
                messages_ << step.Statement.NoRowMessage;
                throw TSaveStopped();
            }
        }
        // What this save leaves stored is what the window has loaded now.
        sql.clear();
        // The rows of the keys it wrote, or all of them for a whole
        // document; other lines stay as the window loaded them, since it
        // still shows them so.
        std::map<TLoadedRows *, TLoadedRows::TRows> reread;
        std::map<TLoadedRows *, TLoadedRows::TRows> stored;
        for (const TExpected &e : expected_) {
            if (!e.Loaded->IsLoaded() || WindowReadsAgain)
                continue;
            auto read = stored.find(e.Loaded);
            if (read == stored.end())
                read = stored.emplace(e.Loaded, ReadExpected(e.Loaded)).first;
            const TLoadedRows::TRows &now = read->second;
            auto at = reread.find(e.Loaded);
            if (at == reread.end())
                at = reread.emplace(e.Loaded, e.AllKeys ? TLoadedRows::TRows() : e.Loaded->Rows()).first;
            if (e.AllKeys) {
                at->second = now;
                continue;
            }
            for (const QString &key : e.Keys) {
                const auto is = now.find(key);
                if (is == now.end())
                    at->second.erase(key);
                else
                    at->second[key] = is->second;
            }
        }
        sql = QStringLiteral("COMMIT");
        tr.Commit();
        committed = true;
        for (auto &entry : reread)
            entry.first->Assign(std::move(entry.second));
    } catch (const TSaveStopped &) {
        // Rolled back by the transaction's end; the messages are set.
    } catch (const Exception &e) {
        messages_ << DatabaseErrorText(DatabaseErrorMessage(e), sql);
    } catch (const std::exception &e) {
        messages_ << DatabaseErrorText(QString::fromUtf8(e.what()), sql);
    }
    // The transaction has ended: now the operator may be asked.
    for (const QString &m : messages_)
        ShowError(m);
    return committed;
}
