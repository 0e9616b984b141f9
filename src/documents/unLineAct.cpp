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

TfrmLineAct::TfrmLineAct(const TLineActKind &Kind, QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmLineDocument(Kind, AOwner, AFormStyle), FKind(Kind)
{
    auto add = [this](QWidget *w) { pnlParams->layout()->addWidget(w); };
    auto *lblDate = new QLabel(QStringLiteral("Дата:"), pnlParams);
    lblDate->setBuddy(date_doc);
    auto *lblNumber = new QLabel(QStringLiteral("Документ номер:"), pnlParams);
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

    HeaderControls = {docno, date_doc, code};
    LineCodeEdit = code;
    LineQuantityEdit = quantity;
    LineValueEdits = {quantity};
    code->OnChange = [this](QObject *) { CodeChanged(); };
    connect(code, &TCustomListEdit::Picked, this, [this] { CodeChanged(); });
    connect(date_doc, &QDateEdit::dateChanged, this, [this] {
        if ((BusyFlags() & qbShowing) || !ConfirmDocumentChange())
            return;
        FillNumberList();
        ClearGrid(*Grid, 0);
    });
    docno->OnChange = [this](QObject *) {
        if (!(BusyFlags() & qbShowing) && ConfirmDocumentChange())
            ClearGrid(*Grid, 0);
    };
}

int TfrmLineAct::DateNumber() const { return DateToDayNumber(date_doc->date()); }

QString TfrmLineAct::GetSubTitle()
{
    return Format(QStringLiteral(" номер %d, за дата %s"), {DocNumber(), DateToDisplayText(date_doc->date())});
}

bool TfrmLineAct::InitForm()
{
    const bool result = TQuorendReadForm::InitForm();
    date_doc->setDate(QDate::currentDate());
    if (FKind.ProductAct)
        FillProductsList(this, code);
    else
        FillPackagingList(this, code);
    const int qtyCol = QuantityColumn();
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

void TfrmLineAct::FillNumberList()
{
    if (FKind.ProductAct)
        docno->clear();
    SetNumberList(Format(QStringLiteral("SELECT docno FROM %s WHERE ( date_doc = %d ) GROUP BY docno"),
                         {FKind.Table, DateNumber()}));
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
    const bool result = TfrmLineDocument::DoExecute();
    TDelimitedStringList rows;
    SelectToList(this, DbConnection, SelectSql(), rows);
    FilterRows(rows, QString());
    FillGridFromDelimitedStrings(*Grid, rows, true);
    TakeStoredLines();
    return result;
}

bool TfrmLineAct::DoNew()
{
    const bool result = TQuorendReadForm::DoNew();
    if (PutBackUnchanged())
        return result;
    const QString end = QStringLiteral("\n\r");
    const QString typed = code->text().trimmed();
    const int codeValue = StrToIntOrZero(typed);
    QString name;
    if (codeValue != 0)
        ListEditLookup(code, 0, 1, name, typed);
    QString messages = CodeInGridMessage(typed);
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
    const int queued = QueuedNumber();
    const int date = DateNumber();
    const QString table = FKind.Table;
    const QString codeField = FKind.CodeField;
    const QString qtyField = FKind.QuantityField;
    const TStatementBuilder insert = [=](long double n) {
        return Format(QStringLiteral("Insert into %s values ( %d, %d, %d, %.3f )"),
                      {table, StatementNumber(queued, n), codeValue, date, qty});
    };
    const auto update = [=](int original) -> TStatementBuilder {
        return [=](long double n) {
            return Format(QStringLiteral("Update %s Set %s = %.3f Where ( docno = %d AND %s = %d )"),
                          {table, qtyField, qty, StatementNumber(queued, n), codeField, original});
        };
    };
    QString unit;
    if (FKind.ProductAct)
        ListEditLookup(code, 0, 2, unit, typed);
    // The quantity as the database will give it back.
    QString qtyText;
    FloatToDotStr(-1, qtyText, qty);
    const QString codeText = QString::number(codeValue);
    CommitLine(codeValue, insert, update,
               FKind.ProductAct ? QStringList{codeText, name, unit, qtyText} : QStringList{codeText, name, qtyText});
    return result;
}

void TfrmLineAct::LineToEditors(int Row)
{
    quantity->SetValue(DotStrToFloat(Grid->Cells(QuantityColumn(), Row), 0));
}
