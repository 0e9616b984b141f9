#pragma once
// The page printer's progress dialog: which page goes to the printer, a
// bar over all pages of all copies, and a Cancel button that asks the
// printing loop to stop before the next page.
#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

class TPagePrintProgressDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TPagePrintProgressDlg(QWidget *parent = nullptr);

    QLabel *lblStatus;
    QLabel *lblPageNumber;
    QProgressBar *ProgBar;
    QPushButton *btnCancel;

    // Called by the Cancel button (and by Esc); the dialog stays open until
    // the printing loop closes it.
    std::function<void()> OnCancel;

    // Places the labels, the bar and the button so that both texts show
    // whole; runs again whenever a label's text changes.
    void FitToTexts();

public slots:
    void reject() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
};
