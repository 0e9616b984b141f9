#include "documents/unResourceDocument.h"

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

namespace {

QString FixedText(int Precision, long double X)
{
    QString s;
    FloatToFixedDotStr(Precision, s, X);
    return s;
}

} // namespace

TResourceDocumentKind ResourceDocumentKind(bool Delivery)
{
    TResourceDocumentKind k;
    k.Table = Delivery ? QStringLiteral("Dostavki") : QStringLiteral("Expedicia_na_surovini_i_materiali");
    k.CodeField = QStringLiteral("code_r");
    k.CounterpartyField = Delivery ? QStringLiteral("code_supplier") : QStringLiteral("code_customer");
    k.CounterpartyCaption = Delivery ? QStringLiteral("Доставчик:") : QStringLiteral("Клиент:");
    k.MissingCounterparty = Delivery ? QStringLiteral("Въведете доставчик") : QStringLiteral("Въведете клиент!");
    k.Caption = Delivery ? QStringLiteral("Складова разписка за доставка на суровини и материали")
                         : QStringLiteral("Протокол за експедиция на суровини и материали");
    k.Hint = Delivery ? QStringLiteral("не е попълнено, се създава\nНОВА стокова разписка за доставка на\nсуровини и "
                                       "материали. При F2 (запис)\nсистемата ще й зададе номер.")
                      : QStringLiteral("не е попълнено се създава\nНОВ протокол за експедиция на\nсуровини и материали. "
                                       "При F2 (запис)\nсистемата ще му зададе номер.");
    k.DeleteNoun = Delivery ? QStringLiteral("ред от складова разписка за доставка на суровини и материали")
                            : QStringLiteral("ред от протокол за експедиция на суровини и материали");
    k.DocumentNoun = Delivery ? TDocumentName{QStringLiteral("Складова разписка за доставка"), ngFeminine}
                              : TDocumentName{QStringLiteral("Протокол за експедиция"), ngMasculine};
    k.SubTitle = Delivery ? QStringLiteral(" номер %d, доставчик: %s - %s, за дата %s")
                          : QStringLiteral(" номер %d, клиент: %s - %s, за дата %s");
    k.PricePrecision = Delivery ? 6 : 4;
    k.Delivery = Delivery;
    return k;
}

TfrmResourceDocument::TfrmResourceDocument(const TResourceDocumentKind &Kind, QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmLineDocument(Kind, AOwner, AFormStyle), FKind(Kind)
{
    auto add = [this](QWidget *w) { pnlParams->layout()->addWidget(w); };
    auto label = [this, &add](const QString &Text, QWidget *Buddy) {
        auto *l = new QLabel(Text, pnlParams);
        l->setBuddy(Buddy);
        add(l);
        add(Buddy);
    };
    auto number = [this](const QString &Name, int Precision) {
        auto *e = new TFloatEdit(pnlParams);
        e->setObjectName(Name);
        e->SetPrecision(Precision);
        e->setFixedWidth(100);
        return e;
    };

    counterparty = new TListEdit(pnlParams);
    counterparty->setObjectName(FKind.CounterpartyField);
    counterparty->setFixedWidth(70);
    label(FKind.CounterpartyCaption, counterparty);
    panelCustomer = new QLabel(pnlParams);
    panelCustomer->setObjectName(QStringLiteral("panelCustomer"));
    panelCustomer->setMinimumWidth(160);
    counterparty->SetDescrControl(panelCustomer);
    add(panelCustomer);
    label(QStringLiteral("За дата:"), date_doc);
    label(QStringLiteral("Документ номер:"), docno);
    if (FKind.Delivery) {
        ByDocNo = number(QStringLiteral("ByDocNo"), 0);
        label(QStringLiteral("По фактура номер:"), ByDocNo);
        ByDateDocNo = NewDateEdit(QStringLiteral("ByDateDocNo"));
        label(QStringLiteral("От дата:"), ByDateDocNo);
    }
    code_r = new TListEdit(pnlParams);
    code_r->setObjectName(QStringLiteral("code_r"));
    code_r->setFixedWidth(70);
    label(QStringLiteral("Суровина или материал:"), code_r);
    panel_Resource = new QLabel(pnlParams);
    panel_Resource->setObjectName(QStringLiteral("panel_Resource"));
    panel_Resource->setMinimumWidth(160);
    code_r->SetDescrControl(panel_Resource);
    add(panel_Resource);
    labMeasure_Resource = new QLabel(pnlParams);
    labMeasure_Resource->setObjectName(QStringLiteral("labMeasure_Resource"));
    labMeasure_Resource->setMinimumWidth(40);
    add(labMeasure_Resource);
    quantity_r = number(QStringLiteral("quantity_r"), 3);
    label(QStringLiteral("Количество:"), quantity_r);
    price_r = number(QStringLiteral("price_r"), FKind.PricePrecision);
    label(QStringLiteral("Цена:"), price_r);
    value_r = number(QStringLiteral("value_r"), 2);
    label(QStringLiteral("Стойност:"), value_r);
    setToolTip(QStringLiteral("Ако полето \"докумет номер\"\n") + FKind.Hint);

    Grid->SetColCount(6);
    Grid->SetFixedRows(2);
    Grid->SetRowCount(3);
    Grid->SetRows(0, {QStringLiteral("Суровина/Материал"), QString(), QString(), QStringLiteral("Количество"),
                      QStringLiteral("Цена"), QStringLiteral("Стойност")});
    Grid->SetRows(1, {QStringLiteral("шифър"), QStringLiteral("наименование"), QStringLiteral("мярка"), QString(),
                      QString(), QString()});
    Grid->MergeCells(0, 0, 2, 0);
    for (int c = 3; c <= 5; ++c)
        Grid->MergeCells(c, 0, c, 1);

    for (QAction *action : {actSave, actNew, actEdit, actFilter, actDelete, actExecute, actPrint})
        action->setEnabled(true);

    // The party first, then the date and the number, as the panel shows them.
    setTabOrder(counterparty, date_doc);
    setTabOrder(date_doc, docno);
    HeaderControls = {docno, counterparty, date_doc, code_r};
    LineCodeEdit = code_r;
    LineQuantityEdit = quantity_r;
    LineValueEdits = {quantity_r, price_r};
    if (ByDocNo)
        LineValueEdits << ByDocNo;
    code_r->OnChange = [this](QObject *) { ResourceChanged(); };
    connect(code_r, &TCustomListEdit::Picked, this, [this] { ResourceChanged(); });
    quantity_r->OnChange = [this](QObject *) { ComputeValue(); };
    price_r->OnChange = [this](QObject *) { ComputeValue(); };
    connect(date_doc, &QDateEdit::dateChanged, this, [this] { HeaderChanged(); });
    counterparty->OnChange = [this](QObject *) { HeaderChanged(); };
    docno->OnChange = [this](QObject *) {
        if ((BusyFlags() & qbShowing) || !ConfirmDocumentChange())
            return;
        ClearGrid(*Grid, 0);
        ResetInvoice();
    };
    // Unsaved lines left here mean the clerk kept the shown document.
    connect(docno, &TCustomListEdit::Picked, this, [this] {
        if (!Modified())
            Execute();
    });
}

bool TfrmResourceDocument::CanSave()
{
    if (!TfrmLineDocument::CanSave())
        return false;
    // The document is stored under the party of its header: one its list
    // lacks names nobody.
    if (CounterpartyCode() == 0) {
        ShowError(FKind.MissingCounterparty);
        return false;
    }
    return true;
}

int TfrmResourceDocument::CounterpartyCode() const
{
    return ListedCode(counterparty);
}

QString TfrmResourceDocument::GetSubTitle()
{
    return Format(FKind.SubTitle, {DocNumber(), counterparty->text().trimmed(), panelCustomer->text(),
                                   DateToDisplayText(date_doc->date())});
}

bool TfrmResourceDocument::InitForm()
{
    const bool result = TQuorendReadForm::InitForm();
    date_doc->setDate(QDate::currentDate());
    if (ByDateDocNo)
        ByDateDocNo->setDate(QDate::currentDate());
    // Both lists remember their texts under the values their fillers name.
    const bool listed = FillCustGroupsList(this, counterparty) && FillResourcesList(this, code_r);
    if (listed) {
        Grid->GetColAttributes(3)->SetFormatter(AmountFormatter);
        FPriceFormatter = new TFloatFormatter(this);
        FPriceFormatter->SetPrecision(FKind.PricePrecision);
        Grid->GetColAttributes(4)->SetFormatter(FPriceFormatter);
        Grid->GetColAttributes(5)->SetFormatter(ValueFormatter);
        labMeasure_Resource->clear();
    }
    return result;
}

bool TfrmResourceDocument::FormDone()
{
    SetRegistrySetting(QStringLiteral("code_supplier_Text"), counterparty->text());
    SetRegistrySetting(QStringLiteral("code_r_Text"), code_r->text());
    return TQuorendReadForm::FormDone();
}

void TfrmResourceDocument::FillNumberList()
{
    docno->clear();
    SetNumberList(Format(QStringLiteral("SELECT docno FROM %s WHERE ( %s = %d AND date_doc = %d ) GROUP BY docno"),
                         {FKind.Table, FKind.CounterpartyField, StrToIntOrZero(counterparty->text().trimmed()),
                          DateToDayNumber(date_doc->date())}));
}

void TfrmResourceDocument::ResetInvoice()
{
    if (!FKind.Delivery)
        return;
    ByDocNo->SetValue(0);
    ByDateDocNo->setDate(QDate::currentDate());
}

QStringList TfrmResourceDocument::HeaderState() const
{
    return TfrmLineDocument::HeaderState() << counterparty->text();
}

void TfrmResourceDocument::SetHeaderState(const QStringList &State)
{
    TfrmLineDocument::SetHeaderState(State);
    counterparty->setText(State.value(2));
}

bool TfrmResourceDocument::LineEditorsAsFilled() const
{
    return TfrmLineDocument::LineEditorsAsFilled() && (!ByDateDocNo || ByDateDocNo->date() == FEditInvoiceDate);
}

void TfrmResourceDocument::HeaderChanged()
{
    if ((BusyFlags() & qbShowing) || !ConfirmDocumentChange())
        return;
    ClearGrid(*Grid, 0);
    FillNumberList();
    ResetInvoice();
}

void TfrmResourceDocument::ResourceChanged()
{
    QString unit;
    const QString c = code_r->text().trimmed();
    if (!c.isEmpty())
        ListEditLookup(code_r, 0, 2, unit, c);
    labMeasure_Resource->setText(unit);
}

void TfrmResourceDocument::ComputeValue()
{
    value_r->SetValue(RoundFloat(2, quantity_r->Value() * price_r->Value()));
}

bool TfrmResourceDocument::DoExecute()
{
    const bool result = TfrmLineDocument::DoExecute();
    const QString t = FKind.Table;
    TDelimitedStringList rows;
    SelectToList(this, DbConnection,
                 Format(QStringLiteral("SELECT %s.code_r,        Resources.name_r,        Merki.v_Miarka,        "
                                      "%s.quantity_r,        %s.price_r,        %s.value_r FROM ( Merki INNER JOIN "
                                      "Resources ON Merki.n_Miarka = Resources.miarka_r ) INNER JOIN %s ON "
                                      "Resources.code_r = %s.code_r WHERE ( %s.docno = %d )ORDER BY Resources.name_r"),
                        {t, t, t, t, t, t, t, DocNumber()}),
                 rows);
    const QChar delimiter = rows.FieldDelimiter();
    rows.BeginUpdate();
    for (int i = 0; i < rows.Count(); ++i) {
        QStringList f = rows.Strings(i).split(delimiter);
        f[3] = FixedText(3, DotStrToFloat(f.value(3), 0));
        f[4] = FixedText(FKind.PricePrecision, DotStrToFloat(f.value(4), 0));
        f[5] = FixedText(2, DotStrToFloat(f.value(5), 0));
        rows.SetStrings(i, f.join(delimiter));
    }
    rows.EndUpdate();
    FilterRows(rows, QString());
    FillGridFromDelimitedStrings(*Grid, rows, true);
    TakeStoredLines();
    if (FKind.Delivery) {
        TDelimitedStringList invoice;
        SelectToList(this, DbConnection,
                     Format(QStringLiteral("Select ByDocNo,        ByDateDocNo From Dostavki Where docno = %d and "
                                          "ByDocNo > 0 Group By ByDocNo,       ByDateDocNo"),
                            {DocNumber()}),
                     invoice);
        if (invoice.Count() == 1) {
            QString no;
            QString day;
            invoice.GetField(0, 0, no);
            invoice.GetField(0, 1, day);
            ByDocNo->SetValue(DotStrToFloat(no, 0));
            // The column reads back as a date text; a bare day number is
            // taken too.
            const QDate read = QDate::fromString(day.trimmed(), QStringLiteral("dd.MM.yyyy"));
            ByDateDocNo->setDate(read.isValid() ? read : DayNumberToDate(StrToIntOrZero(day)));
        } else {
            ResetInvoice();
        }
    }
    return result;
}

bool TfrmResourceDocument::DoNew()
{
    const bool result = TQuorendReadForm::DoNew();
    if (PutBackUnchanged())
        return result;
    ComputeValue();
    const QString end = QStringLiteral("\n\r");
    const QString typed = code_r->text().trimmed();
    QString name;
    QString unit;
    if (!typed.isEmpty()) {
        ListEditLookup(code_r, 0, 1, name, typed);
        ListEditLookup(code_r, 0, 2, unit, typed);
    }
    const int resource = name.isEmpty() ? 0 : StrToIntOrZero(typed);
    QString messages = CodeInGridMessage(typed);
    const int party = CounterpartyCode();
    if (party < 1)
        messages += FKind.MissingCounterparty + end;
    if (resource == 0)
        messages += LoadResString(rsEnterResource) + end;
    const long double qty = quantity_r->Value();
    const long double price = price_r->Value();
    const long double value = value_r->Value();
    if (qty <= 0)
        messages += LoadResString(rsEnterQuantity) + end;
    if (price <= 0)
        messages += QStringLiteral("Задайте цена") + end;
    if (!messages.isEmpty()) {
        ShowError(messages);
        return false;
    }

    const int queued = QueuedNumber();
    const int day = DateToDayNumber(date_doc->date());
    const QString table = FKind.Table;
    const bool delivery = FKind.Delivery;
    const long double byDocNo = delivery ? ByDocNo->Value() : 0;
    const int byDate = delivery ? DateToDayNumber(ByDateDocNo->date()) : 0;
    const TStatementBuilder insert = [=](long double n) {
        const int number = StatementNumber(queued, n);
        if (delivery)
            return Format(QStringLiteral("Insert into %s values ( %d, %d, %d, %d, %.3f, %.6f, %.2f, %f, %d )"),
                          {table, number, resource, party, day, qty, price, value, byDocNo, byDate});
        return Format(QStringLiteral("Insert into %s values ( %d, %d, %d, %d, %.3f, %.4f, %.2f )"),
                      {table, number, resource, party, day, qty, price, value});
    };
    const auto update = [=](int original) -> TStatementBuilder {
        return [=](long double n) {
            const int number = StatementNumber(queued, n);
            if (delivery)
                return Format(QStringLiteral("Update Dostavki Set quantity_r  = %.3f,     price_r     = %.6f,     "
                                             "value_r     = %.2f,     ByDocNo     = %f,     ByDateDocNo = %d Where "
                                             "( docno = %d AND code_r = %d )"),
                              {qty, price, value, byDocNo, byDate, number, original});
            return Format(QStringLiteral("Update Expedicia_na_surovini_i_materiali Set quantity_r = %.3f,     "
                                         "price_r = %.4f,     value_r = %.2f Where ( docno = %d AND code_r = %d )"),
                          {qty, price, value, number, original});
        };
    };
    CommitLine(resource, insert, update,
               {QString::number(resource), name, unit, FixedText(3, qty), FixedText(FKind.PricePrecision, price),
                FixedText(2, value)});
    return result;
}

void TfrmResourceDocument::LineToEditors(int Row)
{
    quantity_r->SetValue(DotStrToFloat(Grid->Cells(3, Row), 0));
    price_r->SetValue(DotStrToFloat(Grid->Cells(4, Row), 0));
    ComputeValue();
    if (ByDateDocNo)
        FEditInvoiceDate = ByDateDocNo->date();
}

bool TfrmResourceDocument::DoPrint()
{
    if (DocNumber() == 0) {
        ShowMessage(QStringLiteral("Моля съхранете документа преди да го отпечатате!"));
        return false;
    }
    return TQuorendReadForm::DoPrint();
}
