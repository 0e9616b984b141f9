#include "documents/un_Vyrnata_produkcia.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

#include "components/QuorendDateEdit.h"
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
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "documents/unPrint_Vyrnata_produkcia.h"
#include "framework/LookupLists.h"
#include "framework/QuorendFormClasses.h"
#include "platform/ui/Colors.h"

namespace {

const QString kLineBreak = QStringLiteral("\n\r");
constexpr TColor kLockedColor = 0xC0C0C0;
constexpr TColor kCaptionColor = 0xF4C666;

QLabel *Panel(QWidget *Parent, const QString &Name)
{
    auto *label = new QLabel(Parent);
    label->setObjectName(Name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(160);
    return label;
}

TListEdit *CodeEdit(QWidget *Parent, const QString &Name)
{
    auto *edit = new TListEdit(Parent);
    edit->setObjectName(Name);
    edit->setMaximumWidth(90);
    return edit;
}

TFloatEdit *NumberEdit(QWidget *Parent, const QString &Name, int Precision)
{
    auto *edit = new TFloatEdit(Parent);
    edit->setObjectName(Name);
    edit->SetPrecision(Precision);
    edit->setMaximumWidth(100);
    return edit;
}

QString Field(const QString &Record, int Col)
{
    QString s;
    GetPiece(Record, QChar('@'), Col, s);
    return s;
}

} // namespace

// ---------------------------------------------------------------- creation

TfrmBusDayDocument::TfrmBusDayDocument(QWidget *AOwner, TFormStyle AFormStyle, bool Numbered, int QuantityPrecision)
    : TQuorendReadForm(AOwner, AFormStyle), FNumbered(Numbered)
{
    BuildControls(QuantityPrecision);
    actSave->setEnabled(true);
    actEdit->setEnabled(true);
    actNew->setEnabled(true);
    actDelete->setEnabled(true);
    actExecute->setEnabled(true);
    FQueue.OnChange = [this] { SetModified(!FQueue.IsEmpty()); };
    FSwitch.Read = [this] {
        return QStringList{code_bus->text(), date_doc->date().toString(Qt::ISODate),
                           docno ? docno->text() : QString()};
    };
    FSwitch.Write = [this](const QStringList &Header) {
        code_bus->setText(Header.value(0));
        date_doc->setDate(QDate::fromString(Header.value(1), Qt::ISODate));
        if (docno)
            docno->setText(Header.value(2));
    };
    FSwitch.Drop = [this] { DropChanges(); };
    // F8 and the filter ask about unsaved lines (or a line in edit) first.
    AskBeforeReading(FSwitch.Drop);
}

TfrmBusDayDocument::~TfrmBusDayDocument() = default;

void TfrmBusDayDocument::BuildControls(int QuantityPrecision)
{
    auto *editors = new QWidget(pnlParams);
    auto *grid = new QGridLayout(editors);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    auto label = [editors](const QString &Text) { return new QLabel(Text, editors); };

    code_izd = CodeEdit(editors, QStringLiteral("code_izd"));
    panel_Izdelie = Panel(editors, QStringLiteral("panel_Izdelie"));
    labMeasure_Izdelie = new QLabel(editors);
    labMeasure_Izdelie->setObjectName(QStringLiteral("labMeasure_Izdelie"));
    labMeasure_Izdelie->setMinimumWidth(40);
    quantity_izd = NumberEdit(editors, QStringLiteral("quantity_izd"), QuantityPrecision);
    code_a = CodeEdit(editors, QStringLiteral("code_a"));
    panel_Amabalaj = Panel(editors, QStringLiteral("panel_Amabalaj"));
    quantity_amb = NumberEdit(editors, QStringLiteral("quantity_amb"), QuantityPrecision);
    code_bus = CodeEdit(editors, QStringLiteral("code_bus"));
    panelMicrobus = Panel(editors, QStringLiteral("panelMicrobus"));
    date_doc = new TQuorendDatePicker(editors);
    date_doc->setObjectName(QStringLiteral("date_doc"));
    date_doc->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    date_doc->setCalendarPopup(true);

    grid->addWidget(label(QStringLiteral("Изделие:")), 0, 0);
    grid->addWidget(code_izd, 0, 1);
    grid->addWidget(panel_Izdelie, 0, 2);
    grid->addWidget(labMeasure_Izdelie, 0, 3);
    grid->addWidget(label(QStringLiteral("Количество:")), 0, 4);
    grid->addWidget(quantity_izd, 0, 5);
    grid->addWidget(label(QStringLiteral("Амбалаж:")), 1, 0);
    grid->addWidget(code_a, 1, 1);
    grid->addWidget(panel_Amabalaj, 1, 2);
    grid->addWidget(label(QStringLiteral("Количество:")), 1, 4);
    grid->addWidget(quantity_amb, 1, 5);
    grid->addWidget(label(QStringLiteral("Микробус:")), 2, 0);
    grid->addWidget(code_bus, 2, 1);
    grid->addWidget(panelMicrobus, 2, 2);
    grid->addWidget(label(QStringLiteral("За дата:")), 2, 4);
    grid->addWidget(date_doc, 2, 5);
    if (FNumbered) {
        docno = CodeEdit(editors, QStringLiteral("docno"));
        grid->addWidget(label(QStringLiteral("Документ номер:")), 3, 0, 1, 1);
        grid->addWidget(docno, 3, 1);
    }
    FButtonRow = new QHBoxLayout();
    grid->addLayout(FButtonRow, 3, 2, 1, 4);
    pnlParams->layout()->addWidget(editors);

    auto *hints = new QWidget(pnlParams);
    auto *hintLayout = new QVBoxLayout(hints);
    hintLayout->setContentsMargins(8, 0, 0, 0);
    hintLayout->setSpacing(0);
    for (int i = 0; i < 6; ++i) {
        auto *hint = new QLabel(hints);
        hint->setObjectName(QStringLiteral("labHint%1").arg(i + 1));
        hint->hide();
        hintLayout->addWidget(hint);
        HintLabels << hint;
    }
    hintLayout->addStretch(1);
    pnlParams->layout()->addWidget(hints);

    code_izd->SetDescrControl(panel_Izdelie);
    code_a->SetDescrControl(panel_Amabalaj);
    code_bus->SetDescrControl(panelMicrobus);

    connect(code_izd, &QLineEdit::textChanged, this, [this] { code_izdChange(); });
    connect(code_izd, &TCustomListEdit::Picked, this, [this] { code_izdChange(); });
    connect(code_bus, &QLineEdit::textChanged, this, [this] { BusOrDateChange(); });
    connect(date_doc, &QDateEdit::dateChanged, this, [this] { BusOrDateChange(); });
    if (docno) {
        connect(docno, &QLineEdit::textChanged, this, [this] { docnoChange(); });
        connect(docno, &TCustomListEdit::Picked, this, [this] { docnoFormOk(); });
    }

    Grid->SetColCount(colCount);
    Grid->SetRowCount(3);
    Grid->SetFixedRows(2);
    Grid->SetRows(0, {QStringLiteral("Изделие"), QString(), QString(), QString(), QStringLiteral("Амбалаж"), QString(),
                      QString()});
    Grid->SetRows(1, {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Мярка"),
                      QStringLiteral("Количество"), QStringLiteral("Шифър"), QStringLiteral("Наименование"),
                      QStringLiteral("Количество")});
    Grid->MergeCells(colCode, 0, colQuantity, 0);
    Grid->MergeCells(colPackCode, 0, colPackQuantity, 0);
}

// ---------------------------------------------------------------- state

int TfrmBusDayDocument::DocNo() const { return docno ? StrToIntOrZero(docno->text().trimmed()) : 0; }
int TfrmBusDayDocument::BusCode() const { return StrToIntOrZero(code_bus->text().trimmed()); }
int TfrmBusDayDocument::DayNumber() const { return DateToDayNumber(date_doc->date()); }

QString TfrmBusDayDocument::BusName() const
{
    QString name;
    ListEditLookup(code_bus, 0, 1, name, code_bus->text().trimmed());
    return name;
}

long double TfrmBusDayDocument::CellNumber(const QString &Text) { return DotStrToFloat(Text.trimmed(), 0); }

void TfrmBusDayDocument::SetControlColor(QWidget *W, TColor Color)
{
    QPalette p = W->palette();
    p.setColor(QPalette::Base, platform::ToQColor(Color));
    W->setPalette(p);
}

void TfrmBusDayDocument::SetCaptionColor(TColor Color)
{
    QPalette p = pnlCaption->palette();
    p.setColor(QPalette::WindowText, platform::ToQColor(Color));
    pnlCaption->setPalette(p);
}

QString TfrmBusDayDocument::RowKey(int Product, int Packaging) const
{
    return QStringLiteral("%1@%2").arg(Product).arg(Packaging);
}

QString TfrmBusDayDocument::StoredKey(int Product, int Packaging) const
{
    return QStringLiteral("%1@%2@%3@").arg(DocNo()).arg(DayNumber()).arg(BusCode()) + RowKey(Product, Packaging);
}

bool TfrmBusDayDocument::IsNewLine(int Product, int Packaging) const
{
    return FNewLines.count(StoredKey(Product, Packaging)) > 0;
}

int TfrmBusDayDocument::LineOf(int Product, int Packaging)
{
    const QString key = StoredKey(Product, Packaging);
    const auto it = FNewLines.find(key);
    return it != FNewLines.end() ? it->second : FQueue.StoredLine(key);
}

// ---------------------------------------------------------------- hooks

bool TfrmBusDayDocument::InitForm()
{
    if (!TQuorendReadForm::InitForm())
        return false;
    FRowInEdit = false;
    {
        const QSignalBlocker block(date_doc);
        date_doc->setDate(QDate::currentDate());
    }
    bool filled = false;
    try {
        filled = FillBusesList(this, code_bus) && FillProductsList(this, code_izd) && FillPackagingList(this, code_a);
    } catch (const std::exception &e) {
        ShowError(LoadResString(rsDatabaseError) + kLineBreak + DatabaseErrorMessage(e));
    }
    if (filled) {
        AmountFormatter->SetPrecision(quantity_izd->Precision());
        Grid->GetColAttributes(colQuantity)->SetFormatter(AmountFormatter);
        Grid->GetColAttributes(colPackQuantity)->SetFormatter(AmountFormatter);
        labMeasure_Izdelie->clear();
    }
    return true;
}

bool TfrmBusDayDocument::FormDone()
{
    SetRegistrySetting(QStringLiteral("code_bus_Text"), code_bus->text());
    SetRegistrySetting(QStringLiteral("code_izd_Text"), code_izd->text());
    SetRegistrySetting(QStringLiteral("code_a_Text"), code_a->text());
    return TQuorendReadForm::FormDone();
}

bool TfrmBusDayDocument::BeforeShow()
{
    TQuorendReadForm::BeforeShow();
    setWindowTitle(CaptionText());
    QString upper;
    UpperCaseChars(windowTitle(), upper);
    pnlCaption->setText(upper);
    if (FNumbered) {
        FillDocNoList();
        SetListEditTextToLastRow(docno);
    }
    FSwitch.Shown();
    Execute();
    return true;
}

QString TfrmBusDayDocument::GetSubTitle()
{
    return Format(QStringLiteral(" номер %d, за микробус %s - %s, за дата %s"),
                  {DocNo(), code_bus->text().trimmed(), BusName(), DateToDisplayText(date_doc->date())});
}

void TfrmBusDayDocument::FillDocNoList()
{
    if (!docno)
        return;
    TDelimitedStringList numbers;
    SelectToList(this, DbConnection,
                 Format(QStringLiteral("SELECT docno FROM %s WHERE ( code_bus = %d and date_doc = %d ) GROUP BY docno"),
                        {TableName(), BusCode(), DayNumber()}),
                 numbers);
    docno->setText(QString());
    SetupListEdit(docno, QStringLiteral("Номер"), &numbers);
}

bool TfrmBusDayDocument::LoadRows(TDelimitedStringList &Rows)
{
    TDelimitedStringList stored;
    const QString t = TableName();
    QString sql = QStringLiteral(
        "SELECT %0.code_izd,        %0.code_a,        %0.quantity_izd,        %0.quantity_amb FROM %0 WHERE ( "
        "((%0.docno)= %d ) AND         ((%0.date_doc)= %d ) AND         ((%0.code_bus)= %d )) ");
    sql.replace(QStringLiteral("%0"), t);
    if (!SelectToList(this, DbConnection, Format(sql, {DocNo(), DayNumber(), BusCode()}), stored))
        return false;
    for (int i = 0; i < stored.Count(); ++i) {
        const QString record = stored.Strings(i);
        const QString product = Field(record, 0);
        const QString packaging = Field(record, 1);
        QString name, unit, packName;
        ListEditLookup(code_izd, 0, 1, name, product);
        ListEditLookup(code_izd, 0, 2, unit, product);
        ListEditLookup(code_a, 0, 1, packName, packaging);
        Rows.Add(QStringList{product, name, unit, Field(record, 2), packaging, packName, Field(record, 3)}.join(
            QChar('@')));
    }
    return true;
}

TDocumentName TfrmBusDayDocument::DocumentName() const
{
    return {QStringLiteral("Протокол за върната продукция %1").arg(DocNo()), ngMasculine};
}

bool TfrmBusDayDocument::DoExecute()
{
    // What the save compares is read before the rows shown: a save of
    // another workstation in between makes this window's save refuse,
    // never overwrite.
    if (FNumbered && DocNo() < 1) {
        FLoaded.Clear();
    } else {
        const QString select = QStringLiteral("SELECT code_izd, code_a, quantity_izd, quantity_amb FROM %s WHERE ( ");
        const QString sql =
            FNumbered ? Format(select + QStringLiteral("docno = %d AND date_doc = %d AND code_bus = %d )"),
                               {TableName(), DocNo(), DayNumber(), BusCode()})
                      : Format(select + QStringLiteral("date_doc = %d AND code_bus = %d )"),
                               {TableName(), DayNumber(), BusCode()});
        FLoaded.SetQuery(this, sql, [this](const QStringList &Fields) {
            return StoredKey(StrToIntOrZero(Fields.value(0)), StrToIntOrZero(Fields.value(1)));
        });
        FLoaded.Read();
    }
    TDelimitedStringList rows;
    if (!LoadRows(rows))
        return false;
    ShowRows(rows);
    return true;
}

void TfrmBusDayDocument::ClearGridKeepQueue()
{
    ClearGrid(*Grid, 0);
    Grid->ClearCellValues();
}

void TfrmBusDayDocument::code_izdChange()
{
    QString unit;
    ListEditLookup(code_izd, 0, 2, unit, code_izd->text().trimmed());
    labMeasure_Izdelie->setText(unit);
}


void TfrmBusDayDocument::DropChanges()
{
    if (FRowInEdit)
        EndRowEdit();
    FQueue.Clear();
    FNewLines.clear();
    SetModified(false);
}


void TfrmBusDayDocument::BusOrDateChange()
{
    if (!ConfirmDocumentChange())
        return;
    ClearGridKeepQueue();
    if (FNumbered)
        FillDocNoList();
}

void TfrmBusDayDocument::docnoChange()
{
    if (ConfirmDocumentChange())
        ClearGridKeepQueue();
}

void TfrmBusDayDocument::docnoFormOk()
{
    // Unsaved changes left here mean the clerk kept the shown document.
    if (!Modified())
        Execute();
}

QString TfrmBusDayDocument::ValidateRow()
{
    QString msg;
    const int product = StrToIntOrZero(code_izd->text().trimmed());
    const int packaging = StrToIntOrZero(code_a->text().trimmed());
    TDelimitedStringList rows;
    GridRowsToList(*Grid, rows);
    for (int i = 0; i < rows.Count(); ++i) {
        const QString record = rows.Strings(i);
        if (StrToIntOrZero(Field(record, colCode)) == product && StrToIntOrZero(Field(record, colPackCode)) == packaging) {
            msg += Format(QStringLiteral("Изделие \"%s\" и амбалж \"%s\" съществуват в таблицата с данни."),
                          {code_izd->text(), code_a->text()}) +
                   kLineBreak;
            break;
        }
    }
    if (ListedCode(code_bus) == 0)
        msg += QStringLiteral("Въвдетете микробус") + kLineBreak;
    const QString productText = code_izd->text().trimmed();
    const QString pack = code_a->text().trimmed();
    if (productText.isEmpty() && pack.isEmpty())
        msg += QStringLiteral("Въвдетете изделие или амбалаж") + kLineBreak;
    // A code its list does not hold would be saved as another article or
    // as none.
    if (!productText.isEmpty() && PickerName(code_izd, productText).isEmpty())
        msg += LoadResString(rsEnterProduct) + kLineBreak;
    if (!pack.isEmpty() && PickerName(code_a, pack).isEmpty())
        msg += QStringLiteral("Въвдетете амбалаж") + kLineBreak;
    if (quantity_izd->Value() == 0 && quantity_amb->Value() == 0)
        msg += QStringLiteral("Въведете количество!") + kLineBreak;
    if (!FRowInEdit && date_doc->date() != QDate::currentDate())
        msg += TableName() == QLatin1String("Vyrnata_produkcia")
                   ? QStringLiteral("Нов протокол за върната продукция може да бъде направен само на днешна дата")
                   : QStringLiteral("Нов пропуск за извозване може да бъде направен само на днешна дата");
    return msg;
}

void TfrmBusDayDocument::QueueRow(int Line, int Product, int Packaging, long double QuantityIzd,
                                  long double QuantityAmb)
{
    // The number of a new document is known only inside the save.
    const int given = DocNo();
    const int day = DayNumber();
    const int bus = BusCode();
    const QString table = TableName();
    if (Line == 0) {
        Line = FQueue.NewLine(StoredKey(Product, Packaging));
        FNewLines[StoredKey(Product, Packaging)] = Line;
    }
    TStatementBuilder insert = [=](long double Number) {
        const QString number = given != 0 ? QString::number(given) : QString::number(qint64(Number));
        return Format(QString::fromUtf8(sqlInsertVyrnata_produkcia),
                      {table, number, day, bus, Product, Packaging, QuantityIzd, QuantityAmb});
    };
    TStatementBuilder update = [=](long double) {
        return Format(QStringLiteral("Update %s Set quantity_izd = %.4f,     quantity_amb = %.4f Where ( docno = %d AND "
                                     "date_doc = %d AND code_bus = %d AND code_izd = %d AND code_a = %d )"),
                      {table, QuantityIzd, QuantityAmb, given, day, bus, Product, Packaging});
    };
    FQueue.Put(Line, insert, update);
}

void TfrmBusDayDocument::QueueDelete(int Row)
{
    const int product = StrToIntOrZero(Grid->Cells(colCode, Row));
    const int packaging = StrToIntOrZero(Grid->Cells(colPackCode, Row));
    const QString key = StoredKey(product, packaging);
    const int line = LineOf(product, packaging);
    const QString sql = Format(QStringLiteral("Delete * from %s Where ( docno = %d AND date_doc = %d AND code_bus = %d "
                                              "AND code_izd = %d AND code_a = %d )"),
                               {TableName(), DocNo(), DayNumber(), BusCode(), product, packaging});
    FQueue.Remove(line, FixedStatement(sql));
    FNewLines.erase(key);
}

QList<QWidget *> TfrmBusDayDocument::KeyControls() const
{
    QList<QWidget *> controls;
    if (docno)
        controls << docno;
    controls << date_doc << code_bus << code_izd << code_a;
    return controls;
}

QString TfrmBusDayDocument::PickerName(TListEdit *Picker, const QString &Typed)
{
    const QString code = Typed.trimmed();
    QString name;
    if (code.isEmpty())
        return name;
    ListEditLookup(Picker, 0, 1, name, code);
    const int value = StrToIntOrZero(code);
    if (name.isEmpty() && value != 0)
        ListEditLookup(Picker, 0, 1, name, QString::number(value));
    return name;
}

long double TfrmBusDayDocument::EditedQuantity(const TFloatEdit *Editor, int Col) const
{
    const QString &filled = Col == colQuantity ? FEditQuantityText : FEditPackQuantityText;
    if (FRowInEdit && Col < FEditCells.size() && Editor->text() == filled)
        return CellNumber(FEditCells[Col]);
    return Editor->Value();
}

void TfrmBusDayDocument::WriteGridCells(const QStringList &Cells)
{
    int row = Grid->RowCount() - 1;
    const bool blankOnly = Grid->RowCount() == Grid->FixedRows() + 1 && Grid->Cells(colCode, row).trimmed().isEmpty();
    if (!blankOnly) {
        Grid->SetRowCount(Grid->RowCount() + 1);
        row = Grid->RowCount() - 1;
    }
    Grid->SetRows(row, Cells);
    Grid->ClearCellValues();
    SetStatusText(Format(QStringLiteral("Общо: %d реда"), {CountedDataRows()}));
}

void TfrmBusDayDocument::WriteGridRow(const QString &CodeText, const QString &PackCodeText, long double QuantityIzd,
                                      long double QuantityAmb)
{
    QString name, unit, packName;
    ListEditLookup(code_izd, 0, 1, name, code_izd->text().trimmed());
    ListEditLookup(code_izd, 0, 2, unit, code_izd->text().trimmed());
    ListEditLookup(code_a, 0, 1, packName, code_a->text().trimmed());
    QString qi, qa;
    FloatToDotStr(-1, qi, QuantityIzd);
    FloatToDotStr(-1, qa, QuantityAmb);
    WriteGridCells({CodeText, name, unit, qi, PackCodeText, packName, qa});
}

bool TfrmBusDayDocument::DoNew()
{
    const long double qi = EditedQuantity(quantity_izd, colQuantity);
    const long double qa = EditedQuantity(quantity_amb, colPackQuantity);
    if (FRowInEdit && qi == CellNumber(FEditCells.value(colQuantity)) &&
        qa == CellNumber(FEditCells.value(colPackQuantity)) &&
        StrToIntOrZero(code_a->text()) == StrToIntOrZero(FEditCells.value(colPackCode))) {
        // Put back as it was taken: the row and the queue stay as they were.
        WriteGridCells(FEditCells);
        const bool modified = FModifiedBeforeEdit;
        EndRowEdit();
        SetModified(modified);
        return true;
    }
    const QString msg = ValidateRow();
    if (!msg.isEmpty()) {
        ShowError(msg);
        return false;
    }
    const int product = StrToIntOrZero(code_izd->text().trimmed());
    const int packaging = StrToIntOrZero(code_a->text().trimmed());
    QueueRow(FRowInEdit ? FEditLine : 0, product, packaging, qi, qa);
    if (FCodesAsTyped)
        WriteGridRow(code_izd->text(), code_a->text(), qi, qa);
    else
        WriteGridRow(QString::number(product), QString::number(packaging), qi, qa);
    EndRowEdit();
    return true;
}

void TfrmBusDayDocument::EndRowEdit()
{
    FRowInEdit = false;
    FEditLine = 0;
    FEditCells.clear();
    SetCaptionColor(kCaptionColor);
    for (QWidget *w : KeyControls()) {
        w->setEnabled(true);
        SetControlColor(w, clWindow);
    }
    ClearLineEditors();
    code_izd->setFocus();
    quantity_izd->SetValue(0);
    quantity_amb->SetValue(0);
}

// A typed minibus the list lacks is refused before anything is read by it;
// the base then asks about unsaved work.
bool TfrmBusDayDocument::CanExecute()
{
    return CodeToReadBy(code_bus, QStringLiteral("Въвдетете микробус"), ShowValidationMessages()) &&
           TQuorendReadForm::CanExecute();
}

bool TfrmBusDayDocument::CanSave()
{
    if (!TQuorendReadForm::CanSave())
        return false;
    // The lines are stored for the minibus of the header: one its list
    // lacks would store them for nobody.
    if (ListedCode(code_bus) == 0) {
        ShowError(QStringLiteral("Въвдетете микробус"));
        return false;
    }
    return !FRowInEdit || DoNew();
}

void TfrmBusDayDocument::ClearLineEditors() { code_izd->setText(QString()); }

QString TfrmBusDayDocument::DeleteQuestion(int Row) const
{
    return Format(QStringLiteral("Желаете ли да изтриете %s: \"%s\" - \"%s\"?"),
                  {RowNoun(), Grid->Cells(colName, Row), Grid->Cells(colPackName, Row)});
}

bool TfrmBusDayDocument::DoEdit()
{
    if (FRowInEdit) {
        ShowError(LoadResString(rsOneRowInEdit));
        return false;
    }
    const int row = Grid->Row();
    if (row < Grid->FixedRows() || StrToIntOrZero(Grid->Cells(colCode, row)) == 0)
        return false;
    const int product = StrToIntOrZero(Grid->Cells(colCode, row));
    const int packaging = StrToIntOrZero(Grid->Cells(colPackCode, row));
    FRowInEdit = true;
    FEditLine = LineOf(product, packaging);
    FEditCells.clear();
    for (int c = 0; c < colCount; ++c)
        FEditCells << Grid->Cells(c, row);
    FModifiedBeforeEdit = Modified();
    SetCaptionColor(clRed);
    code_izd->setText(Grid->Cells(colCode, row));
    code_a->setText(Grid->Cells(colPackCode, row));
    quantity_izd->SetValue(CellNumber(Grid->Cells(colQuantity, row)));
    quantity_amb->SetValue(CellNumber(Grid->Cells(colPackQuantity, row)));
    FEditQuantityText = quantity_izd->text();
    FEditPackQuantityText = quantity_amb->text();
    // A line out of the grid is unsaved work until it is put back.
    SetModified(true);
    for (QWidget *w : KeyControls()) {
        w->setEnabled(false);
        SetControlColor(w, kLockedColor);
    }
    Grid->ClearRowsAttributes(row, row, 2 | 4);
    if (Grid->RowCount() > Grid->FixedRows() + 1)
        DeleteGridRow(*Grid, row);
    else
        ClearGridKeepQueue();
    return true;
}

bool TfrmBusDayDocument::DoDelete()
{
    const int row = Grid->Row();
    if (row < Grid->FixedRows() || StrToIntOrZero(Grid->Cells(colCode, row)) == 0)
        return false;
    if (AskYesNoCancel(DeleteQuestion(row)) != mrYes)
        return false;
    QueueDelete(row);
    if (Grid->RowCount() > Grid->FixedRows() + 1)
        DeleteGridRow(*Grid, row);
    else
        ClearGridKeepQueue();
    SetStatusText(Format(QStringLiteral("Общо: %d реда"), {CountedDataRows()}));
    return true;
}

void TfrmBusDayDocument::PrepareSave(TDocumentSave &Save)
{
    Save.IsNew = DocNo() < 1;
    if (Save.IsNew)
        Save.NumberFromNextCode(QStringLiteral("docno"), TableName());
    else
        Save.NumberGiven(DocNo());
    Save.Add(FQueue.Statements());
}

bool TfrmBusDayDocument::DoSave()
{
    TDocumentSave save(this);
    PrepareSave(save);
    if (NewDocumentLines() == 0) {
        // A new document without lines takes no number; a stored one left
        // unchanged is not written.
        if (save.IsNew) {
            ShowError(LoadResString(rsNoDocumentLines));
            return false;
        }
        SetModified(false);
        Execute();
        return true;
    }
    // Lines another workstation changed meanwhile are merged; one this
    // save writes too, or a document deleted meanwhile, is refused.
    if (!save.IsNew)
        save.ExpectLoaded(FLoaded, FQueue.QueuedKeys(), DocumentName());
    // Execute below reads the document again.
    save.WindowReadsAgain = true;
    if (!save.Run())
        return false;
    FQueue.Clear();
    FNewLines.clear();
    SetModified(false);
    if (FNumbered) {
        FillDocNoList();
        // The document just saved stays shown (a new one has the highest
        // number of the list).
        docno->setText(QString::number(qint64(save.Number())));
    }
    Execute();
    return true;
}

bool TfrmBusDayDocument::IsSaveEnabled() { return true; }
bool TfrmBusDayDocument::IsNewEnabled() { return true; }
bool TfrmBusDayDocument::IsEditEnabled() { return IsDataRow(); }
bool TfrmBusDayDocument::IsDeleteEnabled() { return IsDataRow(); }
bool TfrmBusDayDocument::IsPrintEnabled() { return FNumbered || TQuorendReadForm::IsPrintEnabled(); }

// ---------------------------------------------------------------- the protocol

TfrmVyrnata_produkcia::TfrmVyrnata_produkcia(QWidget *AOwner, TFormStyle AFormStyle)
    : TfrmBusDayDocument(AOwner, AFormStyle, true, 0)
{
    setObjectName(QStringLiteral("frmVyrnata_produkcia"));
    const QStringList hints = {QStringLiteral("Ако полето \"докумет номер\""), QStringLiteral("не е попълнено се създава"),
                               QStringLiteral("НОВ протокол за върната"), QStringLiteral("продукция. При F2 (запис)"),
                               QStringLiteral("системата ще му зададе номер")};
    for (int i = 0; i < hints.size(); ++i) {
        HintLabels[i]->setText(hints[i]);
        HintLabels[i]->show();
    }
    actPrint->setEnabled(true);
}

bool TfrmBusDayDocument::PrintDocument(long double) { return false; }

bool TfrmBusDayDocument::DoPrint()
{
    if (!FNumbered)
        return TQuorendReadForm::DoPrint();
    if (DocNo() == 0) {
        ShowMessage(QStringLiteral("Моля съхранете документа преди да го отпечатате!"));
        return false;
    }
    if (!CanSave())
        return false;
    return PrintDocument(DocNo());
}

bool TfrmVyrnata_produkcia::PrintDocument(long double Number) { return PrintVyrnataProdukcia(this, Number); }

namespace {
const bool registered = RegisterQuorendFormClass<TfrmVyrnata_produkcia>(QStringLiteral("TfrmVyrnata_produkcia"));
}
