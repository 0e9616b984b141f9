// The lookup-list loaders on a real database made by the schema code: the
// pickers' rows and captions, remembered texts, refills, failures, the
// name look-ups, and the cash receipt order on both print roads.
#include <gtest/gtest.h>

#include <QTest>

#include "components/ListEdit.h"
#include "core/uDelimitedStrings.h"
#include "core/unRegistryFuncs.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "framework/LookupLists.h"
#include "framework/unPrint_by_Laser.h"
#include "framework/unTextDocument.h"
#include "support/DatabaseTest.h"
#include "support/PrintedText.h"
#include "support/ScopedDialogAnswers.h"

namespace {

QStringList GridRows(TCustomListEdit &e)
{
    QStringList rows;
    const TRichGrid *g = e.ListForm()->Grid();
    for (int r = 0; r < g->RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < g->ColCount(); ++c)
            cells << g->Cells(c, r);
        rows << cells.join('|');
    }
    return rows;
}

class FixedMoment
{
public:
    FixedMoment()
    {
        SetDocumentPrintMomentForTests([] { return QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3)); });
    }
    ~FixedMoment() { SetDocumentPrintMomentForTests(nullptr); }
};

const QString OrderRow = QStringLiteral("12@345@1234.5@07.12.2026@x@3@Иван Петров");

} // namespace

class LookupListsGui : public testsupport::DatabaseTest
{
protected:
    QWidget window;
    TListEdit *edit = nullptr;
    void SetUp() override
    {
        DatabaseTest::SetUp();
        edit = new TListEdit(&window);
    }
};

TEST_F(LookupListsGui, ProductsByNameWithUnitsAndWithoutCodeZero)
{
    Execute("INSERT INTO Merki VALUES ( 1, \"бр\" )");
    Execute("INSERT INTO Merki VALUES ( 2, \"кг\" )");
    Execute("INSERT INTO Izdelia VALUES ( 10, \"Хляб бял\", 0, 0, 1, 1, 1, 1, 1, 1 )");
    Execute("INSERT INTO Izdelia VALUES ( 5, \"Баница\", 0, 0, 2, 1, 1, 1, 1, 1 )");
    SetRegistrySetting("code_izd_Text", "10");
    ASSERT_TRUE(FillProductsList(nullptr, edit));
    EXPECT_EQ(GridRows(*edit),
              (QStringList{"Шифър|Наименование|Мярка", "5|Баница|кг", "10|Хляб бял|бр"}));
    EXPECT_EQ(edit->ListForm()->Grid()->FixedRows(), 1);
    EXPECT_EQ(edit->ListForm()->Grid()->FixedColor(), TColor(0xF1E3B1));
    EXPECT_EQ(edit->Text(), "10");
    EXPECT_TRUE(edit->ListForm()->Filled());
}

TEST_F(LookupListsGui, ResourcesSkipCodeZeroAndEveryFillerHasItsCaptions)
{
    Execute("INSERT INTO Merki VALUES ( 0, \"-\" )");
    Execute("INSERT INTO Merki VALUES ( 1, \"кг\" )");
    Execute("INSERT INTO Resources VALUES ( 3, \"Брашно\", 1 )");
    ASSERT_TRUE(FillResourcesList(nullptr, edit));
    EXPECT_EQ(GridRows(*edit), (QStringList{"Шифър|Наименование|Мярка", "3|Брашно|кг"}));
    ASSERT_TRUE(FillPaymentTypesList(nullptr, edit));
    EXPECT_EQ(GridRows(*edit),
              (QStringList{"Шифър|Наименование", "1|В брой", "2|По банков път"}));
    Execute("INSERT INTO Ambalaj VALUES ( 7, \"Касетка\" )");
    ASSERT_TRUE(FillPackagingList(nullptr, edit));
    EXPECT_EQ(GridRows(*edit), (QStringList{"Шифър|Наименование", "7|Касетка"}));
}

TEST_F(LookupListsGui, EmptyTableLeavesOnlyTheCaptionsAndARefillClearsOldRows)
{
    Execute("INSERT INTO Busses VALUES ( 1, \"Бус А\" )");
    Execute("INSERT INTO Busses VALUES ( 2, \"Бус Б\" )");
    ASSERT_TRUE(FillBusesList(nullptr, edit));
    EXPECT_EQ(GridRows(*edit).size(), 3);
    Execute("DELETE * FROM Busses");
    ASSERT_TRUE(FillBusesList(nullptr, edit));
    EXPECT_EQ(GridRows(*edit), (QStringList{"Шифър|Наименование", "|"}));
    TDelimitedStringList none;
    EXPECT_FALSE(SetupListEdit(edit, "Шифър@Наименование", &none));
}

TEST_F(LookupListsGui, APickIsRememberedForTheNextFill)
{
    Execute("INSERT INTO CustGroups (code_c, name_c) VALUES ( 4, \"Клиент Г\" )");
    Execute("INSERT INTO CustGroups (code_c, name_c) VALUES ( 9, \"Клиент Д\" )");
    window.show();
    ASSERT_TRUE(FillCustGroupsList(nullptr, edit));
    EXPECT_EQ(edit->Text(), "");
    edit->DropDown();
    QTest::keyClick(edit->ListForm()->Grid(), Qt::Key_End);
    QTest::keyClick(edit->ListForm()->Grid(), Qt::Key_Return);
    EXPECT_EQ(edit->Text(), "9");
    QString remembered;
    GetRegistrySetting("code_supplier_Text", remembered);
    EXPECT_EQ(remembered, "9");
    TListEdit other(&window);
    ASSERT_TRUE(FillCustGroupsList(nullptr, &other));
    EXPECT_EQ(other.Text(), "9");
}

TEST_F(LookupListsGui, FailingStatementRaisesAndKeepsTheEdit)
{
    Execute("INSERT INTO Busses VALUES ( 1, \"Бус А\" )");
    ASSERT_TRUE(FillBusesList(nullptr, edit));
    edit->setText("1");
    Execute("DROP TABLE Busses");
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_ANY_THROW(FillBusesList(nullptr, edit));
    EXPECT_EQ(edit->Text(), "1");
    EXPECT_EQ(GridRows(*edit).size(), 2);
}

TEST_F(LookupListsGui, NameLookUpsByCode)
{
    Execute("INSERT INTO Merki VALUES ( 2, \"кг\" )");
    Execute("INSERT INTO Izdelia VALUES ( 5, \"Баница\", 0, 0, 2, 1, 1, 1, 1, 1 )");
    Execute("INSERT INTO Ambalaj VALUES ( 7, \"Касетка\" )");
    QString s;
    ASSERT_TRUE(GetProductName(nullptr, DbConnection, 5, s));
    EXPECT_EQ(s, "Баница");
    ASSERT_TRUE(GetProductUnit(nullptr, DbConnection, 5, s));
    EXPECT_EQ(s, "кг");
    ASSERT_TRUE(GetPackagingName(nullptr, DbConnection, 7, s));
    EXPECT_EQ(s, "Касетка");
    ASSERT_TRUE(GetProductName(nullptr, DbConnection, 99, s));
    EXPECT_EQ(s, "");
}

TEST_F(LookupListsGui, SortAndGridRowsToList)
{
    TDelimitedStringList list;
    list.SetTextStr("3@в°1@а°2@б");
    SortDelimitedList(&list, 1);
    EXPECT_EQ(list.Text(), "1@а°2@б°3@в");
    SetupListEdit(edit, "Шифър@Наименование", &list);
    TRichGrid *g = edit->ListForm()->Grid();
    g->SetRowCount(5);
    g->SetCells(0, 4, "  ");
    g->SetCells(1, 4, "без шифър");
    TDelimitedStringList back;
    GridRowsToList(*g, back);
    EXPECT_EQ(back.Text(), "1@а°2@б°3@в");
}

TEST_F(LookupListsGui, CashReceiptOrderPrintsRawAsTheExpectedText)
{
    FixedMoment moment;
    testsupport::RawPrinterFile prn;
    SetRegistrySetting("Print_Laser", "0");
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(PrintCashReceiptOrder(nullptr, OrderRow));
    EXPECT_TRUE(dialogs.Shown().empty());
    testsupport::ExpectLinesAsFile(prn.Lines(), "cash_receipt_order.txt");
}

TEST_F(LookupListsGui, CashReceiptOrderReportsAFailedRawPrint)
{
    QTemporaryDir empty;
    testsupport::ScopedEnvironment prn("TOLVEX_PRN", "");
    testsupport::ScopedEnvironment path("PATH", empty.path().toLocal8Bit());
    SetRegistrySetting("Print_Laser", "0");
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(PrintCashReceiptOrder(nullptr, OrderRow));
    EXPECT_EQ(dialogs.Shown().size(), 1u);
}

TEST_F(LookupListsGui, CashReceiptOrderGoesToThePreviewWithoutAChoice)
{
    FixedMoment moment;
    Execute(QString("Insert into nas values ( 12, \"%1\", \"1\" )").arg(GetLocalIPAddress()));
    int spacing = -1;
    bool shown = false;
    testsupport::OnNextModal([&](QWidget *modal) {
        auto *form = qobject_cast<TfrmPrint_by_Laser *>(modal);
        ASSERT_NE(form, nullptr);
        shown = true;
        spacing = form->page->LineSpacing();
        QTest::keyClick(form, Qt::Key_Escape);
    });
    EXPECT_TRUE(PrintCashReceiptOrder(nullptr, OrderRow));
    EXPECT_TRUE(shown);
    EXPECT_EQ(spacing, lsSingleAndAHalf);
}
