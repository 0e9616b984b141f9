#include "documents/LineDocumentForm.h"

#include <QDateEdit>
#include <QLabel>
#include <QPalette>

#include "components/QuorendDateEdit.h"
#include "components/FloatEdit.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "platform/ui/Colors.h"

namespace {

const QColor WindowColour(255, 255, 255);
constexpr TColor GreyColour = 0xC0C0C0;

} // namespace

TfrmLineDocument::TfrmLineDocument(const TLineDocumentSetup &Setup, QWidget *AOwner, TFormStyle AFormStyle)
    : TQuorendReadForm(AOwner, AFormStyle), FSetup(Setup)
{
    date_doc = NewDateEdit(QStringLiteral("date_doc"));
    docno = new TListEdit(pnlParams);
    docno->setObjectName(QStringLiteral("docno"));
    docno->setFixedWidth(80);
    FPending.OnChange = [this] { SetModified(!FPending.IsEmpty()); };
    FSwitch.Read = [this] { return HeaderState(); };
    FSwitch.Write = [this](const QStringList &Header) { SetHeaderState(Header); };
    FSwitch.Drop = [this] { DropChanges(); };
    // F8 and the filter ask about unsaved lines (or a line in edit) first.
    AskBeforeReading(FSwitch.Drop);
}

TfrmLineDocument::~TfrmLineDocument() { FPending.OnChange = nullptr; }

QDateEdit *TfrmLineDocument::NewDateEdit(const QString &Name)
{
    auto *edit = new TQuorendDatePicker(pnlParams);
    edit->setObjectName(Name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    return edit;
}

int TfrmLineDocument::DocNumber() const { return StrToIntOrZero(docno->text().trimmed()); }

bool TfrmLineDocument::BeforeShow()
{
    const bool result = TQuorendReadForm::BeforeShow();
    setWindowTitle(FSetup.Caption);
    pnlCaption->setText(FSetup.Caption.toUpper());
    FillNumberList();
    SetListEditTextToLastRow(docno);
    FSwitch.Shown();
    Execute();
    return result;
}

QStringList TfrmLineDocument::HeaderState() const
{
    return {docno->text(), date_doc->date().toString(Qt::ISODate)};
}

void TfrmLineDocument::SetHeaderState(const QStringList &State)
{
    docno->setText(State.value(0));
    date_doc->setDate(QDate::fromString(State.value(1), Qt::ISODate));
}

void TfrmLineDocument::DropChanges()
{
    if (FLineInEdit)
        EndLineEdit();
    FPending.Clear();
    FLineOfCode.clear();
    SetModified(false);
}


bool TfrmLineDocument::CanSave()
{
    if (!TQuorendReadForm::CanSave())
        return false;
    return !FLineInEdit || DoNew();
}

bool TfrmLineDocument::LineEditorsAsFilled() const
{
    for (int i = 0; i < LineValueEdits.size(); ++i)
        if (LineValueEdits[i]->text() != FEditTexts.value(i))
            return false;
    return true;
}

bool TfrmLineDocument::PutBackUnchanged()
{
    if (!FLineInEdit || !LineEditorsAsFilled())
        return false;
    PutGridRow(FEditCells);
    FLineOfCode[FEditCode] = FEditLine;
    const bool modified = FModifiedBeforeEdit;
    EndLineEdit();
    SetModified(modified);
    return true;
}

void TfrmLineDocument::SetNumberList(const QString &Sql)
{
    TDelimitedStringList rows;
    SelectToList(this, DbConnection, Sql, rows);
    SetupListEdit(docno, QStringLiteral("Номер"), &rows, 0);
}

QString TfrmLineDocument::CodeInGridMessage(const QString &Typed) const
{
    QString messages;
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r)
        if (!Typed.isEmpty() && Grid->Cells(0, r) == Typed)
            messages += Format(LoadResString(rsCodeExists), {Typed}) + QStringLiteral("\n\r");
    return messages;
}

void TfrmLineDocument::TakeStoredLines()
{
    FLineOfCode.clear();
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r) {
        const QString c = Grid->Cells(0, r).trimmed();
        if (StrToIntOrZero(c) != 0)
            FLineOfCode[c] = FPending.StoredLine(StoredKey(c));
    }
}

QString TfrmLineDocument::StoredKey(const QString &Code) const
{
    // Stored lines of different documents are different lines; the key
    // reads as the stored row's number and code do.
    return QString::number(DocNumber()) + QLatin1Char('@') + Code;
}

bool TfrmLineDocument::DoExecute()
{
    const bool result = TQuorendReadForm::DoExecute();
    // Read before the rows shown: a save of another workstation in between
    // makes this window's save refuse, never overwrite.
    if (DocNumber() > 0) {
        FLoaded.SetQuery(this, Format(QStringLiteral("SELECT * FROM %s WHERE docno = %d"), {FSetup.Table, DocNumber()}),
                         TLoadedRows::FirstFields(2));
        FLoaded.Read();
    } else {
        FLoaded.Clear();
    }
    return result;
}

int TfrmLineDocument::LineOfCode(const QString &Code)
{
    const auto found = FLineOfCode.find(Code);
    return found != FLineOfCode.end() ? found->second : FPending.StoredLine(StoredKey(Code));
}

void TfrmLineDocument::SetCaptionColor(TColor Color)
{
    QPalette palette = pnlCaption->palette();
    palette.setColor(QPalette::WindowText, platform::ToQColor(Color));
    pnlCaption->setPalette(palette);
}

void TfrmLineDocument::SetHeaderEnabled(bool Enabled)
{
    for (QWidget *w : HeaderControls) {
        w->setEnabled(Enabled);
        QPalette palette = w->palette();
        palette.setColor(QPalette::Base, Enabled ? WindowColour : platform::ToQColor(GreyColour));
        w->setPalette(palette);
    }
}

void TfrmLineDocument::CommitLine(int Code, const TStatementBuilder &Insert,
                                  const std::function<TStatementBuilder(int OriginalCode)> &Update,
                                  const QStringList &Row)
{
    int line;
    if (FLineInEdit) {
        line = FEditLine;
        FPending.Put(line, Insert, Update(StrToIntOrZero(FEditCode)));
    } else {
        line = FPending.NewLine(StoredKey(QString::number(Code)));
        FPending.Put(line, Insert, TStatementBuilder());
    }
    FLineOfCode[QString::number(Code)] = line;
    PutGridRow(Row);
    EndLineEdit();
}

void TfrmLineDocument::PutGridRow(const QStringList &Cells)
{
    const int first = Grid->FixedRows();
    int r = Grid->RowCount();
    if (Grid->RowCount() - first == 1 && Grid->Cells(0, first).trimmed().isEmpty())
        r = first;
    else
        Grid->SetRowCount(r + 1);
    Grid->SetRows(r, Cells);
    Grid->SetRow(r);
}

void TfrmLineDocument::EndLineEdit()
{
    FLineInEdit = false;
    FEditCells.clear();
    FEditTexts.clear();
    SetCaptionColor(NormalCaptionColor);
    SetHeaderEnabled(true);
    LineCodeEdit->clear();
    LineQuantityEdit->SetValue(0);
}

bool TfrmLineDocument::DoEdit()
{
    const bool result = TQuorendReadForm::DoEdit();
    if (FLineInEdit) {
        ShowError(LoadResString(rsOneRowInEdit));
        return result;
    }
    const int row = Grid->Row();
    if (row < Grid->FixedRows() || StrToIntOrZero(Grid->Cells(0, row)) == 0)
        return result;
    FEditCode = Grid->Cells(0, row).trimmed();
    FEditLine = LineOfCode(FEditCode);
    FLineOfCode.erase(FEditCode);
    FEditCells.clear();
    for (int c = 0; c < Grid->ColCount(); ++c)
        FEditCells << Grid->Cells(c, row);
    FModifiedBeforeEdit = Modified();
    FLineInEdit = true;
    SetCaptionColor(EditingCaptionColor);
    LineCodeEdit->setText(FEditCode);
    LineToEditors(row);
    FEditTexts.clear();
    for (TFloatEdit *edit : LineValueEdits)
        FEditTexts << edit->text();
    // A line out of the grid is unsaved work until it is put back.
    SetModified(true);
    SetHeaderEnabled(false);
    DeleteGridRow(*Grid, row);
    return result;
}

bool TfrmLineDocument::DoDelete()
{
    const bool result = TQuorendReadForm::DoDelete();
    const int row = Grid->Row();
    if (row < Grid->FixedRows())
        return result;
    const QString c = Grid->Cells(0, row).trimmed();
    const int codeValue = StrToIntOrZero(c);
    if (codeValue == 0)
        return result;
    if (AskYesNoCancel(Format(LoadResString(rsConfirmDelete), {FSetup.DeleteNoun, c, Grid->Cells(1, row)})) != mrYes)
        return result;
    const int queued = QueuedNumber();
    const QString table = FSetup.Table;
    const QString codeField = FSetup.CodeField;
    FPending.Remove(LineOfCode(c), [=](long double n) {
        return Format(QStringLiteral("Delete * from %s Where ( docno = %d AND %s = %d )"),
                      {table, StatementNumber(queued, n), codeField, codeValue});
    });
    FLineOfCode.erase(c);
    DeleteGridRow(*Grid, row);
    return result;
}

bool TfrmLineDocument::DoSave()
{
    if (!TQuorendReadForm::DoSave())
        return false;
    if (FPending.IsEmpty())
        return true;
    const bool isNew = DocNumber() < 1;
    TDocumentSave save(this);
    save.IsNew = isNew;
    if (isNew)
        save.NumberFromNextCode(QStringLiteral("docno"), FSetup.Table);
    else
        save.NumberGiven(DocNumber());
    save.Add(FPending.Statements());
    // Lines another workstation changed meanwhile are merged; one this
    // save writes too is refused.
    save.ExpectLoaded(FLoaded, FPending.QueuedKeys(),
                      {FSetup.DocumentNoun.Text + QLatin1Char(' ') + QString::number(DocNumber()),
                       FSetup.DocumentNoun.Gender});
    // Execute below reads the document again.
    save.WindowReadsAgain = true;
    if (!save.Run())
        return false;
    FPending.Clear();
    FLineOfCode.clear();
    SetModified(false);
    const QString saved = QString::number(static_cast<long long>(save.Number()));
    FillNumberList();
    docno->setText(saved);
    FSwitch.Shown();
    Execute();
    return true;
}
