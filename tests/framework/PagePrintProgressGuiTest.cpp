// The page printer's progress dialog shows its texts whole.
#include "framework/PagePrintProgress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(PagePrintProgressGui, StatusAndPageCounterShowWholeSideBySide)
{
    TPagePrintProgressDlg dialog;
    dialog.show();
    for (const QString &status : {QString("Отпечатване на страниците, моля изчакайте ..."),
                                  QString("Печат на фактура, стокова разписка и придружителни документи ...")}) {
        dialog.lblStatus->setText(status);
        dialog.lblPageNumber->setText("стр.: 1234 / 5678");
        QCoreApplication::sendPostedEvents();
        const QFontMetrics fm = dialog.lblStatus->fontMetrics();
        EXPECT_GE(dialog.lblStatus->width(), fm.horizontalAdvance(status)) << status.toStdString();
        EXPECT_GE(dialog.lblPageNumber->width(), fm.horizontalAdvance("стр.: 1234 / 5678"));
        EXPECT_LT(dialog.lblStatus->geometry().right(), dialog.lblPageNumber->geometry().left());
        EXPECT_LE(dialog.lblPageNumber->geometry().right(), dialog.width());
        EXPECT_LE(dialog.ProgBar->geometry().right(), dialog.width());
        EXPECT_LE(dialog.btnCancel->geometry().bottom(), dialog.height());
    }
    EXPECT_GE(dialog.width(), 354 * dialog.logicalDpiY() / 96);
}
