#pragma once
// The one save of every document and editor window.
//
// A window keeps what it will write as statements: TQueuedStatements holds
// them per line of the window while the operator edits (insert, update,
// delete), or the window builds them from its grid when the save begins.
// TDocumentSave then runs them in one IMMEDIATE transaction:
//
//   1. a new document's number is taken inside the transaction (the
//      workstation's counter + 1, the counter written back and its row
//      inserted when missing; or NextCode of a table; or the number given);
//   2. a new document whose given number is taken by the time of the save
//      is refused ("Документ с номер ... съществува !"): nothing is
//      written, and a new document never deletes; a proposed number taken
//      meanwhile gives way to the next free one;
//   2a. the stored rows the window loaded (ExpectLoaded) are read again and
//      compared: a change another workstation saved meanwhile refuses the
//      save, which writes nothing;
//   3. the statements run in order with the number filled in; the first
//      failure rolls everything back;
//   4. the commit; only then are messages shown (the database's error with
//      the statement, then the window's own message). A dialog shown inside
//      the transaction would hold the write lock against every other
//      workstation.
//
// The window keeps its state on failure (its queue is not consumed), so a
// retry writes each row once. Texts from the operator enter statements only
// through SqlEscape; codes as integers.
//
//   TDocumentSave save(this);
//   save.IsNew = IsNew;
//   save.NumberFromCounter(NasGoodsReceiptCounter, proposed);
//   save.NumberColumns = {{"Zaiavki", "Query_num"}, {"Zaiavka_rows", "Query_num"}};
//   save.Add([&](long double n) { return Format(sqlInsertZaiavki, {n, ...}); }, "Грешка при актуализиране на Zaiavki.");
//   if (save.Run()) ShowNumber(save.Number());
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

class QObject;
class TDelimitedStringList;
class TQuorendForm;

// Writes one statement once the document's number is known (a statement
// that needs no number ignores it).
using TStatementBuilder = std::function<QString(long double Number)>;

// A statement ready to run and the window's own message for its failure
// ("" for none: the database's error alone is shown).
struct TQueuedStatement
{
    TStatementBuilder Build;
    QString FailureMessage;
    // When not empty: a statement that changes no row fails the save with
    // this message alone (a row changed by another workstation since it
    // was loaded, a code taken meanwhile).
    QString NoRowMessage = QString();
};

// A builder of a fixed text.
TStatementBuilder FixedStatement(const QString &Sql);

// The statements a window queues while the operator edits its lines, kept
// per line so that a line changed again changes its statement instead of
// adding one:
//  - a new line (only in the window) has at most its insert: editing it
//    replaces the insert, deleting it drops the insert and the line;
//  - a stored line (in the database) is known by its ORIGINAL key, which
//    the window uses in the update and delete it builds: editing queues
//    (replaces) its update, deleting replaces any update with its delete.
// At save the deletes run first, then the updates, then the inserts, each
// in the order queued: a code freed by a delete or by an update that
// renames a row is free again for a new line.
class TQueuedStatements
{
public:
    TQueuedStatements() = default;
    TQueuedStatements(const TQueuedStatements &) = delete;
    TQueuedStatements &operator=(const TQueuedStatements &) = delete;

    // A line that exists only in the window; its id. Key is the row key it
    // will be stored under (as a stored line's original key reads).
    int NewLine(const QString &Key = QString());
    // The line of a stored row with this original key (the same id for the
    // same key while the line lives).
    int StoredLine(const QString &OriginalKey);
    bool IsStored(int Line) const;
    QString OriginalKey(int Line) const;
    // Whether the line is a new line whose insert is queued.
    bool HasQueuedInsert(int Line) const;
    bool HasQueuedDelete(int Line) const;

    // The line's new content: the insert of a new line, the update of a
    // stored line (the other builder is not used; a stored line whose
    // delete is queued gets its update instead).
    void Put(int Line, const TStatementBuilder &Insert, const TStatementBuilder &Update,
             const QString &FailureMessage = QString(), const QString &NoRowMessage = QString());
    void Put(int Line, const QString &InsertSql, const QString &UpdateSql);
    // The line is deleted: a new line's insert is dropped (nothing reaches
    // the database), a stored line's delete is queued in place of its
    // update.
    void Remove(int Line, const TStatementBuilder &Delete, const QString &FailureMessage = QString());
    void Remove(int Line, const QString &DeleteSql);
    // The line is forgotten with its statement, as if it had never been
    // queued (a stored line's change given up).
    void Forget(int Line);

    // The keys of the lines that have a statement queued: a stored line's
    // original key, a new line's key. The rows the save writes, which it
    // compares with what was loaded (TDocumentSave::ExpectLoaded).
    QStringList QueuedKeys() const;

    // Queued statements in their running order.
    std::vector<TQueuedStatement> Statements() const;
    // Their texts for a number (tests, logs).
    QStringList Texts(long double Number = 0) const;
    int Count() const;
    bool IsEmpty() const { return Count() == 0; }
    // After a save that committed: nothing queued, the lines forgotten.
    void Clear();

    // Called after every change of the queue (the window sets Modified).
    std::function<void()> OnChange;

private:
    enum TKind { qkNone, qkInsert, qkUpdate, qkDelete };
    struct TLine
    {
        bool Stored = false;
        QString OriginalKey;  // a new line: the key it will have
        TKind Kind = qkNone;
        TQueuedStatement Statement;
        long long Order = 0;  // when its statement was first queued
    };
    TLine &LineAt(int Line);
    const TLine *Find(int Line) const;
    void Changed();

    std::map<int, TLine> lines_;
    int nextId_ = 1;
    long long nextOrder_ = 1;
};

// Before a window reads its data again (F8, a filter) over unsaved changes,
// which the reading would leave out of sight while they wait for a save:
// the question "Данните не са записани!..." (ConfirmSave). Yes saves (true
// when the save succeeded), No runs Drop, which forgets the changes (true),
// Cancel keeps them (false). True at once when nothing is unsaved.
bool ConfirmReload(TQuorendForm &Form, const std::function<void()> &Drop);

// The header of a document window (minibus, date, number, party) names the
// document that its grid and its unsaved changes belong to. When the clerk
// changes the header the window moves to the document it now names, but
// unsaved changes are asked about first, with the shown document's header
// put back so that a save writes them there: Yes saves that document and
// moves only when the save succeeded, No drops the changes (Drop) and
// moves, Cancel stays on the shown document.
class TDocumentSwitch
{
public:
    std::function<QStringList()> Read;                // the header as shown
    std::function<void(const QStringList &)> Write;   // sets the header
    std::function<void()> Drop;                       // forgets the changes

    // The document the header names is the one shown now.
    void Shown() { shown_ = Read(); }
    // After a change of the header: whether the window moves. False also
    // when the header names the shown document, and while the switch
    // itself sets the header.
    bool Confirm(TQuorendForm &Form);

private:
    QStringList shown_;
    bool switching_ = false;
};

// What a window loaded of the stored rows its save replaces or builds on:
// the rows its reader gives (a query, or the window's own reading), each
// under the key KeyOf gives it (none: the rows are one whole). The save
// reads them again under its write lock and compares (ExpectLoaded), so
// that no save writes over what another workstation, or another window of
// this one, saved after this window loaded.
class TLoadedRows
{
public:
    using TReader = std::function<void(TDelimitedStringList &Rows)>;
    using TKeyOf = std::function<QString(const QStringList &Fields)>;
    // Reads the rows of the keys given alone.
    using TKeysReader = std::function<void(const QStringList &Keys, TDelimitedStringList &Rows)>;
    // Each key's records, sorted: the order rows come in is no change.
    using TRows = std::map<QString, QStringList>;

    // How the rows are read; what was loaded stays until Read succeeds.
    // ValueOf gives what of a record is compared (none: all of it), so that
    // a name the rows show beside a code is no change.
    void SetReader(const TReader &Reader, const TKeyOf &KeyOf = TKeyOf(), const TKeyOf &ValueOf = TKeyOf());
    void SetQuery(QObject *Owner, const QString &Sql, const TKeyOf &KeyOf = TKeyOf(),
                  const TKeyOf &ValueOf = TKeyOf());
    // How the rows of some keys alone are read (each row as the reader
    // gives it): a save that compares only the keys it writes then reads
    // those rows, not all that were loaded (a period's documents, of which
    // a few are paid).
    void SetKeysReader(const TKeysReader &Reader) { keysReader_ = Reader; }
    bool ReadsByKeys() const { return bool(keysReader_); }
    // Reads the rows now, as the window loads them; Rows (when given)
    // receives what was read, for the window to show. A read that throws
    // keeps what was loaded before.
    void Read(TDelimitedStringList *Rows = nullptr);
    // Nothing loaded (a new document, a cleared grid): nothing to compare.
    void Clear();
    bool IsLoaded() const { return loaded_; }
    const TRows &Rows() const { return rows_; }
    // The rows as stored now; with Keys and a keys reader, those of Keys.
    TRows ReadNow(const QStringList *Keys = nullptr) const;
    void Assign(TRows Rows);

    // The first FieldCount fields of a record joined by '@'.
    static TKeyOf FirstFields(int FieldCount);

private:
    void Take(const TDelimitedStringList &List, TRows &Rows) const;

    TReader reader_;
    TKeysReader keysReader_;
    TKeyOf keyOf_;
    TKeyOf valueOf_;
    TRows rows_;
    bool loaded_ = false;
};

// How the messages of a save refused for another workstation's change name
// a document: its words ("Стокова разписка 0000000100") and the gender
// they take in Bulgarian.
enum TNounGender { ngMasculine, ngFeminine, ngNeuter, ngPlural };
struct TDocumentName
{
    QString Text;
    TNounGender Gender = ngMasculine;
};
// "... е променена от друго работно място, след като е заредена. ..."
QString ChangedElsewhereMessage(const TDocumentName &Name);
// "... е изтрита от друго работно място, след като е заредена. ..."
QString DeletedElsewhereMessage(const TDocumentName &Name);
// A document a list was to pay, paid or deleted since the list was read
// (here or elsewhere): "... вече е платена или изтрита. ..."
QString PaidElsewhereMessage(const TDocumentName &Name);

// A column of a table that holds documents' numbers (read as numbers:
// what is not a number there takes none).
struct TNumberColumn
{
    QString Table;
    QString Column;
};

// How a new document takes its number.
enum TDocumentNumbering {
    dnGiven,              // the number set (an opened document, or one typed)
    dnWorkstationCounter, // Nas setting of this workstation + 1, written back
    dnNextCode            // largest value of a table's field + 1
};

class TDocumentSave
{
public:
    explicit TDocumentSave(QObject *Owner = nullptr);

    // An opened document replaces its stored rows; a new one never deletes.
    bool IsNew = true;

    void NumberGiven(long double Number);
    // The counter Setting of the workstation Address ("" for this one),
    // written back in the counters' one form (NasCounterText); its row is
    // updated when it exists, whatever it holds, else inserted.
    // FailureMessage follows a failed write.
    void NumberFromCounter(int Setting, const QString &Address = QString(),
                           const QString &FailureMessage = QString());
    // The number a window proposes, found free (FirstFreeNumber) from the
    // counter it read then; 0 for none. The numbers below it were taken
    // then, so the save looks for a free number from it on when the
    // counter stands below it: a number freed meanwhile below it is left
    // (numbers need not be dense), what the clerk was shown is what is
    // saved when it is still free, and the write lock is held for a read
    // of one row a table, not of every number the counter stands behind.
    long double FoundFree = 0;
    void NumberFromNextCode(const QString &Field, const QString &Table);

    // The text of a number in the "exists" message (default: shortest
    // decimal text).
    std::function<QString(long double Number)> NumberText;
    // The columns that hold the numbers of stored documents of this kind
    // (its header's, its lines'): a number is taken when a row of one of
    // them holds it. Asked inside the transaction, before anything is
    // written. A number given (typed by the clerk) that is taken refuses
    // the save; a number the save proposes (a counter, NextCode) goes on to
    // the next free one, and the window says which number the document was
    // saved under.
    std::vector<TNumberColumn> NumberColumns;
    // The first number from From on (From, From + 1, ...) that no row of
    // NumberColumns holds: a window proposes it, the save takes it (again,
    // under the write lock). The numbers taken are read once, in order,
    // from From on, and the reading stops at the first gap.
    long double FirstFreeNumber(long double From);

    // The statements, in order.
    void Add(const TStatementBuilder &Build, const QString &FailureMessage = QString());
    void Add(const QString &Sql, const QString &FailureMessage = QString());
    void Add(const std::vector<TQueuedStatement> &Statements);
    // Statements that only an opened document runs (deleting its stored
    // rows before they are written again); a new document skips them.
    void AddReplacing(const TStatementBuilder &Build, const QString &FailureMessage = QString());

    // Runs inside the transaction once the number is taken, before the
    // statements: a window whose statements depend on what is stored now
    // (which documents exist, the largest number) reads it here, under the
    // write lock, and adds its statements with Add. An exception rolls the
    // save back; the statements it added are forgotten after the run.
    std::function<void(TDocumentSave &Save)> Plan;
    // Called by a plan that finds the save must not go on (what it would
    // write was changed meanwhile): nothing is written, and Message is
    // shown after the rollback.
    [[noreturn]] void Refuse(const QString &Message);

    // The stored rows Loaded must be found as the window loaded them when
    // the transaction begins, before anything is written: all of them, or
    // (Keys) only the rows of those keys, the lines the save writes, so
    // that other lines changed elsewhere are merged. A difference writes
    // nothing and shows ChangedElsewhereMessage(Name); rows that were loaded
    // and are all gone show DeletedElsewhereMessage(Name), and a document
    // deleted elsewhere is never written again. After the statements the
    // rows are read again: once the save commits they are what the window
    // loaded, so its next save compares with its own. Nothing is compared
    // when Loaded holds nothing loaded.
    void ExpectLoaded(TLoadedRows &Loaded, const TDocumentName &Name);
    void ExpectLoaded(TLoadedRows &Loaded, const QStringList &Keys, const TDocumentName &Name);
    // The window reads all it loaded again itself once the save commits
    // (its reload shows what the save wrote): the rows are then not read
    // again after the statements, under the write lock, for nothing. A
    // reload that fails leaves what was loaded before, so the next save
    // refuses rather than writes over unseen rows. Off by default: a window
    // that may stay open without its reload (saved for print) needs the
    // reading under the lock, or its next save is refused.
    bool WindowReadsAgain = false;

    // Runs the save; true when it committed. The messages of a failure are
    // shown after the rollback (and kept in Messages()).
    bool Run();

    long double Number() const { return number_; }
    const QStringList &Messages() const { return messages_; }
    // The index of the statement that failed (-1: none or not a statement).
    int FailedStatement() const { return failed_; }

private:
    struct TStep
    {
        TQueuedStatement Statement;
        bool ReplacingOnly = false;
    };
    struct TExpected
    {
        TLoadedRows *Loaded;
        bool AllKeys;
        QStringList Keys;
        TDocumentName Name;
    };
    void TakeNumber();
    // Whether the rows of Loaded are read again whole, the keys expected of
    // it, and the rows read again.
    bool ReadsAll(const TLoadedRows *Loaded) const;
    QStringList ExpectedKeys(const TLoadedRows *Loaded) const;
    TLoadedRows::TRows ReadExpected(const TLoadedRows *Loaded) const;
    void CheckLoaded();
    bool NumberTaken(long double Number);

    QObject *owner_;
    TDocumentNumbering numbering_ = dnGiven;
    long double number_ = 0;
    int counterSetting_ = 0;
    QString counterAddress_;
    QString counterFailure_;
    bool counterRowExists_ = false;
    QString codeField_;
    QString codeTable_;
    std::vector<TStep> steps_;
    std::vector<TExpected> expected_;
    QStringList messages_;
    int failed_ = -1;
};
