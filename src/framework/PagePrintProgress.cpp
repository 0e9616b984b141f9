#include "framework/PagePrintProgress.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace {
// Sizes laid out at 96 pixels per inch.
int Scaled(int pixels, int dpi) { return pixels * dpi / 96; }
} // namespace

TPagePrintProgressDlg::TPagePrintProgressDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Print Progress"));
    const int dpi = logicalDpiY();
    setFixedSize(Scaled(354, dpi), Scaled(96, dpi));

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(Scaled(8, dpi), Scaled(8, dpi), Scaled(250, dpi), Scaled(17, dpi));

    lblPageNumber = new QLabel(this);
    lblPageNumber->setObjectName(QStringLiteral("lblPageNumber"));
    lblPageNumber->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblPageNumber->setGeometry(Scaled(258, dpi), Scaled(8, dpi), Scaled(88, dpi), Scaled(17, dpi));

    ProgBar = new QProgressBar(this);
    ProgBar->setObjectName(QStringLiteral("ProgBar"));
    ProgBar->setGeometry(Scaled(8, dpi), Scaled(30, dpi), Scaled(338, dpi), Scaled(18, dpi));
    ProgBar->setTextVisible(false);
    ProgBar->setRange(0, 1);
    ProgBar->setValue(0);

    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setGeometry(Scaled(139, dpi), Scaled(60, dpi), Scaled(75, dpi), Scaled(25, dpi));
    btnCancel->setDefault(true);
    connect(btnCancel, &QPushButton::clicked, this, &TPagePrintProgressDlg::reject);
}

void TPagePrintProgressDlg::reject()
{
    setResult(QDialog::Rejected);
    if (OnCancel)
        OnCancel();
}

void TPagePrintProgressDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}
