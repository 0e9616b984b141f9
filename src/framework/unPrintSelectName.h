#pragma once
// The dialog that asks the name of a print setting. The name edit takes no
// character that separates the stored settings (',', '@', '|', '~', '°'),
// neither typed nor pasted, and the name is checked once more at OK.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TfmPrintSelectName : public QDialog
{
    Q_OBJECT

public:
    explicit TfmPrintSelectName(QWidget *parent = nullptr);

    QLabel *lblName;
    QLineEdit *edName;
    QPushButton *btnOk;
    QPushButton *btnCancel;

public slots:
    void accept() override;
};

// Shows the dialog modally: "Избор" gives the name typed, "Отказ" "".
QString AskPrintSettingName();
