// Every document window on a database of stored documents (a year of the
// bakery's work, plus a goods receipt and an invoice with a markup line, a
// notice, decimal quantities and names with an apostrophe): the stored
// document opened and saved with F2 unchanged, saved by F9 before printing,
// saved after a header sort, after an F6 filter that hides some rows, and
// after F3 and F4 on a line without a change leaves every table of the
// database as it was, byte for byte.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <sqlite3.h>

#include "app/DocumentWalkSupport.h"
#include "components/FilterMan.h"
#include "core/LineConv.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/PaymentEntryForm.h"
#include "documents/SalesDocumentTestParts.h"
#include "documents/unAkt_za_brakuvana_produkcia.h"
#include "documents/unAkt_za_proizvedena_produkcia.h"
#include "documents/unInvoice.h"
#include "documents/unResourceDocument.h"
#include "documents/unStokovaRazpiska.h"
#include "documents/unZaprihojdavane_na_ambalaj.h"
#include "documents/un_Dneven_list_na_shofior.h"
#include "documents/un_Dostavki.h"
#include "documents/un_Expedicia_na_surovini_i_materiali.h"
#include "documents/un_Iskane_za_otpuskane_na_surovini_i_materiali.h"
#include "documents/un_Ostojnostjavane_na_Otchet_plasiori.h"
#include "documents/un_Plashtane_na_dostavki.h"
#include "documents/un_Plashtane_po_otchet_na_plasior.h"
#include "documents/un_Propusk_za_izvozvane.h"
#include "documents/un_Vyrnata_produkcia.h"
#include "documents/un_Zaiavki_za_expedicia.h"
#include "framework/QuorendFormClasses.h"
#include "framework/QuorendReadForm.h"
#include "framework/unPrintPreview.h"
#include "support/DatabaseTest.h"
#include "support/PrintedText.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TableDump.h"
#include "support/TestPrinter.h"
#include "support/YearOfData.h"

namespace {

enum TCheck { ckSave, ckPrint, ckSort, ckFilter, ckLine };
const char *const kCheckNames[] = {"F2", "F9", "HeaderSort", "F6Filter", "F3F4"};

using TWindow = testsupport::TDocumentWindow;
using namespace testsupport::documentwindows;
using testsupport::kBus;
using testsupport::kMarkupInvoice;
using testsupport::kMarkupReceipt;
using testsupport::kNotice;

// Checks a window cannot meet for a sound reason, and checks that fail in
// windows whose mending is under way elsewhere.
QString SkipReason(TWindow Window, TCheck Check)
{
    const bool gridEntry = Window == wValuation || Window == wReleaseRequest || Window == wDailySheet ||
                           Window == wDeliveryPayments || Window == wMinibusPayments;
    const bool editor = Window == wGoodsReceipt || Window == wInvoice || Window == wNotice || Window == wYearNotice ||
                        Window == wYearReceipt || Window == wYearInvoice;
    if (Check == ckLine && (gridEntry || Window == wNotice || Window == wYearNotice))
        return QStringLiteral("its amounts are typed into the grid: it has no line editors for F3 and F4");
    if (Check == ckFilter && editor)
        return QStringLiteral("a document editor has no F6 filter: its lines are the whole document");
    return QString();
}

// The answers of the walk, and the errors it met.
class WalkDialogs : public testsupport::CancelQuestions
{
public:
    // The errors shown, but the refusal of a payment window with nothing
    // to pay, which is its answer to F2 on a paid period.
    QStringList Errors() const
    {
        QStringList errors;
        for (const testsupport::ShownDialog &d : Shown())
            if (!d.IsInputBox && d.Kind == mtError &&
                !d.Text.startsWith(QStringLiteral("Не са въведени данни, които да се запишат")))
                errors << d.Text;
        return errors;
    }
};

using TParam = std::tuple<int, int>;

class DocumentResaveGui : public testsupport::DocumentWalkFixture, public ::testing::WithParamInterface<TParam>
{
protected:
    // The grid the window shows its lines in.
    static TRichGrid *GridOf(TQuorendForm *Form)
    {
        if (auto *sales = qobject_cast<TSalesDocumentForm *>(Form))
            return sales->GridGoods;
        if (auto *read = qobject_cast<TQuorendReadForm *>(Form))
            return read->Grid;
        return nullptr;
    }

    // The first row that is a line of the document.
    static int FirstLine(TQuorendForm *Form)
    {
        TRichGrid *grid = GridOf(Form);
        auto *read = qobject_cast<TQuorendReadForm *>(Form);
        for (int r = grid->FixedRows(); r < grid->RowCount(); ++r)
            if (!grid->Cells(0, r).trimmed().isEmpty() && !(read && read->IsTotalsRow(r)))
                return r;
        return -1;
    }

    void Act(TQuorendForm *Form, TCheck Check)
    {
        TRichGrid *grid = GridOf(Form);
        switch (Check) {
        case ckSave:
            break;
        case ckPrint:
            return;   // F9 itself saves where the window saves before printing
        case ckSort: {
            // A click on a column's header sorts the lines by it; the walk
            // takes the last column whose sort moves a line (a click again
            // takes a sort back off).
            QCoreApplication::processEvents();
            auto codes = [grid] {
                QStringList codes;
                for (int r = grid->FixedRows(); r < grid->RowCount(); ++r)
                    codes << grid->Cells(0, r);
                return codes;
            };
            const QStringList before = codes();
            auto click = [grid](int Col) {
                const QRect cell = grid->CellRect(Col, grid->FixedRows() - 1);
                if (!cell.isEmpty())
                    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center(), 500);
            };
            bool moved = false;
            for (int col = grid->ColCount() - 1; col >= 0 && !moved; --col) {
                if (grid->ColWidths(col) <= 0)
                    continue;
                click(col);
                moved = codes() != before;
                if (!moved)
                    click(col);
            }
            if (qobject_cast<TQuorendReadForm *>(Form)) {
                EXPECT_TRUE(moved) << "no header click moved a line";
            }
            break;
        }
        case ckFilter: {
            auto *read = qobject_cast<TQuorendReadForm *>(Form);
            ASSERT_NE(read, nullptr);
            const int first = FirstLine(Form);
            ASSERT_GE(first, 0);
            // Every row but the first one's code.
            const QString hidden = grid->Cells(0, first);
            read->CreateFilterDialog();
            read->FilterConditions()->AddObject(QStringLiteral("0"),
                                                new TFilterMan(QStringLiteral("'") + hidden, FilterKindText));
            read->Execute();
            for (int r = grid->FixedRows(); r < grid->RowCount(); ++r)
                ASSERT_NE(grid->Cells(0, r), hidden) << "the filter hid no row";
            break;
        }
        case ckLine: {
            if (auto *sales = qobject_cast<TSalesDocumentForm *>(Form))
                sales->pcMain->setCurrentWidget(sales->tabGoods);
            const int first = FirstLine(Form);
            ASSERT_GE(first, 0);
            grid->SetRow(first);
            Form->actEdit->trigger();
            Form->actNew->trigger();
            break;
        }
        }
    }

    TQuorendForm *Trigger(TQuorendForm *Form, TCheck Check)
    {
        (Check == ckPrint ? Form->actPrint : Form->actSave)->trigger();
        QCoreApplication::processEvents();
        return Form;
    }
};

TEST_P(DocumentResaveGui, AStoredDocumentResavedUnchangedLeavesEveryTableAsItWas)
{
    const auto window = static_cast<TWindow>(std::get<0>(GetParam()));
    const auto check = static_cast<TCheck>(std::get<1>(GetParam()));
    const QString skip = SkipReason(window, check);
    if (!skip.isEmpty())
        GTEST_SKIP() << skip.toStdString();

    testsupport::RawPrinterFile prn;
    testsupport::TestPrinterDevice printer;
    SetPrintGridPrinter(&printer);
    struct Unset
    {
        ~Unset() { SetPrintGridPrinter(nullptr); }
    } unset;
    WalkDialogs dialogs;
    testsupport::RejectModals modals;
    const testsupport::TableDump before = testsupport::DumpTables();
    QPointer<TQuorendForm> form = OpenDocumentWindow(window);
    ASSERT_FALSE(form.isNull());
    const int first = FirstLine(form);
    ASSERT_GE(first, 0) << "the window shows no stored line";
    EXPECT_EQ(testsupport::TableDifferences(before, testsupport::DumpTables()), "") << "opening wrote";

    Act(form, check);
    ASSERT_FALSE(form.isNull());
    Trigger(form, check);
    EXPECT_EQ(testsupport::TableDifferences(before, testsupport::DumpTables()), "") << dialogs.Listed().toStdString();
    EXPECT_TRUE(dialogs.Errors().isEmpty()) << dialogs.Listed().toStdString();
}

std::vector<TParam> AllCases()
{
    std::vector<TParam> cases;
    // Every window that shows a stored document.
    for (int w = 0; w < wPassGeneration; ++w)
        for (int c = ckSave; c <= ckLine; ++c)
            cases.emplace_back(w, c);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Walk, DocumentResaveGui, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<TParam> &Info) {
                             return std::string(kDocumentWindowNames[std::get<0>(Info.param)]) + "_" +
                                    kCheckNames[std::get<1>(Info.param)];
                         });

} // namespace
