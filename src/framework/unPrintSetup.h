#pragma once
// The print setup of the grid print preview: fonts and margins of five
// print objects (table, title, subtitle, filter, system information), each
// shown with a sample text, and the choice of printer. The dialog works on
// copies; GetData hands them back after OK.
#include <QDialog>
#include <array>

#include "framework/unReportSettings.h"

class QLabel;
class QListWidget;
class QPushButton;
class TFloatEdit;

namespace platform {
class PrinterDevice;
}

class TfmPrintSetup : public QDialog
{
    Q_OBJECT

public:
    // The printer whose name shows and whose setup "Избор" opens; not owned.
    explicit TfmPrintSetup(QWidget *parent = nullptr, platform::PrinterDevice *Printer = nullptr);

    // The list's objects in order and the entry's objects they stand for.
    static constexpr int ObjectCount = 5;
    static const std::array<int, ObjectCount> EntryObjects;
    static const std::array<const char *, ObjectCount> ObjectNames;

    void SetData(const TReportSettings &Entry, const QString &TableSample, bool TextMode, int PrinterIndex,
                 const QString &TitleSample, const QString &SubTitleSample, const QString &FilterSample,
                 const QString &SystemInfoSample);
    void GetData(TReportSettings &Entry, int &PrinterIndex) const;

    // The working copy of object I of the list.
    const TPrintObjectData &Object(int I) const { return FObjects[size_t(I)]; }
    // Shows object I of the list (selects it).
    void ShowObject(int I);

    QListWidget *lbObjects;
    QLabel *lblObjects;
    // Tag 1 top, 2 bottom, 3 left, 4 right.
    TFloatEdit *edTop;
    TFloatEdit *edBottom;
    TFloatEdit *edLeft;
    TFloatEdit *edRight;
    QPushButton *btnFont;
    QLabel *pnlSample;
    QLabel *pnlPrinter;
    QPushButton *btnPrinter;
    QPushButton *btnOk;
    QPushButton *btnCancel;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void MarginChanged(int Tag, TFloatEdit *Edit);
    void ChooseFont();
    void ChoosePrinter();
    void ShowPrinterName();
    TFloatEdit *MarginEdit(int Tag) const;

    platform::PrinterDevice *FPrinter;
    std::array<TPrintObjectData, ObjectCount> FObjects;
    std::array<QString, ObjectCount> FSamples;
    int FPrinterIndex = -1;
    bool FTextMode = false;
    bool FShowing = false;
    QList<QWidget *> FObjectControls;
};
