// The small dialogs of the grid print: progress with its waits, the
// setting's name, and the print setup of fonts and margins.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QKeyEvent>
#include <QTimer>

#include "components/FloatEdit.h"
#include "framework/unPrintProgress.h"
#include "framework/unPrintSelectName.h"
#include "framework/unPrintSetup.h"
#include "support/QtPrinters.h"
#include "support/ScopedDialogAnswers.h"

namespace {

// Types each character as a key press with its text (QTest's key clicks
// take ASCII only).
void Type(QWidget *w, const QString &text)
{
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &release);
    }
}

} // namespace

TEST(PrintDialogsGui, ProgressWaitsForEveryPage)
{
    TfmPrintProgress dlg;
    EXPECT_TRUE(dlg.lblPages->text().isEmpty());
    dlg.show();
    EXPECT_TRUE(dlg.Showing);
    dlg.ShowOkButton();
    EXPECT_TRUE(dlg.btnOk->isVisible());
    EXPECT_TRUE(dlg.btnOk->isDefault());
    EXPECT_GT(dlg.btnCancel->x(), dlg.btnOk->x());

    QTimer::singleShot(0, dlg.btnOk, [&] { dlg.btnOk->click(); });
    EXPECT_EQ(TfmPrintProgress::prOk, dlg.WaitForPage(2));
    EXPECT_EQ("Моля, подгответе печата за стр. 2 и натиснете OK ...", dlg.lblStatus->text());
    // The next wait starts afresh: it waits again, and Cancel ends it.
    bool waited = false;
    QTimer::singleShot(0, dlg.btnCancel, [&] {
        waited = true;
        dlg.btnCancel->click();
    });
    EXPECT_EQ(TfmPrintProgress::prCancel, dlg.WaitForPage(3));
    EXPECT_TRUE(waited);
    EXPECT_TRUE(dlg.Cancelled());
    QTimer::singleShot(0, dlg.btnOk, [&] { dlg.btnOk->click(); });
    EXPECT_EQ(TfmPrintProgress::prOk, dlg.WaitForPage(4));
    EXPECT_FALSE(dlg.Cancelled());

    dlg.HideOkButton();
    EXPECT_FALSE(dlg.btnOk->isVisible());
    EXPECT_TRUE(dlg.btnCancel->isDefault());
    dlg.SetPages(3, 7);
    EXPECT_EQ("стр.: 3 / 7", dlg.lblPages->text());
    dlg.SetPages(0, 0);
    EXPECT_TRUE(dlg.lblPages->text().isEmpty());
    // It cannot be closed by the operator while it shows; Esc is Cancel.
    dlg.Result = TfmPrintProgress::prNone;
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.Cancelled());
    dlg.hide();
    EXPECT_FALSE(dlg.Showing);
}

TEST(PrintDialogsGui, SettingNameRefusesSeparatorsTypedOrPasted)
{
    TfmPrintSelectName dlg;
    dlg.show();
    dlg.edName->setFocus();
    Type(dlg.edName, "Ме@сеч|на,~");
    EXPECT_EQ("Месечна", dlg.edName->text());
    QApplication::clipboard()->setText("Ден°Нощ");
    dlg.edName->paste();
    EXPECT_EQ("Месечна", dlg.edName->text());
    QApplication::clipboard()->setText(" 2");
    dlg.edName->paste();
    EXPECT_EQ("Месечна 2", dlg.edName->text());

    // A text put in past the edit's check is refused at OK.
    testsupport::ScopedDialogAnswers dialogs;
    dlg.edName->setText("a@b");
    dlg.btnOk->click();
    ASSERT_EQ(1u, dialogs.Shown().size());
    EXPECT_EQ(mtError, dialogs.Shown()[0].Kind);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(QDialog::Rejected, dlg.result());
}

TEST(PrintDialogsGui, AskPrintSettingNameGivesTheNameOrNothing)
{
    testsupport::OnNextModal([](QWidget *w) {
        auto *dlg = qobject_cast<TfmPrintSelectName *>(w);
        ASSERT_NE(nullptr, dlg);
        EXPECT_EQ("Наименование на настройката", dlg->windowTitle());
        Type(dlg->edName, "Седмична");
        dlg->btnOk->click();
    });
    EXPECT_EQ("Седмична", AskPrintSettingName());

    testsupport::OnNextModal([](QWidget *w) {
        auto *dlg = qobject_cast<TfmPrintSelectName *>(w);
        ASSERT_NE(nullptr, dlg);
        Type(dlg->edName, "Седмична");
        dlg->btnCancel->click();
    });
    EXPECT_EQ("", AskPrintSettingName());
}

TEST(PrintDialogsGui, SetupShowsObjectsAndStoresEveryMargin)
{
    TReportSettings entry;
    SetDefaultPrintObjects(entry);
    entry.Objects[pobTable] = TPrintObjectData{}; // all four margins -1
    entry.Objects[pobTable].Font = QFont("Times New Roman", 8);
    entry.Objects[pobTitle].Left = 10;
    entry.Objects[pobTitle].Right = 190;
    entry.Objects[pobTitle].Top = 5;
    entry.Objects[pobTitle].Bottom = 280;

    TfmPrintSetup setup;
    EXPECT_EQ("Настройка на печат", setup.windowTitle());
    setup.SetData(entry, "", false, -1, "Продажби", "", "Филтър: всички", "07.12.2026");
    setup.show();
    ASSERT_EQ(5, setup.lbObjects->count());
    EXPECT_EQ("Системна информация", setup.lbObjects->item(4)->text());
    EXPECT_EQ(0, setup.lbObjects->currentRow());
    // The table has no margins: four disabled edits holding 0.
    for (TFloatEdit *e : {setup.edLeft, setup.edRight, setup.edTop, setup.edBottom}) {
        EXPECT_FALSE(e->isEnabled());
        EXPECT_EQ(0.0L, e->Value());
    }
    EXPECT_EQ("Пример", setup.pnlSample->text());

    setup.lbObjects->setCurrentRow(1);
    EXPECT_EQ("Продажби", setup.pnlSample->text());
    EXPECT_TRUE(setup.edLeft->isEnabled());
    EXPECT_EQ(190.0L, setup.edRight->Value());
    setup.edLeft->SetValue(12.5);
    setup.edRight->SetValue(185);
    setup.edTop->SetValue(7);
    setup.edBottom->SetValue(270);
    setup.lbObjects->setCurrentRow(2);
    EXPECT_EQ("Пример", setup.pnlSample->text());

    int printer = 3;
    setup.GetData(entry, printer);
    EXPECT_EQ(-1, printer);
    EXPECT_DOUBLE_EQ(12.5, entry.Objects[pobTitle].Left);
    EXPECT_DOUBLE_EQ(185, entry.Objects[pobTitle].Right);
    EXPECT_DOUBLE_EQ(7, entry.Objects[pobTitle].Top);
    EXPECT_DOUBLE_EQ(270, entry.Objects[pobTitle].Bottom);
    EXPECT_DOUBLE_EQ(-1, entry.Objects[pobTable].Left);
}

TEST(PrintDialogsGui, SetupInTextModeLeavesOnlyThePrinter)
{
    TReportSettings entry;
    SetDefaultPrintObjects(entry);
    TfmPrintSetup setup;
    setup.SetData(entry, "", true, -1, "", "", "", "");
    setup.show();
    EXPECT_FALSE(setup.lbObjects->isEnabled());
    EXPECT_FALSE(setup.btnFont->isEnabled());
    EXPECT_FALSE(setup.edTop->isEnabled());
    EXPECT_TRUE(setup.btnPrinter->isEnabled());
    EXPECT_TRUE(setup.btnOk->isEnabled());
}
