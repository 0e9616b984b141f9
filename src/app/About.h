#pragma once
// The About box: product, version and this workstation's address, and the
// hidden command that brings an older database up to the current schema.
#include <QByteArray>
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget *Parent = nullptr);

    // Shows Data as the picture; a damaged picture leaves none (false).
    bool LoadPicture(const QByteArray &Data);
    // The picture of the program's resources.
    static QByteArray ResourcePicture();

    QFrame *Panel1;
    QLabel *ProgramIcon;
    QLabel *ProductName;
    QLabel *Version;
    QLabel *Copyright;
    QLabel *Comments;
    QLabel *labIPAddress;
    QPushButton *OKButton;
    QPushButton *btnFix;

    // Adds the columns of the current schema that an older database lacks
    // (AddUpgradeColumns: a half-upgraded database is finished), all in one
    // transaction; a failure is shown and adds none. Whether all went
    // through.
    bool btnFixClick();

protected:
    void showEvent(QShowEvent *Event) override;

private:
    void FormShow();
};

// The About box of the running program, made at start.
extern TAboutBox *AboutBox;
