// Every window of the main menu that edits its rows above a grid (F3 takes
// a row into the editors, F4 puts it back), on a year of stored data: F8 or
// F2 while a row is in edit, and F8 after a deleted row, never leave the
// window in edit mode, never show a text that is not Bulgarian, and leave
// the database holding what the grid shows, no row lost. A code that is
// used somewhere is not changed at F4; an unused one is.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include "app/MenuWalkSupport.h"
#include "app/unMain.h"
#include "components/FloatEdit.h"
#include "components/LimitedEdit.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/un_Ado_Connection.h"
#include "documents/LineDocumentForm.h"
#include "documents/SalesDocumentForm.h"
#include "documents/unInvoice.h"
#include "documents/unResourceDocument.h"
#include "documents/unStokovaRazpiska.h"
#include "documents/un_Vyrnata_produkcia.h"
#include "masterdata/unRazhodni_normi.h"
#include "masterdata/unSimple_Nomenklatura.h"
#include "masterdata/unUsers_passwords.h"
#include "support/DatabaseTest.h"

namespace {

enum TSequence { sqEditExecuteNew, sqEditSave, sqDeleteExecuteEditNew, sqEditExecuteNo, sqRecode, sqCount };
const char *const kSequenceNames[] = {"F3F8F4", "F3F2", "F5F8F3F4", "F3F8No", "F3RecodeF4"};

// A window of the walk: its menu item and, for a document, the table whose
// first document it opens (a goods receipt and an invoice are opened by
// number).
struct TWindowDef
{
    const char *Name;
    const char *MenuItem;
    const char *Table = nullptr;
    const char *Party = nullptr;
    const char *PriceUse = nullptr;   // where the prices of its row 902 are
};
const TWindowDef kWindows[] = {
    {"Products", "FileNewItem", nullptr, nullptr, "цени на изделия по обекти"},
    {"Resources", "N_Resursi", nullptr, nullptr, "цени на ресурси"},
    {"Counterparties", "N23"},
    {"Sites", "N25", nullptr, nullptr, "цени на изделия по обекти"},
    {"Units", "N16"},
    {"Groups", "N17"},
    {"Subgroups", "N18"},
    {"Minibuses", "N_microbusses"},
    {"Packaging", "N_Ambalaj"},
    {"Operators", "N_Users_passwords"},
    {"ConsumptionNorms", "N_Razh_Norma"},
    {"GoodsReceipt", "Stokova_razpiska"},
    {"Invoice", "N_Invoice"},
    {"ProducedAct", "N_Akt_za_proizvedena_produkcia", "Akt_za_proizvedena_produkcia"},
    {"RejectedAct", "N_Akt_za_brakuvana_produkcia", "Akt_za_brakuvana_produkcia"},
    {"PackagingAct", "N_Zaprihojdavane_na_ambalaj", "Zaprihojdavane_na_ambalaj"},
    {"Delivery", "N_Dostavki", "Dostavki", "code_supplier"},
    {"Issue", "N_Expedicia_na_surovini_i_materiali", "Expedicia_na_surovini_i_materiali", "code_customer"},
    {"ReturnedProduction", "N_Vyrnata_produkcia", "Vyrnata_produkcia"},
    {"ExportPass", "N_Propusk_za_izvozvane", "Propusk_za_izvozvane"},
    {"ExpeditionRequests", "N_Zaiavki_za_expedicia", "Zaiavki_za_expedicia"},
};
constexpr int kWindowCount = int(sizeof(kWindows) / sizeof(kWindows[0]));
constexpr int kBus = 1;
// The name of the rows a code-and-name editor may delete.
const char *const kSpare = "Резерв";

// Every question gets Yes, but the one about printing; while the windows
// close, No (nothing more is written). The rest are answered as Enter would.
class YesDialogs : public testsupport::ScopedDialogAnswers
{
public:
    bool Closing = false;

    TModalResult ShowMessageBox(const platform::MessageBoxRequest &Request) override
    {
        // Nothing is printed.
        const bool print = Request.Text.contains(QStringLiteral("отпечата"));
        const TMsgDlgBtn answer = Closing || print ? mbNo : mbYes;
        if (Pending() == 0 && std::any_of(Request.Buttons.begin(), Request.Buttons.end(),
                                          [answer](const platform::DialogButtonSpec &b) { return b.Button == answer; }))
            Press(answer);
        return ScopedDialogAnswers::ShowMessageBox(Request);
    }
    // The texts shown that are not Bulgarian: fewer Cyrillic letters than
    // Latin ones (a code or user name in Latin letters may stand in a
    // Bulgarian text; a database error or an English message has few or
    // no Cyrillic letters).
    QStringList NotBulgarian() const
    {
        QStringList texts;
        for (const testsupport::ShownDialog &d : Shown()) {
            const QString text = d.IsInputBox ? d.Prompt : d.Text;
            int cyrillic = 0;
            int latin = 0;
            for (const QChar c : text) {
                cyrillic += c.script() == QChar::Script_Cyrillic;
                latin += c.script() == QChar::Script_Latin;
            }
            if (cyrillic <= latin)
                texts << text;
        }
        return texts;
    }
};

// The quantity editor a line document names for its lines.
struct LineDocumentQuantity : TfrmLineDocument
{
    static TFloatEdit *TfrmLineDocument::*Member() { return &LineDocumentQuantity::LineQuantityEdit; }
};

using TParam = std::tuple<int, int>;

class GridEditInvariantGui : public testsupport::DatabaseTest, public ::testing::WithParamInterface<TParam>
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        CloseDatabase();
        // One year made once for the suite; each test works on its copy.
        ASSERT_TRUE(
            testsupport::CopyYearMadeOnce(QStringLiteral("gridedit"), testsupport::SmallYearSpec(200), DatabasePath()));
        OpenDatabase(QCoreApplication::instance(), nullptr, true);
        // A row of every code-and-name table that nothing refers to: the
        // one the walk deletes.
        for (const char *table : {"Merki", "Groups", "SubGroup", "Busses", "Ambalaj"})
            Execute(QStringLiteral("INSERT INTO %1 VALUES ( 901, \"%2 901\" )").arg(table, kSpare));
        Execute(QStringLiteral("INSERT INTO Izdelia VALUES ( 901, \"%1 хляб\", 1, 1, 1, 1.2, 1.35, 0, 0, 0 )")
                    .arg(kSpare));
        Execute(QStringLiteral("INSERT INTO Resources VALUES ( 901, \"%1 мая\", 1 )").arg(kSpare));
        Execute(QStringLiteral("INSERT INTO CustGroups VALUES ( 901, \"%1 ООД\", \"\", \"333\", \"\", 1, \"\", "
                               "\"\", \"\", \"\", \"\", \"\", 0, \"\" )")
                    .arg(kSpare));
        Execute(QStringLiteral("INSERT INTO Obekti VALUES ( 901, 1, \"%1 обект\", \"Добрич\", \"\", \"\", \"\" )")
                    .arg(kSpare));
        Execute("INSERT INTO Izdelia VALUES ( 902, \"Хляб с цена\", 1, 1, 1, 1.2, 1.35, 0, 0, 0 )");
        Execute("INSERT INTO Obekti VALUES ( 902, 1, \"Обект с цена\", \"Добрич\", \"\", \"\", \"\" )");
        Execute("INSERT INTO Resources VALUES ( 902, \"Брашно с цена\", 1 )");
        Execute("INSERT INTO Prices_by_items_and_stores VALUES ( 902, 1, 1.5 ), ( 1, 902, 1.5 )");
        Execute("INSERT INTO Resources_prices VALUES ( 902, 1, 2.5 )");
        Execute(QStringLiteral("INSERT INTO Users_passwords VALUES ( \"petar\", \"901\", \"%1 Петров\" )").arg(kSpare));
        const QStringList day = Rows("SELECT min(date_doc) FROM Akt_za_proizvedena_produkcia");
        ASSERT_EQ(day.size(), 1);
        Day = day[0].toInt();
        main_ = std::make_unique<TMainForm>();
        main_->resize(1024, 768);
        main_->show();
        main_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    }
    void TearDown() override
    {
        if (main_)
            for (QMdiSubWindow *sub : main_->MdiArea()->subWindowList())
                if (auto *form = qobject_cast<TQuorendForm *>(sub->widget()))
                    form->SetModified(false);
        main_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DatabaseTest::TearDown();
    }

    static QDate DateOf(int DayNumber) { return QDate(1899, 12, 30).addDays(DayNumber); }
    static void Pick(TListEdit *Edit, const QString &Text)
    {
        Edit->setText(Text);
        Edit->NotifyPicked();
    }

    // The window of Def showing its stored rows, opened from the menu.
    TQuorendForm *Open(const TWindowDef &Def)
    {
        const QString item = QString::fromLatin1(Def.MenuItem);
        if (item == QLatin1String("Stokova_razpiska")) {
            const QStringList number = Rows("SELECT min(Query_num) FROM Zaiavki");
            EXPECT_TRUE(OpenStokovaRazpiska(DotStrToFloat(number.value(0))));
            return Shown();
        }
        if (item == QLatin1String("N_Invoice")) {
            const QStringList number = Rows("SELECT min(Invoice_num) FROM Invoices WHERE code_FVD = 1");
            EXPECT_TRUE(OpenInvoice(0, DotStrToFloat(number.value(0))));
            return Shown();
        }
        main_->MenuItem(item)->trigger();
        QTest::qWait(0);
        TQuorendForm *form = Shown();
        if (!form)
            return nullptr;
        if (auto *norms = qobject_cast<TfrmRazhodni_normi *>(form)) {
            Pick(norms->leIzdelie, Rows("SELECT min(code_izdelie) FROM Razhodni_normi").value(0));
            norms->Execute();
        } else if (auto *line = qobject_cast<TfrmLineDocument *>(form)) {
            OpenLineDocument(line, Def);
        } else if (auto *bus = qobject_cast<TfrmBusDayDocument *>(form)) {
            bus->date_doc->setDate(DateOf(Day));
            Pick(bus->code_bus, QString::number(kBus));
            if (bus->docno && bus->docno->text().trimmed().isEmpty())
                Pick(bus->docno, Rows(QString("SELECT min(docno) FROM %1 WHERE date_doc = %2 AND code_bus = %3")
                                          .arg(Def.Table)
                                          .arg(Day)
                                          .arg(kBus))
                                     .value(0));
            if (bus->Grid->Cells(0, bus->Grid->FixedRows()).isEmpty())
                bus->Execute();
        }
        return form;
    }
    // The day's first document of the window's table, through its date,
    // its counterparty, its number and F8.
    void OpenLineDocument(TfrmLineDocument *Form, const TWindowDef &Def)
    {
        const QStringList first =
            Rows(QString("SELECT docno, date_doc%1 FROM %2 ORDER BY date_doc, docno LIMIT 1")
                     .arg(Def.Party ? QString(", ") + Def.Party : QString(), Def.Table));
        ASSERT_FALSE(first.isEmpty());
        const QStringList fields = first[0].split('@');
        Form->date_doc->setDate(DateOf(fields.value(1).toInt()));
        if (auto *resource = qobject_cast<TfrmResourceDocument *>(Form))
            Pick(resource->counterparty, fields.value(2));
        Pick(Form->docno, fields.value(0));
        Form->Execute();
    }
    TQuorendForm *Shown() const
    {
        QMdiSubWindow *sub = main_->MdiArea()->activeSubWindow();
        if (!sub && !main_->MdiArea()->subWindowList().isEmpty())
            sub = main_->MdiArea()->subWindowList().constLast();
        if (!sub)
            return nullptr;
        main_->MdiArea()->setActiveSubWindow(sub);
        return qobject_cast<TQuorendForm *>(sub->widget());
    }
    void Close(TQuorendForm *Form, YesDialogs &Dialogs)
    {
        Dialogs.Closing = true;
        Form->Close();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Dialogs.Closing = false;
    }

    static TRichGrid *GridOf(TQuorendForm *Form)
    {
        if (auto *sales = qobject_cast<TSalesDocumentForm *>(Form))
            return sales->GridGoods;
        return qobject_cast<TQuorendReadForm *>(Form)->Grid;
    }
    static bool InEdit(TQuorendForm *Form)
    {
        if (auto *editor = qobject_cast<TfrmSimple_Nomenklatura *>(Form))
            return editor->EditMode();
        if (auto *line = qobject_cast<TfrmLineDocument *>(Form))
            return line->LineInEdit();
        if (auto *bus = qobject_cast<TfrmBusDayDocument *>(Form))
            return bus->RowInEdit();
        return qobject_cast<TSalesDocumentForm *>(Form)->LineInEdit();
    }
    // The clerk changes the line in edit: a quantity one more, a name one
    // letter longer.
    static void ChangeLine(TQuorendForm *Form)
    {
        TFloatEdit *quantity = nullptr;
        if (auto *sales = qobject_cast<TSalesDocumentForm *>(Form))
            quantity = sales->edAmount;
        else if (auto *norms = qobject_cast<TfrmRazhodni_normi *>(Form))
            quantity = norms->feKolichestvo;
        else if (auto *users = qobject_cast<TfrmUsers_passwords *>(Form))
            users->edNames->setText(users->edNames->text() + QStringLiteral("а"));
        else if (auto *editor = qobject_cast<TfrmSimple_Nomenklatura *>(Form))
            editor->edNaimenovanie->setText(editor->edNaimenovanie->text() + QStringLiteral("а"));
        else if (auto *line = qobject_cast<TfrmLineDocument *>(Form))
            quantity = line->*LineDocumentQuantity::Member();
        else if (auto *bus = qobject_cast<TfrmBusDayDocument *>(Form))
            quantity = bus->quantity_izd->isEnabled() ? bus->quantity_izd : bus->quantity_amb;
        if (quantity)
            quantity->SetValue(quantity->Value() + 1);
    }
    // The rows that are lines (a code in the first column, not a totals
    // row).
    static QList<int> LineRows(TQuorendForm *Form)
    {
        TRichGrid *grid = GridOf(Form);
        auto *read = qobject_cast<TQuorendReadForm *>(Form);
        QList<int> rows;
        for (int r = grid->FixedRows(); r < grid->RowCount(); ++r)
            if (!grid->Cells(0, r).trimmed().isEmpty() && !(read && read->IsTotalsRow(r)))
                rows << r;
        return rows;
    }
    // What the grid shows, its lines in the order of their texts, numbers
    // by their values (a sales document's line numbers left out: a line put
    // back goes last).
    static QStringList GridLines(TQuorendForm *Form)
    {
        TRichGrid *grid = GridOf(Form);
        const int from = qobject_cast<TSalesDocumentForm *>(Form) ? 1 : 0;
        QStringList lines;
        for (int r : LineRows(Form)) {
            QStringList cells;
            for (int c = from; c < grid->ColCount(); ++c) {
                // A line put back shows its numbers with all their decimals
                // (and no percent as blank), a loaded one in shortest form.
                const QString cell = grid->Cells(c, r);
                bool number = false;
                const double value = cell.toDouble(&number);
                cells << (number ? QString::number(value, 'g', 15) : cell.isEmpty() ? QStringLiteral("0") : cell);
            }
            lines << cells.join(QLatin1Char('|'));
        }
        lines.sort();
        return lines;
    }
    // The row the walk deletes: the spare row of a code-and-name table, or
    // the first line (a document's line and a norm can always go).
    static int SpareRow(TQuorendForm *Form)
    {
        const QList<int> rows = LineRows(Form);
        TRichGrid *grid = GridOf(Form);
        for (int r : rows)
            for (int c = 0; c < grid->ColCount(); ++c)
                if (grid->Cells(c, r).contains(QString::fromUtf8(kSpare)))
                    return r;
        return rows.value(0, -1);
    }
    static void Press(QWidget *Window, int Key)
    {
        if (auto *sales = qobject_cast<TSalesDocumentForm *>(Window))
            sales->pcMain->setCurrentWidget(sales->tabGoods);
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus && Window->isAncestorOf(focus) ? focus : Window, Qt::Key(Key));
        QTest::qWait(0);
    }
    static void PressOnRow(TQuorendForm *Form, int Row, int Key)
    {
        GridOf(Form)->SetRow(Row);
        Press(Form, Key);
    }

    int Day = 0;
    std::unique_ptr<TMainForm> main_;

private:
};


TEST_P(GridEditInvariantGui, AnEditEndedByF8OrF2LeavesNoEditModeAndTheGridAsStored)
{
    const TWindowDef &def = kWindows[std::get<0>(GetParam())];
    const auto sequence = static_cast<TSequence>(std::get<1>(GetParam()));
    testsupport::ModalWatch modals;
    YesDialogs dialogs;
    QPointer<TQuorendForm> form = Open(def);
    ASSERT_NE(form, nullptr);
    const QStringList stored = GridLines(form);
    ASSERT_GE(stored.size(), 2) << "the window shows no two stored rows";
    const int first = LineRows(form).constFirst();

    switch (sequence) {
    case sqEditExecuteNew:
        PressOnRow(form, first, Qt::Key_F3);
        ASSERT_TRUE(InEdit(form));
        ChangeLine(form);
        Press(form, Qt::Key_F8);
        Press(form, Qt::Key_F4);
        break;
    case sqEditSave:
        PressOnRow(form, first, Qt::Key_F3);
        ASSERT_TRUE(InEdit(form));
        ChangeLine(form);
        Press(form, Qt::Key_F2);
        break;
    case sqEditExecuteNo:
        PressOnRow(form, first, Qt::Key_F3);
        ASSERT_TRUE(InEdit(form));
        ChangeLine(form);
        dialogs.Closing = true;
        Press(form, Qt::Key_F8);
        dialogs.Closing = false;
        break;
    case sqDeleteExecuteEditNew:
        PressOnRow(form, SpareRow(form), Qt::Key_F5);
        Press(form, Qt::Key_F8);
        if (!form)
            break;   // a sales document saved at F8's question closes
        PressOnRow(form, LineRows(form).value(0, first), Qt::Key_F3);
        Press(form, Qt::Key_F4);
        break;
    case sqRecode: {
        auto *editor = qobject_cast<TfrmSimple_Nomenklatura *>(form.data());
        if (!editor || editor->feShifyr->isHidden())
            GTEST_SKIP() << "no code editor";
        // Code 1 is used (by documents or master rows), 902 by its prices alone, the spare row 901
        // nowhere: only the spare one takes code 9901.
        for (const char *code : {"1", def.PriceUse ? "902" : "1", "901"}) {
            for (const int r : LineRows(form))
                if (GridOf(form)->Cells(0, r) == code)
                    GridOf(form)->SetRow(r);
            Press(form, Qt::Key_F3);
            editor->feShifyr->SetValue(9901);
            Press(form, Qt::Key_F4);
            dialogs.Closing = true;
            Press(form, Qt::Key_F8);
            dialogs.Closing = false;
        }
        EXPECT_EQ(dialogs.Texts().value(0),
                  Format(LoadResString(rsUsedCodeNotChanged), {"1", editor->UsesOfCode(1)}) + "\n\r");
        if (def.PriceUse) {
            EXPECT_EQ(dialogs.Texts().value(2),
                      Format(LoadResString(rsUsedCodeNotChanged), {"902", def.PriceUse}) + "\n\r");
        }
        break;
    }
    default:
        break;
    }
    if (!form) {
        // An opened sales document's window closes once it is saved: the
        // rest is seen in the window opened again.
        form = Open(def);
        ASSERT_NE(form, nullptr);
    }
    EXPECT_FALSE(InEdit(form)) << dialogs.Texts().join(" | ").toStdString();
    const QStringList shown = GridLines(form);
    if (sequence == sqDeleteExecuteEditNew)
        EXPECT_EQ(shown.size(), stored.size() - 1) << "the deleted row is gone, no other; "
                                                    << dialogs.Texts().join(" | ").toStdString();
    else if (sequence == sqEditExecuteNo)
        EXPECT_EQ(shown, stored) << "the edit given up, the row is back as stored; "
                                 << dialogs.Texts().join(" | ").toStdString();
    else {
        // The row taken into the editors is back, changed; no other row
        // changed.
        EXPECT_EQ(shown.size(), stored.size()) << dialogs.Texts().join(" | ").toStdString();
        QStringList changed = shown;
        for (const QString &line : stored)
            changed.removeOne(line);
        EXPECT_EQ(changed.size(), 1) << changed.join(" / ").toStdString() << "; "
                                     << dialogs.Texts().join(" | ").toStdString();
    }

    // F3 on another row is taken; F4 puts it back.
    const QList<int> rows = LineRows(form);
    ASSERT_FALSE(rows.isEmpty());
    const int shownDialogs = static_cast<int>(dialogs.Shown().size());
    PressOnRow(form, rows.constLast(), Qt::Key_F3);
    EXPECT_TRUE(InEdit(form)) << "F3 refused: " << dialogs.Texts().mid(shownDialogs).join(" | ").toStdString();
    Press(form, Qt::Key_F4);
    EXPECT_FALSE(InEdit(form));
    EXPECT_EQ(GridLines(form), shown);
    EXPECT_TRUE(dialogs.NotBulgarian().isEmpty()) << dialogs.NotBulgarian().join(" | ").toStdString();

    // What is still queued is saved; the database then holds what the grid
    // shows: the window opened again shows the same rows.
    Press(form, Qt::Key_F2);
    if (form) {
        EXPECT_FALSE(form->Modified());
        EXPECT_EQ(GridLines(form), shown);
        Close(form, dialogs);
    }
    form = Open(def);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(GridLines(form), shown) << dialogs.Texts().join(" | ").toStdString();
    form->SetModified(false);
}

std::vector<TParam> AllCases()
{
    std::vector<TParam> cases;
    for (int w = 0; w < kWindowCount; ++w)
        for (int s = 0; s < sqCount; ++s)
            cases.emplace_back(w, s);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Walk, GridEditInvariantGui, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<TParam> &Info) {
                             return std::string(kWindows[std::get<0>(Info.param)].Name) + "_" +
                                    kSequenceNames[std::get<1>(Info.param)];
                         });

} // namespace
