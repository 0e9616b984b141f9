#include "framework/unPrintProgress.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

namespace {
int Scaled(int pixels, int dpi) { return pixels * dpi / 96; }
} // namespace

TfmPrintProgress::TfmPrintProgress(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("fmPrintProgress"));
    const int dpi = logicalDpiY();
    setFixedSize(Scaled(370, dpi), Scaled(110, dpi));

    lblStatus = new QLabel(QStringLiteral("Подготовка на печата, моля изчакайте ..."), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setGeometry(Scaled(8, dpi), Scaled(8, dpi), Scaled(354, dpi), Scaled(17, dpi));

    lblPages = new QLabel(this);
    lblPages->setObjectName(QStringLiteral("lblPages"));
    lblPages->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblPages->setGeometry(Scaled(250, dpi), Scaled(26, dpi), Scaled(112, dpi), Scaled(17, dpi));

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(Scaled(8, dpi), Scaled(46, dpi), Scaled(354, dpi), Scaled(18, dpi));
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 32);
    ProgressBar->setValue(0);

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnCancel = new QPushButton(QStringLiteral("Отказ"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOk, &QPushButton::clicked, this, [this] { Answer(prOk); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { Answer(prCancel); });
    HideOkButton();
}

void TfmPrintProgress::Relayout()
{
    const int dpi = logicalDpiY();
    const int top = Scaled(74, dpi);
    btnOk->setGeometry(Scaled(96, dpi), top, Scaled(75, dpi), Scaled(25, dpi));
    const int cancelLeft = btnOk->isVisibleTo(this) ? 192 : 144;
    btnCancel->setGeometry(Scaled(cancelLeft, dpi), top, Scaled(75, dpi), Scaled(25, dpi));
}

void TfmPrintProgress::SetStatus(const QString &Text)
{
    lblStatus->setText(Text);
    lblStatus->repaint();
}

void TfmPrintProgress::SetPages(int Page, int Total)
{
    if (Page == 0 && Total == 0)
        lblPages->clear();
    else
        lblPages->setText(QStringLiteral("стр.: %1 / %2").arg(Page).arg(Total));
    lblPages->repaint();
}

void TfmPrintProgress::SetMax(int N) { ProgressBar->setMaximum(std::max(1, N)); }

void TfmPrintProgress::Step()
{
    ProgressBar->setValue(std::min(ProgressBar->value() + 1, ProgressBar->maximum()));
}

void TfmPrintProgress::ShowOkButton()
{
    btnOk->setVisible(true);
    btnOk->setDefault(true);
    btnCancel->setDefault(false);
    Relayout();
}

void TfmPrintProgress::HideOkButton()
{
    btnOk->setVisible(false);
    btnOk->setDefault(false);
    btnCancel->setDefault(true);
    Relayout();
}

int TfmPrintProgress::WaitForPage(int Page)
{
    SetStatus(QStringLiteral("Моля, подгответе печата за стр. %1 и натиснете OK ...").arg(Page));
    Result = prNone;
    QPointer<TfmPrintProgress> self(this);
    FWaiting = true;
    QEventLoop loop;
    connect(btnOk, &QPushButton::clicked, &loop, &QEventLoop::quit);
    connect(btnCancel, &QPushButton::clicked, &loop, &QEventLoop::quit);
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
    if (!self)
        return prCancel;
    FWaiting = false;
    return Result == prOk ? prOk : prCancel;
}

void TfmPrintProgress::Answer(int Value) { Result = Value; }

// Esc answers as Cancel; the dialog itself stays until its owner hides it.
void TfmPrintProgress::reject()
{
    if (Showing) {
        btnCancel->click();
        return;
    }
    QDialog::reject();
}

void TfmPrintProgress::showEvent(QShowEvent *event)
{
    Showing = true;
    Result = prNone;
    ProgressBar->setValue(0);
    QDialog::showEvent(event);
}

void TfmPrintProgress::hideEvent(QHideEvent *event)
{
    Showing = false;
    QDialog::hideEvent(event);
}

void TfmPrintProgress::closeEvent(QCloseEvent *event)
{
    if (Showing && !isHidden() && event->spontaneous())
        event->ignore();
    else
        QDialog::closeEvent(event);
}
