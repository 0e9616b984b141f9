// Two clerks on one stored document, day, set of payments or the settings,
// each in a program of their own (this test's process and a child process
// started for the other workstation), or in two windows of one program: B's
// window is loaded, A changes the document (or what B's window computed
// from it: the pass of a valued report) and saves, then B saves a change of
// its own. A's change always survives: B's save is merged line by line where
// the window merges, and otherwise refused with a Bulgarian message naming
// the document, writing nothing (every table compared). A clerk who saves
// twice in a row is never refused for the first save.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QProcess>
#include <memory>

#include "app/DocumentWalkSupport.h"
#include "components/FloatEdit.h"
#include "documents/unInvoice_Opis.h"
#include "documents/unStokovaRazpiska_Opis.h"
#include "components/LimitedEdit.h"
#include "core/unSettings.h"
#include <QTest>
#include "support/TableDump.h"

namespace {

using namespace testsupport::documentwindows;
using testsupport::kBus;
using testsupport::kMarkupInvoice;
using testsupport::kMarkupReceipt;
using testsupport::kNotice;

const char *const kClerkDb = "TOLVEX_CLERK_DB";
const char *const kClerkWindow = "TOLVEX_CLERK_WINDOW";
const char *const kClerkCase = "TOLVEX_CLERK_CASE";

enum TCase {
    csSameLine, csOtherLine, csDeletedLine, csDeletedDocument, csPaid, csTwice, csSecondWindow, csPassChanged, csCount
};
const char *const kCaseNames[] = {"SameLine", "OtherLine",   "DeletedLine",  "DeletedDocument",
                                  "Paid",     "TwiceInARow", "SecondWindow", "PassChanged"};

// What B's save does.
enum TOutcome { oRefused, oDeleted, oMerged, oSaved };

const TDocumentWindow kWindows[] = {wGoodsReceipt, wInvoice,        wNotice,           wProducedAct,
                                    wRejectedAct,  wPackagingAct,   wDelivery,         wIssue,
                                    wReturnedProduction, wExportPass, wExpeditionRequests, wValuation,
                                    wReleaseRequest, wDailySheet,   wDeliveryPayments, wMinibusPayments,
                                    wPassGeneration, wSettings};

bool SalesEditor(TDocumentWindow W) { return W == wGoodsReceipt || W == wInvoice || W == wNotice; }
bool Payments(TDocumentWindow W) { return W == wDeliveryPayments || W == wMinibusPayments; }
// Windows whose lines the clerk deletes one by one (F5).
bool DeletesLines(TDocumentWindow W)
{
    return W == wGoodsReceipt || W == wInvoice || (W >= wProducedAct && W <= wExpeditionRequests);
}
// Windows that write only the lines the clerk changed (the settings: the
// settings changed; their "other line" is the counter row a first goods
// receipt makes meanwhile).
bool Merges(TDocumentWindow W)
{
    return (W >= wProducedAct && W <= wExpeditionRequests) || W == wDailySheet || Payments(W) ||
           W == wPassGeneration || W == wSettings;
}
// A's change is made in a window of A's own: a pass the valuation computed
// from, a list that pays, a first goods receipt.
bool AOpensItsWindow(TDocumentWindow W, TCase C)
{
    return C == csPassChanged || (C == csPaid && SalesEditor(W)) || (W == wSettings && C == csOtherLine);
}

// B's outcome; Skip says why a window has no such case.
TOutcome Expected(TDocumentWindow W, TCase C, QString &Skip)
{
    switch (C) {
    case csOtherLine:
        return Merges(W) ? oMerged : oRefused;
    case csDeletedLine:
        if (!DeletesLines(W))
            Skip = QStringLiteral("its lines are typed into the grid, not deleted one by one");
        return oRefused;
    case csDeletedDocument:
        if (!DeletesLines(W) || SalesEditor(W))
            Skip = QStringLiteral("a document of its kind is never left without lines");
        return oDeleted;
    case csPaid:
        if (!SalesEditor(W) && !Payments(W))
            Skip = QStringLiteral("nothing of the window is paid");
        return oRefused;
    case csTwice:
        if (SalesEditor(W))
            Skip = QStringLiteral("an opened document's window closes after its save");
        return oSaved;
    case csPassChanged:
        if (W != wValuation)
            Skip = QStringLiteral("its quantities are typed, not computed from other documents");
        return oRefused;
    default:
        return oRefused;
    }
}

// The words that begin the message naming B's document.
QString DocumentWords(TDocumentWindow W, TCase C)
{
    if (C == csPassChanged)
        return QStringLiteral("Пропуските и върнатата продукция на микробус 1 ");
    switch (W) {
    case wGoodsReceipt: return QStringLiteral("Стокова разписка 2000000001 ");
    case wInvoice: return QStringLiteral("Фактура 0000999999 ");
    case wNotice: return QStringLiteral("Известие 0000999998 ");
    case wProducedAct: return QStringLiteral("Акт за произведена продукция ");
    case wRejectedAct: return QStringLiteral("Акт за бракувана продукция ");
    case wPackagingAct: return QStringLiteral("Акт за заприходен амбалаж ");
    case wDelivery: return QStringLiteral("Складова разписка за доставка ");
    case wIssue: return QStringLiteral("Протокол за експедиция ");
    case wReturnedProduction: return QStringLiteral("Протокол за върната продукция ");
    case wExportPass: return QStringLiteral("Пропуск за извозване ");
    case wExpeditionRequests: return QStringLiteral("Заявката за експедиция на микробус 1 ");
    case wValuation: return QStringLiteral("Отчетът на микробус 1 ");
    case wReleaseRequest: return QStringLiteral("Искането за отпускане на суровини и материали ");
    case wDailySheet: return QStringLiteral("Стоковата разписка на обект ");
    case wDeliveryPayments: return QStringLiteral("Плащанията по доставка ");
    case wMinibusPayments: return QStringLiteral("Плащанията по отчета на микробус 1 ");
    case wSettings: return QStringLiteral("Настройките на фирмата ");
    default: return QStringLiteral("Пропуските на микробус 1 ");
    }
}

// A clerk's answers: Yes to deleting a line and to generating a pass,
// never a print.
class ClerkDialogs : public testsupport::ScopedDialogAnswers
{
public:
    TModalResult ShowMessageBox(const platform::MessageBoxRequest &Request) override
    {
        auto offers = [&](TMsgDlgBtn b) {
            return std::any_of(Request.Buttons.begin(), Request.Buttons.end(),
                               [b](const platform::DialogButtonSpec &s) { return s.Button == b; });
        };
        if (Pending() == 0) {
            if (Request.Text.contains(QStringLiteral("отпечата")))
                Press(offers(mbCancel) ? mbCancel : mbNo);
            else if (offers(mbYes))
                Press(mbYes);
        }
        return ScopedDialogAnswers::ShowMessageBox(Request);
    }
    QStringList Errors() const
    {
        QStringList errors;
        for (const testsupport::ShownDialog &d : Shown())
            if (!d.IsInputBox && d.Kind == mtError)
                errors << d.Text;
        return errors;
    }
};

// The quantity editor a line document names for its lines.
struct LineDocumentQuantity : TfrmLineDocument
{
    static TFloatEdit *TfrmLineDocument::*Member() { return &LineDocumentQuantity::LineQuantityEdit; }
};

class TwoClerks : public testsupport::DocumentWalkFixture
{
protected:
    // A line of a window: its grid row and the cell the clerk types into
    // (-1: the line is taken into the editors with F3).
    struct TLine
    {
        int Row = -1;
        int Col = -1;
    };

    static TRichGrid *GridOf(TQuorendForm *Form)
    {
        if (auto *sales = qobject_cast<TSalesDocumentForm *>(Form))
            return sales->GridGoods;
        return qobject_cast<TQuorendReadForm *>(Form)->Grid;
    }

    // The window's lines in the order it shows them.
    static std::vector<TLine> Lines(TQuorendForm *Form, TDocumentWindow W)
    {
        if (W == wSettings)   // the company's name, the place of the deal
            return {TLine{0, -1}, TLine{1, -1}};
        TRichGrid *grid = GridOf(Form);
        auto *read = qobject_cast<TQuorendReadForm *>(Form);
        std::vector<TLine> lines;
        if (W == wNotice) {
            // The new row of each triple: its value is typed.
            for (int r = grid->FixedRows() + 1; r + 1 < grid->RowCount(); r += 3)
                lines.push_back({r, 9});
            return lines;
        }
        if (auto *sheet = qobject_cast<TfrmDneven_list_na_shofior *>(Form)) {
            // A line of a site's receipt: the first product it may take.
            for (int r = grid->FixedRows(); r < grid->RowCount() - 1; ++r)
                for (int c = sheet->FirstQuantityCol; c < sheet->FirstPriceCol(); ++c)
                    if (sheet->CanEditCell(c, r) && sheet->PaidReceiptOf(r) == 0) {
                        lines.push_back({r, c});
                        break;
                    }
            return lines;
        }
        int col = -1;
        if (auto *payments = qobject_cast<TPaymentEntryForm *>(Form))
            col = payments->ToPayColumn();
        else if (W == wValuation)
            col = TfrmOstojnostjavane_na_Otchet_plasiori::colPrice;
        else if (W == wReleaseRequest)
            col = TfrmIskane_za_otpuskane_na_surovini_i_materiali::colRequested;
        else if (W == wPassGeneration)
            col = TfrmGenerirane_na_Propusk_za_izvozvane::colToPass;
        // A line has its code (a payment's document: its number or date).
        const int codeCol = SalesEditor(W) ? 1 : 0;
        for (int r = grid->FixedRows(); r < grid->RowCount(); ++r) {
            const QString code = grid->Cells(codeCol, r).trimmed();
            if (!code.isEmpty() && !(read && read->IsTotalsRow(r)) && (Payments(W) || StrToIntOrZero(code) != 0))
                lines.push_back({r, col});
        }
        return lines;
    }

    // The text a clerk types into a line's cell for Value.
    static QString TypedText(TQuorendForm *Form, TDocumentWindow W, const TLine &Line, int Value)
    {
        if (W == wDailySheet)
            return QString::number(Value);
        if (W == wNotice)   // the new value of a credit notice's line
            return QString::number(double(DotStrToFloat(GridOf(Form)->Cells(9, Line.Row - 1))) - Value, 'f', 2);
        return QString::number(Value / 4.0, 'f', 2);
    }

    // The clerk changes line Index to Value through the window's own road.
    static void ChangeLine(TQuorendForm *Form, TDocumentWindow W, size_t Index, int Value)
    {
        const std::vector<TLine> lines = Lines(Form, W);
        ASSERT_GT(lines.size(), Index) << "the window shows too few lines";
        const TLine line = lines[Index];
        if (auto *settings = qobject_cast<TfrmNAS *>(Form)) {
            TLimitedEdit *edit = Index == 0 ? settings->ed_VA[VaCompanyName] : settings->ed_NAS[NasPlaceOfDeal];
            edit->clear();
            for (const QChar c : QStringLiteral("Фирма %1").arg(Value))
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
            return;
        }
        TRichGrid *grid = GridOf(Form);
        if (W == wPassGeneration) {
            // The clerk passes this product alone.
            for (const TLine &other : lines)
                for (int col : {TfrmGenerirane_na_Propusk_za_izvozvane::colToPass,
                                TfrmGenerirane_na_Propusk_za_izvozvane::colPackToPass})
                    grid->SetCells(col, other.Row, QStringLiteral("0"));
        }
        if (line.Col >= 0) {
            grid->SetCells(line.Col, line.Row, TypedText(Form, W, line, Value));
            return;
        }
        if (auto *sales = qobject_cast<TSalesDocumentForm *>(Form))
            sales->pcMain->setCurrentWidget(sales->tabGoods);
        grid->SetRow(line.Row);
        Form->actEdit->trigger();
        TFloatEdit *quantity = nullptr;
        if (auto *sales = qobject_cast<TSalesDocumentForm *>(Form))
            quantity = sales->edAmount;
        else if (auto *document = qobject_cast<TfrmLineDocument *>(Form))
            quantity = document->*LineDocumentQuantity::Member();
        else if (auto *bus = qobject_cast<TfrmBusDayDocument *>(Form))
            quantity = bus->quantity_izd->isEnabled() && bus->quantity_izd->Value() != 0 ? bus->quantity_izd
                                                                                         : bus->quantity_amb;
        ASSERT_NE(quantity, nullptr);
        quantity->SetValue(Value);
        Form->actNew->trigger();
    }

    static void DeleteLines(TQuorendForm *Form, TDocumentWindow W, bool All)
    {
        TRichGrid *grid = GridOf(Form);
        if (auto *sales = qobject_cast<TSalesDocumentForm *>(Form))
            sales->pcMain->setCurrentWidget(sales->tabGoods);
        do {
            const std::vector<TLine> lines = Lines(Form, W);
            if (lines.empty())
                break;
            grid->SetRow(lines[0].Row);
            Form->actDelete->trigger();
            ASSERT_LT(Lines(Form, W).size(), lines.size()) << "F5 deleted no line";
        } while (All);
    }

    static void Save(TQuorendForm *Form)
    {
        Form->actSave->trigger();
        QCoreApplication::processEvents();
    }

    // The list of the window's documents, in this program, pays B's
    // document: marked with a space and "Плащане".
    void PayThroughList(TDocumentWindow W)
    {
        TDocumentPeriodList *list = nullptr;
        if (W == wGoodsReceipt)
            list = Make<TfrmStokovaRazpiska_Opis>();
        else
            list = Make<TfrmInvoice_Opis>();
        list->dtp_From->setDate(Date.addDays(-1));
        list->dtp_To->setDate(Date.addDays(1));
        list->Execute();
        const double number = W == wGoodsReceipt ? kMarkupReceipt : W == wInvoice ? kMarkupInvoice : kNotice;
        for (int r = list->Grid->FixedRows(); r < list->Grid->RowCount(); ++r)
            if (DotStrToFloat(list->Grid->Cells(0, r)) == number)
                list->ToggleMark(r);
        list->btnPaymentClick();
    }

    // The payment windows' first document left unpaid: F2 pays what
    // remains on it.
    void UnpayFirst(TDocumentWindow W)
    {
        const QString from = QString::number(Day - 10);
        const QString to = QString::number(Day + 10);
        if (W == wDeliveryPayments)
            Execute("DELETE FROM Plashtane_na_dostavki WHERE docno_supplier = ( SELECT min(docno) FROM Dostavki "
                    "WHERE code_supplier = 2 AND date_doc BETWEEN " + from + " AND " + to + " )");
        else if (W == wMinibusPayments)
            Execute(QString("DELETE FROM Plashtane_po_otchet_na_plasior WHERE c_bus = %1 AND date_otchet = ( SELECT "
                            "min(date_doc) FROM Otchet_plasiori WHERE code_bus = %1 AND date_doc BETWEEN %2 AND %3 )")
                        .arg(kBus)
                        .arg(from, to));
    }

    // The first goods receipt of a workstation without counters: it makes
    // the counter's row.
    static void SaveFirstReceipt()
    {
        ASSERT_TRUE(NewStokovaRazpiska());
        TfrmStokovaRazpiska *receipt = OpenGoodsReceiptWindow();
        ASSERT_NE(receipt, nullptr);
        receipt->leCustomer->setText(QStringLiteral("2"));
        receipt->leObject->setText(QStringLiteral("2"));
        receipt->pcMain->setCurrentWidget(receipt->tabGoods);
        receipt->leIzdelie->setText(QStringLiteral("1"));
        receipt->edAmount->SetText(QStringLiteral("3"));
        receipt->actNew->trigger();
        Save(receipt);
    }

    // A's change, made in Form (another program's or this one's window).
    void ChangeOfA(TQuorendForm *Form, TDocumentWindow W, TCase C)
    {
        if (C == csPassChanged) {
            // The pass of the day and minibus the valuation's quantities
            // come from.
            Form = OpenDocumentWindow(wExportPass);
            W = wExportPass;
            C = csSameLine;
        } else if (W == wSettings && C == csOtherLine) {
            SaveFirstReceipt();
            return;
        }
        switch (C) {
        case csDeletedLine:
        case csDeletedDocument:
            DeleteLines(Form, W, C == csDeletedDocument);
            break;
        case csPaid:
            if (SalesEditor(W)) {
                PayThroughList(W);
                return;
            }
            break;   // the payments proposed as loaded
        default:
            ChangeLine(Form, W, 0, 71);
        }
        Save(Form);
    }
    // B's change after A's save.
    static void ChangeOfB(TQuorendForm *Form, TDocumentWindow W, TCase C)
    {
        if (!(C == csPaid && Payments(W)))
            ChangeLine(Form, W, C == csOtherLine ? 1 : 0, 93);
        Save(Form);
    }
};

// The other workstation: started by the walk below with the database, the
// window and the case, it opens the window on the shared database and
// makes A's change.
class TwoClerksChild : public TwoClerks
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariable(kClerkDb).isEmpty())
            GTEST_SKIP() << "runs only as the other workstation of the two-clerk walk";
        child_ = true;
        SetUpOn(qEnvironmentVariable(kClerkDb));
    }
    void TearDown() override
    {
        if (child_)
            TwoClerks::TearDown();
    }
    bool child_ = false;
};

TEST_F(TwoClerksChild, MakesItsChangeAndSaves)
{
    const auto window = static_cast<TDocumentWindow>(qEnvironmentVariableIntValue(kClerkWindow));
    const auto c = static_cast<TCase>(qEnvironmentVariableIntValue(kClerkCase));
    ClerkDialogs dialogs;
    testsupport::RejectModals modals;
    const testsupport::TableDump before = testsupport::DumpTables();
    QPointer<TQuorendForm> form = AOpensItsWindow(window, c) ? nullptr : OpenDocumentWindow(window);
    ChangeOfA(form, window, c);
    EXPECT_TRUE(dialogs.Errors().isEmpty()) << dialogs.Texts().join(" | ").toStdString();
    EXPECT_NE(testsupport::TableDifferences(before, testsupport::DumpTables()), "") << "A's save wrote nothing";
}

using TParam = std::tuple<int, int>;

class TwoClerksGui : public TwoClerks, public ::testing::WithParamInterface<TParam>
{
};

TEST_P(TwoClerksGui, AChangeSavedElsewhereAfterTheLoadIsNeverWrittenOver)
{
    const TDocumentWindow window = kWindows[std::get<0>(GetParam())];
    const auto c = static_cast<TCase>(std::get<1>(GetParam()));
    QString skip;
    const TOutcome outcome = Expected(window, c, skip);
    if (!skip.isEmpty())
        GTEST_SKIP() << skip.toStdString();

    if (c == csPaid)
        UnpayFirst(window);
    if (window == wSettings && c == csOtherLine)   // a workstation without counters yet
        Execute("DELETE FROM Nas WHERE n_nas IN ( 1, 2 ) AND IP_Address = \"" + Station + "\"");
    ClerkDialogs dialogs;
    testsupport::RejectModals modals;
    const testsupport::TableDump before = testsupport::DumpTables();
    QPointer<TQuorendForm> b = OpenDocumentWindow(window);
    ASSERT_FALSE(b.isNull());

    if (c == csTwice) {
        // One clerk saves, changes another line and saves again.
        ChangeLine(b, window, 0, 71);
        Save(b);
        const testsupport::TableDump first = testsupport::DumpTables();
        EXPECT_NE(testsupport::TableDifferences(before, first), "") << "the first save wrote nothing";
        ASSERT_FALSE(b.isNull());
        ChangeLine(b, window, 1, 93);
        Save(b);
        EXPECT_NE(testsupport::TableDifferences(first, testsupport::DumpTables()), "") << "the second save wrote nothing";
        EXPECT_TRUE(dialogs.Errors().isEmpty()) << dialogs.Texts().join(" | ").toStdString();
        return;
    }

    // A's change: in a second window of this program, or in another
    // workstation's program.
    if (c == csSecondWindow) {
        QPointer<TQuorendForm> a = SalesEditor(window) ? nullptr : OpenDocumentWindow(window);
        ChangeOfA(a, window, SalesEditor(window) ? csPaid : csSameLine);
        ASSERT_TRUE(dialogs.Errors().isEmpty()) << dialogs.Texts().join(" | ").toStdString();
    } else {
        std::unique_ptr<QProcess> child = testsupport::StartChildTest(
            "TwoClerksChild.MakesItsChangeAndSaves", {{kClerkDb, DatabasePath()},
                                                      {kClerkWindow, QString::number(window)},
                                                      {kClerkCase, QString::number(c)},
                                                      {"TOLVEX_PRN", "/dev/null"}});
        ASSERT_TRUE(child->waitForStarted());
        const bool finished = child->waitForFinished(120000);
        const QString output = QString::fromUtf8(child->readAll());
        testsupport::EndChild(*child);
        ASSERT_TRUE(finished) << output.toStdString();
        ASSERT_EQ(child->exitCode(), 0) << output.toStdString();
    }
    const testsupport::TableDump afterA = testsupport::DumpTables();
    ASSERT_NE(testsupport::TableDifferences(before, afterA), "") << "A's save wrote nothing";

    ASSERT_FALSE(b.isNull());
    ChangeOfB(b, window, c);
    const testsupport::TableDump final = testsupport::DumpTables();
    const QString shown = dialogs.Texts().join(" | ");
    if (outcome == oMerged) {
        EXPECT_TRUE(dialogs.Errors().isEmpty()) << shown.toStdString();
        EXPECT_NE(testsupport::TableDifferences(afterA, final), "") << "B's change was not saved";
        // Every row A wrote is there still, and none A removed came back.
        for (const auto &[table, rows] : afterA) {
            const QStringList &was = before.at(table);
            const QStringList &is = final.at(table);
            for (const QString &row : rows) {
                if (!was.contains(row)) {
                    EXPECT_TRUE(is.contains(row)) << table.toStdString() << ": A's row lost: " << row.toStdString();
                }
            }
            for (const QString &row : was) {
                if (!rows.contains(row)) {
                    EXPECT_FALSE(is.contains(row))
                        << table.toStdString() << ": A's deleted row is back: " << row.toStdString();
                }
            }
        }
        return;
    }
    // Refused: nothing written, the typed data kept, the clerk told which
    // document another workstation changed.
    EXPECT_EQ(testsupport::TableDifferences(afterA, final), "") << shown.toStdString();
    ASSERT_EQ(dialogs.Errors().size(), 1) << shown.toStdString();
    const QString message = dialogs.Errors()[0];
    EXPECT_TRUE(message.startsWith(DocumentWords(window, c))) << message.toStdString();
    EXPECT_TRUE(message.contains(outcome == oDeleted ? QStringLiteral(" от друго работно място, след като е зареден")
                                                     : QStringLiteral(" от друго работно място, след като ")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(outcome == oDeleted ? QStringLiteral("изтрит") : QStringLiteral("променен")))
        << message.toStdString();
    // What B typed is still there to be saved again after F8.
    ASSERT_FALSE(b.isNull()) << "the window closed over its unsaved data";
    if (Lines(b, window).at(c == csOtherLine ? 1 : 0).Col < 0) {
        EXPECT_TRUE(b->Modified());
    } else if (!(c == csPaid && Payments(window))) {
        const TLine typed = Lines(b, window).at(c == csOtherLine ? 1 : 0);
        EXPECT_EQ(GridOf(b)->Cells(typed.Col, typed.Row), TypedText(b, window, typed, 93));
    }
    // F8 reads what the other clerk saved; the change made again is saved.
    if (outcome == oRefused && !(c == csPaid && Payments(window))) {
        if (b->Modified())
            dialogs.Press(mbNo);   // the question before reading again: drop the refused change
        b->actExecute->trigger();
        EXPECT_EQ(testsupport::TableDifferences(final, testsupport::DumpTables()), "") << "F8 wrote";
        const qsizetype errors = dialogs.Errors().size();
        ChangeOfB(b, window, c);
        EXPECT_EQ(dialogs.Errors().size(), errors) << dialogs.Texts().join(" | ").toStdString();
        EXPECT_NE(testsupport::TableDifferences(final, testsupport::DumpTables()), "") << "the change made again was not saved";
    }
    if (window == wGoodsReceipt && c == csSameLine) {
        EXPECT_EQ(message, "Стокова разписка 2000000001 е променена от друго работно място, след като е заредена. "
                           "Промените не са записани. Натиснете F8, за да я заредите отново.");
    }
}

std::vector<TParam> AllCases()
{
    std::vector<TParam> cases;
    for (int w = 0; w < int(std::size(kWindows)); ++w)
        for (int c = 0; c < csCount; ++c)
            cases.emplace_back(w, c);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Walk, TwoClerksGui, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<TParam> &Info) {
                             return std::string(kDocumentWindowNames[kWindows[std::get<0>(Info.param)]]) + "_" +
                                    kCaseNames[std::get<1>(Info.param)];
                         });

} // namespace
