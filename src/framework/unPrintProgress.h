#pragma once
// The progress dialog of the grid print preview: a status text, the page
// being prepared or printed, a bar, Cancel, and an OK button that makes the
// operator feed the next single sheet before the printing goes on.
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

class TfmPrintProgress : public QDialog
{
    Q_OBJECT

public:
    enum : int { prNone = 0, prCancel = 1, prOk = 2 };

    explicit TfmPrintProgress(QWidget *parent = nullptr);

    QLabel *lblStatus;
    QLabel *lblPages;
    QProgressBar *ProgressBar;
    QPushButton *btnOk;
    QPushButton *btnCancel;

    void SetStatus(const QString &Text);
    // "стр.: Page / Total"; both 0 clear the label.
    void SetPages(int Page, int Total);
    void SetMax(int N);
    // One step of the bar.
    void Step();
    void ShowOkButton();
    void HideOkButton();
    // Asks for the sheet of Page and waits for OK (prOk) or Cancel
    // (prCancel). Every wait starts from no answer, so each page stops.
    int WaitForPage(int Page);
    bool Cancelled() const { return Result == prCancel; }

    // True between show and hide.
    bool Showing = false;
    int Result = prNone;

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Answer(int Value);
    void Relayout();

    bool FWaiting = false;
};
