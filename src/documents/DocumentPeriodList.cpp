#include "documents/DocumentPeriodList.h"

#include "components/GridUtils.h"
#include "components/RichGrid.h"
#include "core/DialogsEx.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"
#include "framework/DocumentSave.h"
#include "framework/LookupLists.h"
#include "platform/ui/ImageList.h"

#include <QAction>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

constexpr int kMarkCol = 8;
const QString kMarked = QStringLiteral("1");

// A tick drawn in code: the mark of a row chosen for payment.
QPixmap MarkPicture(int Size)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(QColor(0, 128, 0));
    pen.setWidthF(Size / 6.0);
    p.setPen(pen);
    p.drawLine(QPointF(Size * 0.15, Size * 0.55), QPointF(Size * 0.4, Size * 0.8));
    p.drawLine(QPointF(Size * 0.4, Size * 0.8), QPointF(Size * 0.85, Size * 0.2));
    return pixmap;
}

QDate RegistryDate(const QString &Name)
{
    QString value;
    GetRegistrySetting(Name, value);
    if (value.trimmed().isEmpty())
        return QDate::currentDate();
    return DayNumberToDate(int(DotStrToFloat(value)));
}

} // namespace

namespace documentlist {

QString YesNo(const QString &Flag)
{
    return Flag == QLatin1String("False") ? QStringLiteral("не") : QStringLiteral("да");
}

QString DateOrEmpty(const QString &Text)
{
    return Text.left(10) == QLatin1String("30.12.1899") ? QString() : Text;
}

QString NumberText(const QString &Number)
{
    QString digits;
    FloatToDotStr(-1, digits, DotStrToFloat(Number));
    QString r;
    PadLeft(digits, QLatin1Char('0'), 10, r);
    return r;
}

} // namespace documentlist

TDocumentPeriodList::TDocumentPeriodList(QWidget *AOwner, TFormStyle AFormStyle, const QString &RegistryPrefix,
                                         bool Paying)
    : TQuorendReadForm(AOwner, AFormStyle), FRegistryPrefix(RegistryPrefix), FPaying(Paying)
{
    dtp_From = AddDatePicker(pnlParams, QStringLiteral("От дата:"), QStringLiteral("dtp_From"));
    dtp_To = AddDatePicker(pnlParams, QStringLiteral("До дата:"), QStringLiteral("dtp_To"));
    connect(dtp_From, &QDateEdit::dateChanged, this, [this] { dtp_FromChange(); });
    connect(dtp_To, &QDateEdit::dateChanged, this, [this] { dtp_ToChange(); });

    actPrintDocument = MakeAction(QStringLiteral("Печат на документ"), QStringLiteral("Печат на документ"),
                                  QKeySequence(Qt::CTRL | Qt::Key_F9), true);
    actPrintDocument->setObjectName(QStringLiteral("actPrintDocument"));
    connect(actPrintDocument, &QAction::triggered, this, [this] { RunHeld([this] { actPrintDocumentExecute(); }); });

    if (FPaying) {
        auto *bar = new QWidget(ClientArea);
        auto *row = new QHBoxLayout(bar);
        row->setContentsMargins(6, 2, 6, 2);
        btnPayment = new QPushButton(QStringLiteral("Плащане"), bar);
        btnPayment->setObjectName(QStringLiteral("btnPayment"));
        labTotal_Cap = new QLabel(QStringLiteral("Общо за плащане:"), bar);
        labTotal_Cap->setObjectName(QStringLiteral("labTotal_Cap"));
        labTotal = new QLabel(bar);
        labTotal->setObjectName(QStringLiteral("labTotal"));
        labHint = new QLabel(bar);
        labHint->setObjectName(QStringLiteral("labHint"));
        btnPrintContract = new QPushButton(bar);
        btnPrintContract->setObjectName(QStringLiteral("btnPrintContract"));
        row->addWidget(btnPayment);
        row->addWidget(labTotal_Cap);
        row->addWidget(labTotal);
        row->addStretch(1);
        row->addWidget(labHint);
        row->addWidget(btnPrintContract);
        ClientLayout->addWidget(bar);
        connect(btnPayment, &QPushButton::clicked, this, [this] { RunHeld([this] { btnPaymentClick(); }); });
        connect(btnPrintContract, &QPushButton::clicked, this, [this] { RunHeld([this] { btnPrintContractClick(); }); });
        Grid->OnKeyPress = [this](QObject *, QChar &Key) { GridKeyPress(Key); };

        FMarkImage = Images->Add(MarkPicture(Images->Width()));
        FMarkFormatter = new TCellFormatter(this);
        FMarkFormatter->OnCellFormat = [this](TCellFormatter &, TRichGrid &, int, int, QString &Text,
                                              TCellAttributes &Attributes) {
            const bool marked = Text == kMarked;
            Text.clear();
            Attributes.SetImageIndex(marked ? FMarkImage : -1);
            Attributes.SetBitmapDrawMode(bmCenter);
        };
    }
    actEdit->setEnabled(true);
}

TDocumentPeriodList::~TDocumentPeriodList() = default;

bool TDocumentPeriodList::InitForm()
{
    if (!TQuorendReadForm::InitForm())
        return false;
    QString upper;
    UpperCaseChars(windowTitle(), upper);
    pnlCaption->setText(upper);
    SetHeaderSort(true);
    {
        const QSignalBlocker from(dtp_From);
        const QSignalBlocker to(dtp_To);
        dtp_From->setDate(RegistryDate(FRegistryPrefix + QStringLiteral("_dtp_From")));
        dtp_To->setDate(RegistryDate(FRegistryPrefix + QStringLiteral("_dtp_To")));
    }
    if (FPaying) {
        labTotal->clear();
        Grid->GetColAttributes(kMarkCol)->SetFormatter(FMarkFormatter);
    }
    return true;
}

bool TDocumentPeriodList::FormDone()
{
    QString from, to;
    FloatToDotStr(-1, from, DateToDayNumber(dtp_From->date()));
    FloatToDotStr(-1, to, DateToDayNumber(dtp_To->date()));
    SetRegistrySetting(FRegistryPrefix + QStringLiteral("_dtp_From"), from);
    SetRegistrySetting(FRegistryPrefix + QStringLiteral("_dtp_To"), to);
    return TQuorendReadForm::FormDone();
}

QString TDocumentPeriodList::GetSubTitle()
{
    return Format(QStringLiteral("от дата %s до дата %s"),
                  {DateToDisplayText(dtp_From->date()), DateToDisplayText(dtp_To->date())});
}

long double TDocumentPeriodList::RowNumber(int Row) const
{
    if (Row < Grid->FixedRows() || Row >= Grid->RowCount())
        return 0;
    return DotStrToFloat(Grid->Cells(0, Row), 0);
}

bool TDocumentPeriodList::DoEdit()
{
    const int row = Grid->Row();
    const long double number = RowNumber(row);
    if (number != 0)
        OpenDocument(row, number);
    return true;
}

void TDocumentPeriodList::actPrintDocumentExecute()
{
    const long double number = RowNumber(Grid->Row());
    if (number != 0)
        PrintDocument(number);
}

void TDocumentPeriodList::btnPrintContractClick() { actPrintDocument->trigger(); }

void TDocumentPeriodList::dtp_FromChange() { ClearGrid(*Grid, 0); }

void TDocumentPeriodList::dtp_ToChange() { ClearGrid(*Grid, 0); }

void TDocumentPeriodList::GridKeyPress(QChar &Key)
{
    if (FPaying && Key == QLatin1Char(' ')) {
        ToggleMark(Grid->Row());
        Key = QChar();
    }
}

bool TDocumentPeriodList::IsMarked(int Row) const
{
    return FPaying && Row >= Grid->FixedRows() && Row < Grid->RowCount() && Grid->Cells(kMarkCol, Row) == kMarked;
}

void TDocumentPeriodList::ToggleMark(int Row)
{
    if (!FPaying || Row < Grid->FixedRows() || Row >= Grid->RowCount())
        return;
    if (IsMarked(Row))
        Grid->SetCells(kMarkCol, Row, QString());
    else if (Grid->Cells(6, Row) == QStringLiteral("не"))
        Grid->SetCells(kMarkCol, Row, kMarked);
    ShowMarkedTotal();
}

long double TDocumentPeriodList::MarkedTotal() const
{
    long double total = 0;
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row)
        if (IsMarked(row))
            total += DotStrToRoundedFloat(Grid->Cells(5, row), 2);
    return total;
}

void TDocumentPeriodList::ShowMarkedTotal()
{
    if (labTotal)
        labTotal->setText(Format(QStringLiteral(" %10.2n лв."), {MarkedTotal()}));
}

void TDocumentPeriodList::btnMarkAll_4_PaymentClick()
{
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row)
        ToggleMark(row);
}

QString TDocumentPeriodList::PaymentStatement(int, long double) const { return QString(); }

QString TDocumentPeriodList::PaymentFailureMessage() const { return QString(); }

TDocumentName TDocumentPeriodList::RowDocumentName(int Row) const
{
    return {QStringLiteral("Документ ") + Grid->Cells(0, Row).trimmed(), ngMasculine};
}

void TDocumentPeriodList::btnPaymentClick()
{
    if (!FPaying)
        return;
    // Every marked unpaid document in one transaction: all are paid or none.
    TDocumentSave save(this);
    save.IsNew = false;
    const int today = DateToDayNumber(QDate::currentDate());
    int count = 0;
    for (int row = Grid->FixedRows(); row < Grid->RowCount(); ++row) {
        const long double number = RowNumber(row);
        if (number == 0 || !IsMarked(row) || Grid->Cells(6, row) == QStringLiteral("да"))
            continue;
        save.Add({{FixedStatement(PaymentStatement(today, number)), PaymentFailureMessage(),
                   PaidElsewhereMessage(RowDocumentName(row))}});
        ++count;
    }
    if (count > 0)
        save.Run();
    // The list shows what the database holds now, paid or not.
    Execute();
}

void TDocumentPeriodList::ShowDocumentRows(TDelimitedStringList &Rows, const TRowFields &Fields,
                                           const std::function<void(QString &)> &Own)
{
    long double total = 0;
    const QChar d = Rows.FieldDelimiter();
    for (int i = 0; i < Rows.Count(); ++i) {
        QString record = Rows.Strings(i);
        if (Own)
            Own(record);
        QString field, text;
        GetPiece(record, d, 0, field);
        SetPiece(record, d, 0, documentlist::NumberText(field));
        GetPiece(record, d, Fields.Value, field);
        total += DotStrToRoundedFloat(field, 2);
        FormatDotStr(field, 2, text);
        SetPiece(record, d, Fields.Value, text);
        for (const int f : Fields.Flags) {
            GetPiece(record, d, f, field);
            SetPiece(record, d, f, documentlist::YesNo(field));
        }
        for (const int f : Fields.Dates) {
            GetPiece(record, d, f, field);
            SetPiece(record, d, f, documentlist::DateOrEmpty(field));
        }
        for (const int f : Fields.Cleared)
            SetPiece(record, d, f, QString());
        Rows.SetStrings(i, record);
    }
    QString totals = QStringLiteral("¤Общо:") + QString(Fields.Count - 1, QLatin1Char('@'));
    SetPiece(totals, d, Fields.Value, Format(QStringLiteral("%.2f"), {total}));
    Rows.Add(totals);
    FinishRows(Rows);
}

void TDocumentPeriodList::FinishRows(TDelimitedStringList &Rows)
{
    FilterRows(Rows, QString());
    FillGridFromDelimitedStrings(*Grid, Rows, true);
    if (labTotal)
        labTotal->clear();
}
