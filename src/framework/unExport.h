#pragma once
// Export of a data form's table to another program: a spreadsheet (.xlsx),
// a word-processor document (.rtf) or a delimited text file, through the
// three-step wizard TfmExport "Помощник за връзка с външни програми". The
// finished spreadsheet or document opens with the desktop's program for
// it; a text file does when the clerk asks.
//
// The exporters are free routines over a grid (TRichGrid, TRunTimeGrid or
// any string grid), so that they run and are measured without the wizard.
#include <QDialog>
#include <QFont>
#include <QString>

#include "platform/ui/Colors.h"

class QAction;
class QCheckBox;
class QElapsedTimer;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class TExportAnimation;

namespace platform {
class StringGrid;
}

// The outcome of one export, as the wizard reports it.
enum TExportResult : int {
    erExported = 1,  // "Данните са прехвърлени успешно!"
    erCancelled = 2, // stopped by the clerk; no file is left
    erFailed = 3,    // not written; no half-written file is left
};

// The program choices of the wizard.
enum TExportChoice : int { ecSpreadsheet = 1, ecDocument = 2, ecTabText = 3, ecDelimText = 4 };

// A text of the export with its font.
struct TExportObject
{
    QString Text;
    QFont Font;
    TColor FontColor = clBlack;
};

// The wizard's side of a running export: status line, progress and the
// clerk's request to stop. Step is called after every cell; the wizard
// lets the window system run at most every 50 ms, never per cell, and takes
// a request to stop at the next cell.
class TExportProgress
{
public:
    virtual ~TExportProgress() = default;
    virtual void Start(const QString &Status, long long Maximum);
    virtual void SetStatus(const QString &Status);
    // Moves on by Count cells; true when the clerk asked to stop (the
    // request is then taken back).
    virtual bool Step(long long Count = 1);
    // The export failed (erFailed follows) for Cause, in the clerk's words
    // ("Файлът "..." не може да бъде записан: няма място на диска.").
    virtual void Failed(const QString &Cause);
    virtual void Finish();
};

struct TExportJob
{
    platform::StringGrid *Grid = nullptr;
    TExportObject Title;
    TExportObject SubTitle;
    TExportObject Table;
    TExportObject Company;
    QString FileName;
    QString Delimiter; // text files
};

// Each returns a TExportResult. The spreadsheet and document exporters
// show their failures ("Грешка в комуникацията с MS Excel 97 ..." and the
// cause); a text file that cannot be written fails quietly, as the wizard
// then says so. Every failure with a cause tells it to Progress.Failed.
// Each first clears the folder of the hidden files that exports of this
// program killed before they ended left there.
int ExportToSpreadsheet(const TExportJob &Job, TExportProgress &Progress);
int ExportToDocument(const TExportJob &Job, TExportProgress &Progress);
int ExportToText(const TExportJob &Job, TExportProgress &Progress);

// --- pieces of the exports, named for their tests ---------------------------

// The spreadsheet number format of a cell's text: for a '.'-decimal number
// "#,##0" + ("." and one "0" per decimal of the text) + "\ _л_в" and the
// same in red for negatives; "" (General) for any other text.
QString ExportNumberFormat(const QString &CellText);
// The index of a colour in the document's sixteen-colour table (turquoise 3
// for the header and totals colours, 0 for the window colour and colours
// it does not name).
int ExportColorIndex(TColor Color);
// The colour of an index of that table as 0xRRGGBB; -1 for 0 (automatic).
int ExportIndexColor(int Index);
// A field of a delimited text file: as it stands, or in double quotes
// (inner quotes doubled) when it holds the delimiter, a quote or a line
// break.
QString QuoteDelimitedField(const QString &Text, const QString &Delimiter);
// The file name with its extension replaced: the name (never the folder)
// is cut at its first '.' and Ext appended.
QString ChangeExportExtension(const QString &FileName, const QString &Ext);
// The file a title proposes: the title with the characters a file name
// cannot hold replaced, in the user's documents folder.
QString ExportProposedFileName(const QString &Title);
// The program name and extension of a choice ("MS Excel 97", ".xlsx").
QString ExportProgramName(int Choice);
QString ExportExtension(int Choice);

// Runs the wizard modally for Grid; the wizard frees itself. Returns True.
bool ExportGrid(QWidget *Owner, platform::StringGrid *Grid, const QString &Title, const QString &SubTitle,
                const QString &FileName);

class TfmExport : public QDialog
{
    Q_OBJECT
public:
    TfmExport(QWidget *Owner, platform::StringGrid *Grid, const QString &Title, const QString &SubTitle,
              const QString &FileName);
    ~TfmExport() override;

    // --- state
    int Step() const { return step_; }
    int Choice() const { return choice_; }
    bool Running() const { return running_; }
    // The result of the last export (0 before any).
    int LastResult() const { return lastResult_; }
    // The text of labelInfo as the wizard gives it (lines broken with CR).
    QString InfoText() const { return infoText_; }
    const TExportObject &CompanyObject() const { return company_; }
    const TExportObject &TitleObject() const { return title_; }
    const TExportObject &SubTitleObject() const { return subTitle_; }
    const TExportObject &TableObject() const { return table_; }

    // --- the wizard's operations, as its buttons run them
    // Clicks the radio button of a choice.
    void ChooseProgram(int Choice);
    void Next();
    void Prev();
    // The Cancel button: closes the wizard, or asks a running export to stop.
    void CancelClick();

    // --- controls
    QGroupBox *groupProgram = nullptr;
    QRadioButton *rbSpreadsheet = nullptr;
    QRadioButton *rbDocument = nullptr;
    QRadioButton *rbTabText = nullptr;
    QRadioButton *rbDelimText = nullptr;
    QLineEdit *editDelim = nullptr;
    QGroupBox *groupDetails = nullptr;
    QLineEdit *editTitle = nullptr;
    QPushButton *btnTitleFont = nullptr;
    QLineEdit *editSubTitle = nullptr;
    QPushButton *btnSubTitleFont = nullptr;
    QLineEdit *editFileName = nullptr;
    QPushButton *btnFileName = nullptr;
    QLabel *labelInfo = nullptr;
    QLabel *lbStatus = nullptr;
    QProgressBar *ProgressBar = nullptr;
    TExportAnimation *Animate = nullptr;
    QCheckBox *checkLoadWordpad = nullptr;
    QPushButton *btnHelp = nullptr;
    QPushButton *btnPrev = nullptr;
    QPushButton *btnNext = nullptr;
    QPushButton *btnCancel = nullptr;
    QAction *actPrev = nullptr;
    QAction *actNext = nullptr;

signals:
    // The running export lets the window system in (at its start and then
    // as its progress moves): Position of Maximum cells are done. A stop
    // asked for now is taken at the next cell.
    void ExportProgress(long long Position, long long Maximum);

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    friend class TWizardProgress;
    void BuildControls();
    void ShowStep();
    void RunExport();
    void ChooseFileClick();
    void ChooseFont(TExportObject &Object);
    void SetInfo(const QString &Text);

    platform::StringGrid *grid_;
    QString titleArg_;
    QString subTitleArg_;
    TExportObject company_;
    TExportObject title_;
    TExportObject subTitle_;
    TExportObject table_;
    int step_ = 1;
    int choice_ = ecSpreadsheet;
    bool running_ = false;
    bool cancelRequested_ = false;
    int lastResult_ = 0;
    QString failure_;
    QString infoText_;
};
