#include "documents/unLineAct.h"

#include <QAction>
#include <QDateEdit>
#include <QLabel>
#include <QLayout>

#include "components/FloatEdit.h"
#include "components/Formatters.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/unRegistryFuncs.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "platform/ui/Colors.h"

namespace {

const QColor WindowColour(255, 255, 255);
constexpr TColor GreyColour = 0xC0C0C0;

} // namespace

TfrmLineAct::TfrmLineAct(const TLineActKind &Kind, QWidget *AOwner, TFormStyle AFormStyle)
    : TQuorendReadForm(AOwner, AFormStyle), FKind(Kind)
{
    auto add = [this](QWidget *w) { pnlParams->layout()->addWidget(w); };
    auto *lblDate = new QLabel(QStringLiteral("Дата:"), pnlParams);
    date_doc = new QDateEdit(pnlParams);
    date_doc->setObjectName(QStringLiteral("date_doc"));
    date_doc->setCalendarPopup(true);
    date_doc->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    lblDate->setBuddy(date_doc);
    auto *lblNumber = new QLabel(QStringLiteral("Документ номер:"), pnlParams);
    docno = new TListEdit(pnlParams);
    docno->setObjectName(QStringLiteral("docno"));
    docno->setFixedWidth(80);
    lblNumber->setBuddy(docno);
    setToolTip(QStringLiteral("Ако полето \"докумет номер\"\nне е попълнено се създава\n") + FKind.NewActHint +
               QStringLiteral("\nПри F2 (запис)\nсистемата ще му зададе номер."));
    auto *lblCode = new QLabel(FKind.ProductAct ? QStringLiteral("Изделие:") : QStringLiteral("Амбалаж:"), pnlParams);
    code = new TListEdit(pnlParams);
    code->setObjectName(FKind.CodeField);
    code->setFixedWidth(70);
    lblCode->setBuddy(code);
    lblCodeName = new QLabel(pnlParams);
    lblCodeName->setMinimumWidth(180);
    code->SetDescrControl(lblCodeName);
    code->SetDescrColumn(1);
    labMeasure_Izdelie = new QLabel(pnlParams);
    labMeasure_Izdelie->setObjectName(QStringLiteral("labMeasure_Izdelie"));
    labMeasure_Izdelie->setMinimumWidth(40);
    auto *lblQuantity = new QLabel(QStringLiteral("Количество:"), pnlParams);
    quantity = new TFloatEdit(pnlParams);
    quantity->setObjectName(FKind.QuantityField);
    quantity->SetPrecision(FKind.ProductAct ? 0 : 3);
    quantity->setFixedWidth(90);
    lblQuantity->setBuddy(quantity);
    for (QWidget *w : {static_cast<QWidget *>(lblDate), static_cast<QWidget *>(date_doc),
                       static_cast<QWidget *>(lblNumber), static_cast<QWidget *>(docno),
                       static_cast<QWidget *>(lblCode), static_cast<QWidget *>(code),
                       static_cast<QWidget *>(lblCodeName), static_cast<QWidget *>(labMeasure_Izdelie),
                       static_cast<QWidget *>(lblQuantity), static_cast<QWidget *>(quantity)})
        add(w);

    Grid->SetFixedRows(2);
    if (FKind.ProductAct) {
        Grid->SetColCount(4);
        Grid->SetRows(0, {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"),
                          QStringLiteral("Количество")});
    } else {
        Grid->SetColCount(3);
        Grid->SetRows(0, {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Количество")});
    }
    Grid->SetRowCount(3);

    for (QAction *action : {actSave, actNew, actEdit, actFilter, actDelete, actExecute})
        action->setEnabled(true);

    FPending.OnChange = [this] { SetModified(true); };
    code->OnChange = [this](QObject *) { CodeChanged(); };
    connect(code, &TCustomListEdit::Picked, this, [this] { CodeChanged(); });
    connect(date_doc, &QDateEdit::dateChanged, this, [this] {
        if (BusyFlags() & qbShowing)
            return;
        FillNumberList();
        ClearGrid(*Grid, 0);
    });
    docno->OnChange = [this](QObject *) {
        if (!(BusyFlags() & qbShowing))
            ClearGrid(*Grid, 0);
    };
}

TfrmLineAct::~TfrmLineAct() { FPending.OnChange = nullptr; }

int TfrmLineAct::DocNumber() const { return StrToIntOrZero(docno->text().trimmed()); }

int TfrmLineAct::DateNumber() const { return DateToDayNumber(date_doc->date()); }

QString TfrmLineAct::GetSubTitle()
{
    return Format(QStringLiteral(" номер %d, за дата %s"), {DocNumber(), DateToDisplayText(date_doc->date())});
}

bool TfrmLineAct::InitForm()
{
    const bool result = TQuorendReadForm::InitForm();
    FLineInEdit = false;
    date_doc->setDate(QDate::currentDate());
    if (FKind.ProductAct)
        FillProductsList(this, code);
    else
        FillPackagingList(this, code);
    const int qtyCol = FKind.ProductAct ? 3 : 2;
    if (FKind.ProductAct) {
        FWholeFormatter = new TFloatFormatter(this);
        FWholeFormatter->SetPrecision(0);
        Grid->GetColAttributes(qtyCol)->SetFormatter(FWholeFormatter);
    } else {
        Grid->GetColAttributes(qtyCol)->SetFormatter(AmountFormatter);
    }
    labMeasure_Izdelie->clear();
    CodeChanged();
    return result;
}

bool TfrmLineAct::FormDone()
{
    SetRegistrySetting(FKind.CodeTextValue, code->text());
    return TQuorendReadForm::FormDone();
}

bool TfrmLineAct::BeforeShow()
{
    const bool result = TQuorendReadForm::BeforeShow();
    setWindowTitle(FKind.Caption);
    pnlCaption->setText(FKind.Caption.toUpper());
    FillNumberList();
    SetListEditTextToLastRow(docno);
    Execute();
    return result;
}

void TfrmLineAct::FillNumberList()
{
    if (FKind.ProductAct)
        docno->clear();
    TDelimitedStringList rows;
    SelectToList(this, DbConnection,
                 Format(QStringLiteral("SELECT docno FROM %s WHERE ( date_doc = %d ) GROUP BY docno"),
                        {FKind.Table, DateNumber()}),
                 rows);
    SetupListEdit(docno, QStringLiteral("Номер"), &rows, 0);
}

void TfrmLineAct::CodeChanged()
{
    if (!FKind.ProductAct)
        return;
    QString unit;
    const QString c = code->text().trimmed();
    if (!c.isEmpty())
        ListEditLookup(code, 0, 2, unit, c);
    labMeasure_Izdelie->setText(unit);
}

QString TfrmLineAct::SelectSql() const
{
    if (FKind.ProductAct)
        return Format(QStringLiteral("SELECT %s.code_izd,        Izdelia.name_izd,        Merki.v_Miarka,        "
                                     "%s.quantity_izd FROM (Merki INNER JOIN Izdelia ON Merki.n_Miarka = "
                                     "Izdelia.mjarka) INNER JOIN %s ON Izdelia.code_izd = %s.code_izd WHERE ( "
                                     "((%s.docno)= %d ) )ORDER BY Izdelia.name_izd"),
                      {FKind.Table, FKind.Table, FKind.Table, FKind.Table, FKind.Table, DocNumber()});
    return Format(QStringLiteral("SELECT Zaprihojdavane_na_ambalaj.code_a,        Ambalaj.name_a,        "
                                 "Zaprihojdavane_na_ambalaj.quantity_amb FROM (Ambalaj INNER JOIN "
                                 "Zaprihojdavane_na_ambalaj ON Ambalaj.code_a = Zaprihojdavane_na_ambalaj.code_a) "
                                 "WHERE ( ((Zaprihojdavane_na_ambalaj.docno)= %d ) )ORDER BY Ambalaj.name_a"),
                  {DocNumber()});
}

bool TfrmLineAct::DoExecute()
{
    const bool result = TQuorendReadForm::DoExecute();
    TDelimitedStringList rows;
    SelectToList(this, DbConnection, SelectSql(), rows);
    FilterRows(rows, QString());
    FillGridFromDelimitedStrings(*Grid, rows, true);
    // Every shown row is a stored line of this act, known by its code.
    FLineOfCode.clear();
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r) {
        const QString c = Grid->Cells(0, r).trimmed();
        if (StrToIntOrZero(c) != 0)
            FLineOfCode[c] = FPending.StoredLine(StoredKey(c));
    }
    return result;
}

QString TfrmLineAct::StoredKey(const QString &Code) const
{
    // Stored lines of different acts are different lines.
    return QString::number(DocNumber()) + QLatin1Char(':') + Code;
}

int TfrmLineAct::LineOfCode(const QString &Code)
{
    const auto found = FLineOfCode.find(Code);
    return found != FLineOfCode.end() ? found->second : FPending.StoredLine(StoredKey(Code));
}

void TfrmLineAct::SetCaptionColor(TColor Color)
{
    QPalette palette = pnlCaption->palette();
    palette.setColor(QPalette::WindowText, platform::ToQColor(Color));
    pnlCaption->setPalette(palette);
}

void TfrmLineAct::SetHeaderEnabled(bool Enabled)
{
    for (QWidget *w : {static_cast<QWidget *>(docno), static_cast<QWidget *>(date_doc), static_cast<QWidget *>(code)}) {
        w->setEnabled(Enabled);
        QPalette palette = w->palette();
        palette.setColor(QPalette::Base, Enabled ? WindowColour : platform::ToQColor(GreyColour));
        w->setPalette(palette);
    }
}

bool TfrmLineAct::DoNew()
{
    const bool result = TQuorendReadForm::DoNew();
    const QString end = QStringLiteral("\n\r");
    const QString typed = code->text().trimmed();
    const int codeValue = StrToIntOrZero(typed);
    QString name;
    if (codeValue != 0)
        ListEditLookup(code, 0, 1, name, typed);
    QString messages;
    for (int r = Grid->FixedRows(); r < Grid->RowCount(); ++r)
        if (!typed.isEmpty() && Grid->Cells(0, r) == typed)
            messages += Format(LoadResString(rsCodeExists), {typed}) + end;
    if (codeValue == 0 || name.isEmpty())
        messages += (FKind.ProductAct ? LoadResString(rsEnterProduct) : FKind.MissingCode) + end;
    const long double qty = quantity->Value();
    if (qty == 0)
        messages += LoadResString(rsEnterQuantity) + end;
    if (!messages.isEmpty()) {
        ShowError(messages);
        return false;
    }

    // The number and date as they are now; a new act's number is the one
    // the save takes.
    const int fixedNumber = DocNumber() > 0 ? DocNumber() : 0;
    const int date = DateNumber();
    const QString table = FKind.Table;
    const QString codeField = FKind.CodeField;
    const QString qtyField = FKind.QuantityField;
    const QString codeText = QString::number(codeValue);
    const TStatementBuilder insert = [=](long double n) {
        return Format(QStringLiteral("Insert into %s values ( %d, %d, %d, %.3f )"),
                      {table, fixedNumber ? fixedNumber : static_cast<int>(n), codeValue, date, qty});
    };
    int line;
    if (FLineInEdit) {
        line = FEditLine;
        const int original = StrToIntOrZero(FEditCode);
        const TStatementBuilder update = [=](long double n) {
            return Format(QStringLiteral("Update %s Set %s = %.3f Where ( docno = %d AND %s = %d )"),
                          {table, qtyField, qty, fixedNumber ? fixedNumber : static_cast<int>(n), codeField, original});
        };
        FPending.Put(line, insert, update);
    } else {
        line = FPending.NewLine();
        FPending.Put(line, insert, TStatementBuilder());
    }
    FLineOfCode[codeText] = line;

    QString unit;
    if (FKind.ProductAct)
        ListEditLookup(code, 0, 2, unit, typed);
    // The quantity as the database will give it back.
    QString qtyText;
    FloatToDotStr(-1, qtyText, qty);
    const QStringList row = FKind.ProductAct ? QStringList{codeText, name, unit, qtyText}
                                             : QStringList{codeText, name, qtyText};
    const int first = Grid->FixedRows();
    int r = Grid->RowCount();
    if (Grid->RowCount() - first == 1 && Grid->Cells(0, first).trimmed().isEmpty())
        r = first;
    else
        Grid->SetRowCount(r + 1);
    Grid->SetRows(r, row);
    Grid->SetRow(r);

    FLineInEdit = false;
    SetCaptionColor(NormalCaptionColor);
    SetHeaderEnabled(true);
    code->clear();
    quantity->SetValue(0);
    return result;
}

bool TfrmLineAct::DoEdit()
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
    FLineInEdit = true;
    SetCaptionColor(EditingCaptionColor);
    code->setText(FEditCode);
    quantity->SetValue(DotStrToFloat(Grid->Cells(FKind.ProductAct ? 3 : 2, row), 0));
    SetHeaderEnabled(false);
    DeleteGridRow(*Grid, row);
    return result;
}

bool TfrmLineAct::DoDelete()
{
    const bool result = TQuorendReadForm::DoDelete();
    const int row = Grid->Row();
    if (row < Grid->FixedRows())
        return result;
    const QString c = Grid->Cells(0, row).trimmed();
    const int codeValue = StrToIntOrZero(c);
    if (codeValue == 0)
        return result;
    if (AskYesNoCancel(Format(LoadResString(rsConfirmDelete), {FKind.DeleteNoun, c, Grid->Cells(1, row)})) != mrYes)
        return result;
    const int fixedNumber = DocNumber() > 0 ? DocNumber() : 0;
    const QString table = FKind.Table;
    const QString codeField = FKind.CodeField;
    const int line = LineOfCode(c);
    FPending.Remove(line, [=](long double n) {
        return Format(QStringLiteral("Delete * from %s Where ( docno = %d AND %s = %d )"),
                      {table, fixedNumber ? fixedNumber : static_cast<int>(n), codeField, codeValue});
    });
    FLineOfCode.erase(c);
    DeleteGridRow(*Grid, row);
    return result;
}

bool TfrmLineAct::DoSave()
{
    if (!TQuorendReadForm::DoSave())
        return false;
    if (FPending.IsEmpty())
        return true;
    const bool isNew = DocNumber() < 1;
    TDocumentSave save(this);
    save.IsNew = isNew;
    if (isNew)
        save.NumberFromNextCode(QStringLiteral("docno"), FKind.Table);
    else
        save.NumberGiven(DocNumber());
    save.Add(FPending.Statements());
    if (!save.Run())
        return false;
    FPending.Clear();
    FLineOfCode.clear();
    SetModified(false);
    const QString saved = QString::number(static_cast<long long>(save.Number()));
    FillNumberList();
    docno->setText(saved);
    Execute();
    return true;
}
