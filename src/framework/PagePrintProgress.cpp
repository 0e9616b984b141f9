#include "framework/PagePrintProgress.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace {
// Sizes laid out at 96 pixels per inch.
int Scaled(int pixels, int dpi) { return pixels * dpi / 96; }
} // namespace

TPagePrintProgressDlg::TPagePrintProgressDlg(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setWindowTitle(QStringLiteral("Print Progress"));
    setFixedSize(Scaled(354, logicalDpiY()), Scaled(96, logicalDpiY()));

    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));

    lblPageNumber = new QLabel(this);
    lblPageNumber->setObjectName(QStringLiteral("lblPageNumber"));
    lblPageNumber->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    ProgBar = new QProgressBar(this);
    ProgBar->setObjectName(QStringLiteral("ProgBar"));
    ProgBar->setTextVisible(false);
    ProgBar->setRange(0, 1);
    ProgBar->setValue(0);

    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    FitToTexts();
    btnCancel->setDefault(true);
    connect(btnCancel, &QPushButton::clicked, this, &TPagePrintProgressDlg::reject);
}

void TPagePrintProgressDlg::FitToTexts()
{
    // The status text and the page counter each get the width their text
    // (or the usual one: the printing message, four-digit page numbers)
    // needs, side by side; the dialog widens beyond its 354 pixels when
    // they do not fit.
    const int dpi = logicalDpiY();
    const int margin = Scaled(8, dpi);
    const QFontMetrics status = lblStatus->fontMetrics();
    const QFontMetrics page = lblPageNumber->fontMetrics();
    const int statusWidth =
        std::max({Scaled(250, dpi), status.horizontalAdvance(lblStatus->text()) + 2,
                  status.horizontalAdvance(QStringLiteral("Отпечатване на страниците, моля изчакайте ...")) + 2});
    const int pageWidth = std::max({Scaled(88, dpi), page.horizontalAdvance(lblPageNumber->text()) + 2,
                                    page.horizontalAdvance(QStringLiteral("стр.: 9999 / 9999")) + 2});
    const int width = std::max(Scaled(354, dpi), margin + statusWidth + margin + pageWidth + margin);
    const int line = std::max(Scaled(17, dpi), std::max(status.height(), page.height()));
    lblStatus->setGeometry(margin, margin, statusWidth, line);
    lblPageNumber->setGeometry(width - margin - pageWidth, margin, pageWidth, line);
    ProgBar->setGeometry(margin, margin + line + Scaled(5, dpi), width - 2 * margin, Scaled(18, dpi));
    const int buttonWidth = std::max(Scaled(75, dpi), btnCancel->sizeHint().width());
    btnCancel->setGeometry((width - buttonWidth) / 2, ProgBar->geometry().bottom() + Scaled(12, dpi), buttonWidth,
                           Scaled(25, dpi));
    const int height = std::max(this->height(), btnCancel->geometry().bottom() + Scaled(11, dpi));
    setFixedSize(width, height);
}

bool TPagePrintProgressDlg::event(QEvent *event)
{
    // A label whose text changed asks its parent for a new layout.
    if (event->type() == QEvent::LayoutRequest)
        FitToTexts();
    return QDialog::event(event);
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
