#include "framework/unPrintSetup.h"

#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include "components/FloatEdit.h"
#include "platform/print/PrinterDevice.h"

const std::array<int, TfmPrintSetup::ObjectCount> TfmPrintSetup::EntryObjects = {
    pobTable, pobTitle, pobSubTitle, pobFilter, pobSystemInfo};
const std::array<const char *, TfmPrintSetup::ObjectCount> TfmPrintSetup::ObjectNames = {
    "Таблица", "Заглавие", "Подзаглавие", "Филтър", "Системна информация"};

TfmPrintSetup::TfmPrintSetup(QWidget *parent, platform::PrinterDevice *Printer)
    : QDialog(parent), FPrinter(Printer)
{
    setObjectName(QStringLiteral("fmPrintSetup"));
    setWindowTitle(QStringLiteral("Настройка на печат"));

    lblObjects = new QLabel(QStringLiteral("Обекти:"), this);
    lbObjects = new QListWidget(this);
    lbObjects->setObjectName(QStringLiteral("lbObjects"));
    connect(lbObjects, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            ShowObject(row);
    });

    auto *margins = new QGridLayout;
    auto makeEdit = [&](int tag, const QString &caption, int row) {
        auto *label = new QLabel(caption, this);
        auto *edit = new TFloatEdit(this);
        edit->setObjectName(QStringLiteral("edMargin%1").arg(tag));
        edit->setProperty("Tag", tag);
        edit->SetPrecision(1);
        auto *unit = new QLabel(QStringLiteral("мм"), this);
        margins->addWidget(label, row, 0);
        margins->addWidget(edit, row, 1);
        margins->addWidget(unit, row, 2);
        FObjectControls << label << edit << unit;
        // Every margin edit stores its value into the object shown.
        edit->OnChange = [this, tag, edit](QObject *) { MarginChanged(tag, edit); };
        return edit;
    };
    edLeft = makeEdit(3, QStringLiteral("Ляво:"), 0);
    edRight = makeEdit(4, QStringLiteral("Дясно:"), 1);
    edTop = makeEdit(1, QStringLiteral("Горе:"), 2);
    edBottom = makeEdit(2, QStringLiteral("Долу:"), 3);

    btnFont = new QPushButton(QStringLiteral("Шрифт"), this);
    btnFont->setObjectName(QStringLiteral("btnFont"));
    connect(btnFont, &QPushButton::clicked, this, &TfmPrintSetup::ChooseFont);
    pnlSample = new QLabel(this);
    pnlSample->setObjectName(QStringLiteral("pnlSample"));
    pnlSample->setFrameShape(QFrame::StyledPanel);
    pnlSample->setAlignment(Qt::AlignCenter);
    pnlSample->setMinimumSize(260, 70);
    FObjectControls << lblObjects << lbObjects << btnFont << pnlSample;

    pnlPrinter = new QLabel(this);
    pnlPrinter->setObjectName(QStringLiteral("pnlPrinter"));
    pnlPrinter->setFrameShape(QFrame::StyledPanel);
    btnPrinter = new QPushButton(QStringLiteral("Избор"), this);
    btnPrinter->setObjectName(QStringLiteral("btnPrinter"));
    connect(btnPrinter, &QPushButton::clicked, this, &TfmPrintSetup::ChoosePrinter);

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Отказ"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *top = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(lblObjects);
    left->addWidget(lbObjects);
    top->addLayout(left);
    auto *right = new QVBoxLayout;
    right->addLayout(margins);
    right->addWidget(btnFont);
    right->addWidget(pnlSample, 1);
    top->addLayout(right, 1);
    auto *printer = new QHBoxLayout;
    printer->addWidget(new QLabel(QStringLiteral("Принтер:"), this));
    printer->addWidget(pnlPrinter, 1);
    printer->addWidget(btnPrinter);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(printer);
    layout->addLayout(buttons);
}

TFloatEdit *TfmPrintSetup::MarginEdit(int Tag) const
{
    switch (Tag) {
    case 1: return edTop;
    case 2: return edBottom;
    case 3: return edLeft;
    default: return edRight;
    }
}

void TfmPrintSetup::SetData(const TReportSettings &Entry, const QString &TableSample, bool TextMode,
                            int PrinterIndex, const QString &TitleSample, const QString &SubTitleSample,
                            const QString &FilterSample, const QString &SystemInfoSample)
{
    for (int i = 0; i < ObjectCount; ++i)
        FObjects[size_t(i)] = Entry.Objects[size_t(EntryObjects[size_t(i)])];
    FSamples = {TableSample, TitleSample, SubTitleSample, FilterSample, SystemInfoSample};
    FTextMode = TextMode;
    FPrinterIndex = PrinterIndex;
    FShowing = true;
    lbObjects->clear();
    for (const char *name : ObjectNames)
        lbObjects->addItem(QString::fromUtf8(name));
    ShowPrinterName();
    for (int tag = 1; tag <= 4; ++tag)
        MarginEdit(tag)->SetValue(0);
    FShowing = false;
    for (QWidget *w : FObjectControls)
        w->setEnabled(!TextMode);
}

void TfmPrintSetup::GetData(TReportSettings &Entry, int &PrinterIndex) const
{
    for (int i = 0; i < ObjectCount; ++i)
        Entry.Objects[size_t(EntryObjects[size_t(i)])] = FObjects[size_t(i)];
    PrinterIndex = FPrinterIndex;
}

void TfmPrintSetup::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (lbObjects->count() > 0 && lbObjects->currentRow() != 0)
        lbObjects->setCurrentRow(0);
    else if (lbObjects->count() > 0)
        ShowObject(0);
}

void TfmPrintSetup::ShowObject(int I)
{
    if (I < 0 || I >= ObjectCount)
        return;
    if (lbObjects->currentRow() != I) {
        lbObjects->setCurrentRow(I); // shows it through the row change
        return;
    }
    const TPrintObjectData &o = FObjects[size_t(I)];
    FShowing = true;
    const double values[4] = {o.Top, o.Bottom, o.Left, o.Right};
    for (int tag = 1; tag <= 4; ++tag) {
        TFloatEdit *edit = MarginEdit(tag);
        const bool has = values[tag - 1] != -1;
        edit->SetValue(has ? values[tag - 1] : 0);
        edit->setEnabled(has && !FTextMode);
    }
    FShowing = false;
    pnlSample->setFont(o.Font);
    pnlSample->setVisible(true);
    pnlSample->setText(FSamples[size_t(I)].isEmpty() ? QStringLiteral("Пример") : FSamples[size_t(I)]);
}

void TfmPrintSetup::MarginChanged(int Tag, TFloatEdit *Edit)
{
    const int i = lbObjects->currentRow();
    if (FShowing || i < 0 || i >= ObjectCount || !Edit->isEnabled())
        return;
    TPrintObjectData &o = FObjects[size_t(i)];
    const double value = double(Edit->Value());
    switch (Tag) {
    case 1: o.Top = value; break;
    case 2: o.Bottom = value; break;
    case 3: o.Left = value; break;
    default: o.Right = value; break;
    }
}

void TfmPrintSetup::ChooseFont()
{
    const int i = lbObjects->currentRow();
    if (i < 0 || i >= ObjectCount)
        return;
    btnFont->setEnabled(false);
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, FObjects[size_t(i)].Font, this, QStringLiteral("Шрифт"),
                                            QFontDialog::DontUseNativeDialog);
    btnFont->setEnabled(!FTextMode);
    if (!ok)
        return;
    FObjects[size_t(i)].Font = font;
    pnlSample->setFont(font);
}

void TfmPrintSetup::ShowPrinterName()
{
    pnlPrinter->setText(FPrinter && FPrinter->Available() ? FPrinter->Name() : QString());
}

void TfmPrintSetup::ChoosePrinter()
{
    QPrinter *printer = FPrinter ? FPrinter->QtPrinter() : nullptr;
    if (!printer)
        return;
    QPageSetupDialog dialog(printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    FPrinterIndex = QPrinterInfo::availablePrinterNames().indexOf(printer->printerName());
    ShowPrinterName();
}
