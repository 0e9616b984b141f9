// Every price and cost matrix and the norms window on a database that
// holds values (decimal prices among them): F2 without a change leaves
// every table as it was, straight after loading, after a header sort, after
// an F6 filter, and after F3 then F4 where the window has them.
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sqlite3.h>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uFormClasses.h"
#include "framework/SimpleFilter.h"
#include "masterdata/unNepreki_razhodi.h"
#include "masterdata/unPrices_by_items_and_stores.h"
#include "masterdata/unRazhodni_normi.h"
#include "masterdata/unResources_prices.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

// Every row of every table of the file, each field with its storage class,
// a real number with all its digits.
QStringList DumpTables(const QString &Path)
{
    QStringList out;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(Path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {QStringLiteral("unreadable")};
    }
    QStringList tables;
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%' ORDER BY name",
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        tables << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    for (const QString &table : tables) {
        const QByteArray sql = QStringLiteral("SELECT rowid, * FROM \"%1\"").arg(table).toUtf8();
        sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            QString row = table;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const int type = sqlite3_column_type(st, c);
                row += QLatin1Char('|') + QString::number(type) + QLatin1Char(':');
                if (type == SQLITE_FLOAT)
                    row += QString::number(sqlite3_column_double(st, c), 'g', 17);
                else if (type != SQLITE_NULL)
                    row += QString::fromLatin1(
                        QByteArray(static_cast<const char *>(sqlite3_column_blob(st, c)), sqlite3_column_bytes(st, c))
                            .toHex());
            }
            out << row;
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

class MatrixInvariantsGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        for (const char *sql :
             {"INSERT INTO Busses VALUES ( 1, \"Бус 1\" )",
              "INSERT INTO CustGroups ( code_c, name_c, c_bus ) VALUES ( 1, \"Вега\", 1 )",
              "INSERT INTO Obekti VALUES ( 10, 1, \"Магазин\", \"\", \"\", \"\", \"\" )",
              "INSERT INTO Obekti VALUES ( 11, 1, \"Будка\", \"\", \"\", \"\", \"\" )",
              "INSERT INTO Merki VALUES ( 1, \"кг\" )", "INSERT INTO Merki VALUES ( 2, \"бр\" )",
              "INSERT INTO Izdelia VALUES ( 5, \"Хляб\", 0, 0, 2, 0, 0, 0, 0, 0 )",
              "INSERT INTO Izdelia VALUES ( 6, \"Питка\", 0, 0, 2, 0, 0, 0, 0, 0 )",
              "INSERT INTO Prices_by_items_and_stores VALUES ( 5, 10, 1.15 )",
              "INSERT INTO Prices_by_items_and_stores VALUES ( 6, 10, 0.3333 )",
              "INSERT INTO Resources VALUES ( 3, \"Захар\", 1 )",
              "INSERT INTO Resources VALUES ( 4, \"Мая\", 1 )",
              "INSERT INTO Resources VALUES ( 9, \"Брашно\", 1 )",
              "INSERT INTO Resources_prices VALUES ( 3, 5, 0.8 )",
              "INSERT INTO Resources_prices VALUES ( 4, 5, 1.2345 )",
              "INSERT INTO Nepreki_razhodi VALUES ( 1, 100.5 )", "INSERT INTO Nepreki_razhodi VALUES ( 2, 200 )",
              "INSERT INTO Nepreki_razhodi VALUES ( 3, 300.25 )",
              "INSERT INTO Razhodni_normi VALUES ( 5, 3, 0.5 )", "INSERT INTO Razhodni_normi VALUES ( 5, 9, 0.1234 )"})
            Execute(QString::fromUtf8(sql));
        stored = DumpTables(DatabasePath());
        ASSERT_GT(stored.size(), 20);
    }
    void TearDown() override
    {
        if (form)
            form->SetModified(false);
        form.reset();
        DatabaseTest::TearDown();
    }
    template <class T> T *Open()
    {
        form.reset(CreateQuorendForm<T>(nullptr, fsNormal));
        EXPECT_TRUE(form->ShowForm());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return static_cast<T *>(form.get());
    }
    // F2, then every table as it was.
    void SaveChangesNothing(const char *After)
    {
        testsupport::ScopedDialogAnswers dialogs;
        form->actSave->trigger();
        EXPECT_EQ(DumpTables(DatabasePath()), stored) << "F2 " << After;
        EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join('|').toStdString();
    }
    void ClickHeader(int Col, int Row)
    {
        const QPoint p = form->Grid->CellRect(Col, Row).center();
        QTest::mouseClick(form->Grid->viewport(), Qt::LeftButton, Qt::NoModifier, p);
        EXPECT_FALSE(form->SortColumns().empty());
    }
    // F6 with the inputs given their texts, confirmed with F2.
    void Filter(const QStringList &Texts)
    {
        testsupport::OnNextModal([Texts](QWidget *modal) {
            auto *dialog = qobject_cast<TfrmSimpleFilter *>(modal);
            ASSERT_NE(dialog, nullptr);
            QPointer<QWidget> window(modal);
            QApplication::setActiveWindow(modal);
            for (int i = 0; i < Texts.size(); ++i) {
                auto *edit = qobject_cast<QLineEdit *>(dialog->Input(i));
                edit->clear();
                edit->insert(Texts[i]);
            }
            dialog->actOk->trigger();
            if (window && window->isVisible())
                dialog->reject();
        });
        form->actFilter->trigger();
    }
    QStringList Column(int Col) const
    {
        QStringList cells;
        for (int r = form->Grid->FixedRows(); r < form->Grid->RowCount(); ++r)
            cells << form->Grid->Cells(Col, r);
        return cells;
    }
    // The walk every window takes: loaded, sorted by a header, filtered.
    void Walk(int SortCol, int SortRow, const QStringList &FilterTexts, const QStringList &FilteredFirstColumn)
    {
        SaveChangesNothing("after loading");
        ClickHeader(SortCol, SortRow);
        SaveChangesNothing("after a header sort");
        Filter(FilterTexts);
        // The rows the filter lets through, still in the header sort's order.
        QStringList shown = Column(0), expected = FilteredFirstColumn;
        std::sort(shown.begin(), shown.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(shown, expected);
        EXPECT_TRUE(form->IsTotalsRow(form->Grid->RowCount() - 1));
        SaveChangesNothing("after an F6 filter");
        EXPECT_FALSE(form->Modified());
    }

    QStringList stored;
    std::unique_ptr<TQuorendReadForm> form;
};

} // namespace

TEST_F(MatrixInvariantsGui, IndirectCostsStayAsStored)
{
    auto *costs = Open<TfrmNepreki_razhodi>();
    EXPECT_EQ(costs->Grid->Cells(1, 1), "100.50");
    // By the month's name: April, August, December, ... come first.
    Walk(0, 0, {"", "1:"}, {"Януари", "Февруари", "Март", "Сума за филтъра"});
}

TEST_F(MatrixInvariantsGui, ResourcePricesStayAsStored)
{
    auto *prices = Open<TfrmResources_prices>();
    prices->leMonth->setText(QStringLiteral("5"));
    ASSERT_TRUE(prices->Execute());
    // Loaded by name (Брашно without a price first), sorted by code.
    EXPECT_EQ(Column(0), QStringList({"9", "3", "4"}));
    Walk(0, 0, {"", "", "", "1:"}, {"4", "Сума за филтъра"});
}

TEST_F(MatrixInvariantsGui, ProductPricesBySiteStayAsStored)
{
    auto *prices = Open<TfrmPrices_by_items_and_stores>();
    prices->leMicrobus->setText(QStringLiteral("1"));
    ASSERT_TRUE(prices->Execute());
    EXPECT_EQ(Column(0), QStringList({"10", "11"}));
    EXPECT_EQ(prices->Grid->Cells(2, 2), "1.1500");
    Walk(1, 0, {"", "~Маг"}, {"10", "Сума за филтъра"});
}

TEST_F(MatrixInvariantsGui, NormsStayAsStoredAlsoThroughAnEditWithoutAChange)
{
    auto *norms = Open<TfrmRazhodni_normi>();
    norms->leIzdelie->setText(QStringLiteral("5"));
    EXPECT_EQ(Column(0), QStringList({"9", "3"}));
    Walk(0, 0, {"", "", "", "0.2:"}, {"3", "Сума за филтъра"});
    // F3 then F4 on the norm shown: the same values are written back.
    norms->Grid->SetRow(norms->Grid->FixedRows());
    norms->actEdit->trigger();
    ASSERT_TRUE(norms->EditMode());
    norms->actNew->trigger();
    ASSERT_FALSE(norms->EditMode());
    SaveChangesNothing("after F3 and F4");
}
