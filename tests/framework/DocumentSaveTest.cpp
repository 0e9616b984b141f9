// The shared save of documents and editors: statements queued per line, one
// transaction, numbers taken inside it, refusal of a taken number, rollback
// of a failed save with its messages after the transaction, and retries.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "core/uHelpers.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "framework/DocumentSave.h"
#include "platform/db/Database.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

namespace {

const QString kStation = "10.1.1.7";

// Records whether the database was inside a transaction when each dialog
// came.
class DialogsAfterTransaction : public testsupport::ScopedDialogAnswers
{
public:
    TModalResult ShowMessageBox(const platform::MessageBoxRequest &Request) override
    {
        InTransaction.push_back(DbConnection && DbConnection->InTransaction());
        return ScopedDialogAnswers::ShowMessageBox(Request);
    }
    std::vector<bool> InTransaction;
};

TStatementBuilder Row(int Code, const QString &Name)
{
    return [=](long double) { return Format("Insert into Busses values ( %d, \"%s\" )", {Code, SqlEscape(Name)}); };
}

class DocumentSave : public testsupport::DatabaseTest
{
protected:
    // A receipt header and lines written under the number taken at save.
    void AddReceipt(TDocumentSave &save, int Lines)
    {
        save.NumberColumns = {{"Zaiavki", "Query_num"}, {"Zaiavka_rows", "Query_num"}};
        save.AddReplacing([](long double n) {
            return Format("DELETE * FROM Zaiavka_rows WHERE ( Query_num = %f )", {n});
        });
        save.AddReplacing([](long double n) { return Format("DELETE * FROM Zaiavki WHERE ( Query_num = %f )", {n}); });
        save.Add([](long double n) { return Format("INSERT INTO Zaiavki Values ( %f, 46000, 1, 46001, 7.5, 0, 0, 0 )", {n}); },
                 "Грешка при актуализиране на Zaiavki.");
        for (int i = 1; i <= Lines; ++i)
            save.Add(
                [i](long double n) {
                    return Format("INSERT INTO Zaiavka_rows Values ( %f, %d, 1.000, 2.5000, 0, 2.5000, 2.50 )", {n, i});
                },
                Format("Грешка при актуализиране на Zaiavka_rows на ред %d.", {i}));
    }
};

} // namespace

TEST(QueuedStatements, AQueuedLineChangesOrDropsItsOwnInsert)
{
    TQueuedStatements q;
    int changes = 0;
    q.OnChange = [&] { ++changes; };
    const int a = q.NewLine();
    q.Put(a, "Insert a1", "unused");
    q.Put(a, "Insert a2", "unused");
    EXPECT_TRUE(q.HasQueuedInsert(a));
    EXPECT_EQ(q.Texts(), QStringList{"Insert a2"});
    const int b = q.NewLine();
    q.Put(b, "Insert b", "unused");
    q.Remove(b, "Delete b");
    // A line that never reached the database leaves nothing behind.
    EXPECT_EQ(q.Texts(), QStringList{"Insert a2"});
    EXPECT_EQ(changes, 4);
    q.Clear();
    EXPECT_TRUE(q.IsEmpty());
}

TEST(QueuedStatements, StoredLinesUseTheirOriginalKeyAndDeletesRunFirst)
{
    TQueuedStatements q;
    const int added = q.NewLine();
    q.Put(added, "Insert 5", "");
    const int stored = q.StoredLine("5");
    EXPECT_EQ(q.StoredLine("5"), stored);
    EXPECT_EQ(q.OriginalKey(stored), "5");
    // Renamed from 5 to 6 twice: one update, keyed by the original code.
    q.Put(stored, "", "Update set code 6 where code " + q.OriginalKey(stored));
    q.Put(stored, "", "Update set code 7 where code " + q.OriginalKey(stored));
    const int gone = q.StoredLine("9");
    q.Put(gone, "", "Update 9");
    q.Remove(gone, "Delete 9");
    EXPECT_TRUE(q.HasQueuedDelete(gone));
    // Deletes, then updates, then inserts: code 5, freed by the update, is
    // free for the new line.
    EXPECT_EQ(q.Texts(), (QStringList{"Delete 9", "Update set code 7 where code 5", "Insert 5"}));
    EXPECT_EQ(q.Count(), 3);
}

TEST(QueuedStatements, ADeletedStoredLineWrittenAgainIsUpdatedAndAnUnknownLineIsNamedInBulgarian)
{
    TQueuedStatements q;
    const int stored = q.StoredLine("5");
    q.Remove(stored, "Delete 5");
    q.Put(stored, "", "Update 5");
    EXPECT_FALSE(q.HasQueuedDelete(stored));
    EXPECT_EQ(q.Texts(), QStringList{"Update 5"});
    try {
        q.Put(99, "Insert", "Update");
        ADD_FAILURE() << "an unknown line was taken";
    } catch (const std::exception &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), "Редът на документа (99) не е намерен сред промените за запис.");
    }
}

TEST_F(DocumentSave, CounterNumberIsTakenInsideAndItsMissingRowInserted)
{
    DialogsAfterTransaction dialogs;
    for (int expected = 1; expected <= 2; ++expected) {
        TDocumentSave save;
        save.NumberFromCounter(NasGoodsReceiptCounter, kStation);
        AddReceipt(save, 2);
        ASSERT_TRUE(save.Run());
        EXPECT_EQ(save.Number(), expected);
    }
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(Rows("SELECT n_nas, IP_Address, Value_nas FROM Nas"), QStringList{"1@10.1.1.7@0000000002"});
    EXPECT_EQ(Rows("SELECT Query_num, Count(*) FROM Zaiavka_rows GROUP BY Query_num"), (QStringList{"1@2", "2@2"}));
    // Another workstation counts on its own: the numbers it proposes that
    // this one took give way to the next free one.
    TDocumentSave other;
    other.NumberFromCounter(NasGoodsReceiptCounter, "10.1.1.8");
    AddReceipt(other, 1);
    ASSERT_TRUE(other.Run());
    EXPECT_EQ(other.Number(), 3);
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(Rows("SELECT IP_Address, Value_nas FROM Nas ORDER BY IP_Address"),
              (QStringList{"10.1.1.7@0000000002", "10.1.1.8@0000000003"}));
}

TEST_F(DocumentSave, ACounterRowIsUpdatedWhateverItHolds)
{
    // Left empty by the settings form, or written in a former form: the row
    // is there, so it is updated, never inserted again; it counts as
    // written.
    DialogsAfterTransaction dialogs;
    Execute("Insert into nas values ( 1, \"10.1.1.7\", \"\" )");
    Execute("Insert into nas values ( 2, \"10.1.1.7\", \"7.00\" )");
    TDocumentSave receipt;
    receipt.NumberFromCounter(NasGoodsReceiptCounter, kStation);
    AddReceipt(receipt, 1);
    ASSERT_TRUE(receipt.Run()) << dialogs.Texts().join("|").toStdString();
    EXPECT_EQ(receipt.Number(), 1);
    TDocumentSave invoice;
    invoice.NumberFromCounter(NasInvoiceCounter, kStation, "Грешка при актуализиране на NAS.");
    ASSERT_TRUE(invoice.Run()) << dialogs.Texts().join("|").toStdString();
    EXPECT_EQ(invoice.Number(), 8);
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(Rows("SELECT n_nas, Value_nas FROM Nas ORDER BY n_nas"), (QStringList{"1@0000000001", "2@0000000008"}));
}

TEST_F(DocumentSave, ANewDocumentWhoseNumberIsTakenWritesNothingAndNeverDeletes)
{
    Execute("INSERT INTO Zaiavki Values ( 5, 46000, 1, 46001, 99, 0, 0, 0 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 5, 3, 1, 99, 0, 99, 99 )");
    Execute("Insert into nas values ( 1, \"10.1.1.7\", \"4\" )");
    DialogsAfterTransaction dialogs;
    // A number given (typed) that is taken is refused.
    TDocumentSave save;
    save.NumberGiven(5);
    save.NumberText = [](long double n) {
        QString s;
        PadLeft(QString::number(qint64(n)), '0', 10, s);
        return s;
    };
    AddReceipt(save, 1);
    EXPECT_FALSE(save.Run());
    EXPECT_EQ(dialogs.Texts(), QStringList{"Документ с номер 0000000005 съществува !"});
    EXPECT_EQ(Rows("SELECT Query_num, Total_sum FROM Zaiavki"), QStringList{"5@99"});
    EXPECT_EQ(Rows("SELECT izdelie FROM Zaiavka_rows"), QStringList{"3"});
    EXPECT_EQ(Rows("SELECT Value_nas FROM Nas"), QStringList{"4"});
    EXPECT_FALSE(dialogs.InTransaction[0]);

    // The counter proposes 5, taken meanwhile: the next free number.
    TDocumentSave proposed;
    proposed.NumberFromCounter(NasGoodsReceiptCounter, kStation);
    AddReceipt(proposed, 1);
    ASSERT_TRUE(proposed.Run());
    EXPECT_EQ(proposed.Number(), 6);
    EXPECT_EQ(Rows("SELECT Query_num, Total_sum FROM Zaiavki ORDER BY Query_num"), (QStringList{"5@99", "6@7.5"}));
    EXPECT_EQ(Rows("SELECT Value_nas FROM Nas"), QStringList{"0000000006"});
    Execute("DELETE * FROM Zaiavki WHERE Query_num = 6");
    Execute("DELETE * FROM Zaiavka_rows WHERE Query_num = 6");

    // The opened document replaces its own rows.
    TDocumentSave opened;
    opened.IsNew = false;
    opened.NumberGiven(5);
    AddReceipt(opened, 2);
    ASSERT_TRUE(opened.Run());
    EXPECT_EQ(Rows("SELECT Query_num, Total_sum FROM Zaiavki"), QStringList{"5@7.5"});
    EXPECT_EQ(Rows("SELECT izdelie FROM Zaiavka_rows ORDER BY izdelie"), (QStringList{"1", "2"}));
    EXPECT_EQ(Rows("SELECT Value_nas FROM Nas"), QStringList{"0000000006"});

    // The first free number is the one an exists query per number finds,
    // over gaps, numbers below From, lines without a header, a line's number
    // repeated, a fraction and a text in the column.
    for (const char *number : {"1", "3", "4", "6", "8.5", "\"abc\"", "10"})
        Execute(QString("INSERT INTO Zaiavki ( Query_num ) Values ( %1 )").arg(number));
    for (int number : {5, 7, 9})
        Execute(Format("INSERT INTO Zaiavka_rows Values ( %d, 4, 1, 9, 0, 9, 9 )", {number}));
    auto byExists = [&](long double n) {
        while (!Rows(Format("SELECT * FROM Zaiavki WHERE ( query_num = %f )", {n})).isEmpty() ||
               !Rows(Format("SELECT * FROM Zaiavka_rows WHERE ( query_num = %f )", {n})).isEmpty())
            n += 1;
        return n;
    };
    for (const auto &[from, free] : std::vector<std::pair<long double, long double>>{
             {0, 0}, {1, 2}, {2, 2}, {3, 8}, {5, 8}, {8, 8}, {8.5L, 9.5L}, {9, 11}, {11, 11}, {1e9L, 1e9L}}) {
        EXPECT_EQ(proposed.FirstFreeNumber(from), free) << double(from);
        EXPECT_EQ(byExists(from), free) << double(from);
    }

    // The number its window found free from the counter (6) is saved while
    // still free, over 8 below it, freed since; taken meanwhile, the next
    // free one; one below the counter's is none.
    for (const auto &[found, saved] : std::vector<std::pair<long double, long double>>{{11, 11}, {10, 11}, {2, 8}}) {
        Execute("UPDATE Nas SET Value_nas = \"6\"");
        TDocumentSave window;
        window.NumberFromCounter(NasGoodsReceiptCounter, kStation);
        window.FoundFree = found;
        AddReceipt(window, 1);
        ASSERT_TRUE(window.Run());
        EXPECT_EQ(window.Number(), saved) << double(found);
        Execute(Format("DELETE * FROM Zaiavki WHERE Query_num = %f", {saved}));
        Execute(Format("DELETE * FROM Zaiavka_rows WHERE Query_num = %f", {saved}));
    }
}

TEST_F(DocumentSave, ASaveNeverWritesOverRowsChangedSinceTheWindowLoadedThem)
{
    Execute("INSERT INTO Zaiavka_rows Values ( 5, 1, 1, 2, 0, 2, 2 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 5, 2, 1, 3, 0, 3, 3 )");
    TLoadedRows loaded;
    loaded.SetQuery(nullptr, "SELECT izdelie, quantity_izd FROM Zaiavka_rows WHERE Query_num = 5",
                    TLoadedRows::FirstFields(1));
    loaded.Read();
    const TDocumentName name{"Стокова разписка 0000000005", ngFeminine};
    auto save = [&](const QString &Sql, const QStringList &Keys, bool All) {
        TDocumentSave s;
        s.IsNew = false;
        All ? s.ExpectLoaded(loaded, name) : s.ExpectLoaded(loaded, Keys, name);
        s.Add(Sql);
        return s.Run();
    };
    DialogsAfterTransaction dialogs;
    // This window's own saves, one after the other, are never refused.
    ASSERT_TRUE(save("UPDATE Zaiavka_rows SET quantity_izd = 4 WHERE izdelie = 1", {"1"}, true));
    ASSERT_TRUE(save("UPDATE Zaiavka_rows SET quantity_izd = 5 WHERE izdelie = 1", {"1"}, true));
    // Another workstation changes line 2: a save of line 1 merges, one of
    // the whole document or of line 2 writes nothing.
    Execute("UPDATE Zaiavka_rows SET quantity_izd = 7 WHERE izdelie = 2");
    EXPECT_TRUE(save("UPDATE Zaiavka_rows SET quantity_izd = 6 WHERE izdelie = 1", {"1"}, false));
    EXPECT_FALSE(save("UPDATE Zaiavka_rows SET quantity_izd = 8 WHERE izdelie = 1", {}, true));
    EXPECT_FALSE(save("UPDATE Zaiavka_rows SET quantity_izd = 9 WHERE izdelie = 2", {"2"}, false));
    // A line added elsewhere under a key this save adds is a change too.
    Execute("INSERT INTO Zaiavka_rows Values ( 5, 3, 1, 3, 0, 3, 3 )");
    EXPECT_FALSE(save("INSERT INTO Zaiavka_rows Values ( 5, 3, 2, 3, 0, 3, 6 )", {"3"}, false));
    // The document deleted elsewhere is never written again.
    Execute("DELETE * FROM Zaiavka_rows");
    EXPECT_FALSE(save("INSERT INTO Zaiavka_rows Values ( 5, 4, 1, 3, 0, 3, 3 )", {"4"}, false));
    EXPECT_EQ(Rows("SELECT Count(*) FROM Zaiavka_rows"), QStringList{"0"});
    const QString changed = "Стокова разписка 0000000005 е променена от друго работно място, след като е заредена. "
                            "Промените не са записани. Натиснете F8, за да я заредите отново.";
    EXPECT_EQ(dialogs.Texts(), (QStringList{changed, changed, changed,
                                            "Стокова разписка 0000000005 е изтрита от друго работно място, след "
                                            "като е заредена. Промените не са записани."}));
    EXPECT_EQ(dialogs.InTransaction, std::vector<bool>(4, false));
    EXPECT_EQ(ChangedElsewhereMessage({"Пропуск за извозване 7", ngMasculine}),
              "Пропуск за извозване 7 е променен от друго работно място, след като е зареден. Промените не са "
              "записани. Натиснете F8, за да го заредите отново.");
    EXPECT_EQ(DeletedElsewhereMessage({"Плащанията по доставка 3", ngPlural}),
              "Плащанията по доставка 3 са изтрити от друго работно място, след като са заредени. Промените не са "
              "записани.");

    // A window of a period reads again the rows of the keys it saves alone
    // (each set once), and nothing after its statements when it reads all
    // again itself: its old rows stay, so a save without that reload
    // refuses rather than writes over what it has not seen.
    Execute("INSERT INTO Zaiavka_rows Values ( 6, 1, 1, 2, 0, 2, 2 )");
    Execute("INSERT INTO Zaiavka_rows Values ( 6, 2, 1, 3, 0, 3, 3 )");
    const QString period = "SELECT izdelie, quantity_izd FROM Zaiavka_rows WHERE Query_num = 6";
    int wholeReads = 0;
    QList<QStringList> keyReads;
    bool busy = false;
    TLoadedRows paid;
    paid.SetReader(
        [&](TDelimitedStringList &Rows) {
            if (busy)
                throw platform::EDatabaseBusy("database is locked", SQLITE_BUSY);
            ++wholeReads;
            SelectToList(nullptr, DbConnection, period, Rows);
        },
        TLoadedRows::FirstFields(1));
    paid.SetKeysReader([&](const QStringList &Keys, TDelimitedStringList &Rows) {
        keyReads << Keys;
        SelectToList(nullptr, DbConnection, period + " AND izdelie IN ( " + Keys.join(", ") + " )", Rows);
    });
    paid.Read();
    TDocumentSave pay;
    pay.ExpectLoaded(paid, {"1"}, name);
    pay.ExpectLoaded(paid, {"2"}, name);
    pay.WindowReadsAgain = true;
    pay.Add("UPDATE Zaiavka_rows SET quantity_izd = 4 WHERE Query_num = 6");
    EXPECT_TRUE(pay.Run());
    EXPECT_EQ(wholeReads, 1);
    EXPECT_EQ(keyReads, (QList<QStringList>{{"1", "2"}}));
    // Its reload failed (the database busy): the old rows stay loaded.
    busy = true;
    EXPECT_THROW(paid.Read(), platform::EDatabaseBusy);
    EXPECT_FALSE(pay.Run());
    EXPECT_EQ(dialogs.Texts().size(), 5);
    EXPECT_EQ(dialogs.Texts().value(4), changed);
}

TEST_F(DocumentSave, AFailedStatementRollsBackWholeAndARetryWritesOnce)
{
    Execute("Insert into nas values ( 1, \"10.1.1.7\", \"41\" )");
    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                           "CREATE TRIGGER refuse_line BEFORE INSERT ON Zaiavka_rows WHEN NEW.izdelie = 3 "
                           "BEGIN SELECT RAISE(ABORT, 'line refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    DialogsAfterTransaction dialogs;
    TDocumentSave save;
    save.NumberFromCounter(NasGoodsReceiptCounter, kStation);
    AddReceipt(save, 4);
    EXPECT_FALSE(save.Run());
    EXPECT_EQ(save.FailedStatement(), 5);
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(dialogs.Texts()[0], "Грешка при работа с базата данни !\n\rline refused\n\r"
                                  "INSERT INTO Zaiavka_rows Values ( 42.00, 3, 1.000, 2.5000, 0, 2.5000, 2.50 )");
    EXPECT_EQ(dialogs.Texts()[1], "Грешка при актуализиране на Zaiavka_rows на ред 3.");
    EXPECT_EQ(dialogs.InTransaction, (std::vector<bool>{false, false}));
    // Nothing stayed: no header, no line, the counter as it was.
    EXPECT_TRUE(Rows("SELECT * FROM Zaiavki").isEmpty());
    EXPECT_TRUE(Rows("SELECT * FROM Zaiavka_rows").isEmpty());
    EXPECT_EQ(Rows("SELECT Value_nas FROM Nas"), QStringList{"41"});

    Execute("DROP TRIGGER refuse_line");
    ASSERT_TRUE(save.Run());
    EXPECT_EQ(save.Number(), 42);
    EXPECT_EQ(Rows("SELECT Query_num, izdelie FROM Zaiavka_rows ORDER BY izdelie"),
              (QStringList{"42@1", "42@2", "42@3", "42@4"}));
    EXPECT_EQ(Rows("SELECT Value_nas FROM Nas"), QStringList{"0000000042"});
    EXPECT_EQ(dialogs.Shown().size(), 2u);
}

TEST_F(DocumentSave, QueuedEditorStatementsRunAsOneTransaction)
{
    Execute("Insert into Busses values ( 1, \"Първи\" )");
    Execute("Insert into Busses values ( 2, \"Втори\" )");
    TQueuedStatements q;
    const int stored = q.StoredLine("1");
    q.Put(stored, nullptr, [&](long double) {
        return Format("Update Busses Set c_bus = %d, n_bus = \"%s\" Where ( c_bus = %d )",
                      {5, SqlEscape("Пети \"бус\" 100%"), StrToIntOrZero(q.OriginalKey(stored))});
    });
    const int added = q.NewLine();
    q.Put(added, Row(1, "Нов на мястото на първи"), nullptr);
    const int clash = q.NewLine();
    q.Put(clash, Row(2, "дубликат"), nullptr);

    testsupport::ScopedDialogAnswers dialogs;
    TDocumentSave save;
    save.Add(q.Statements());
    EXPECT_FALSE(save.Run());
    EXPECT_EQ(Rows("SELECT c_bus, n_bus FROM Busses ORDER BY c_bus"), (QStringList{"1@Първи", "2@Втори"}));
    EXPECT_EQ(q.Count(), 3);

    // The clash is taken back; the rest goes through, once.
    q.Remove(clash, "never run");
    TDocumentSave retry;
    retry.Add(q.Statements());
    ASSERT_TRUE(retry.Run());
    q.Clear();
    EXPECT_EQ(Rows("SELECT c_bus, n_bus FROM Busses ORDER BY c_bus"),
              (QStringList{"1@Нов на мястото на първи", "2@Втори", "5@Пети бус 100%"}));
    // The quote stays in the stored name (the query result drops quotes).
    EXPECT_EQ(DbConnection->Query("SELECT n_bus FROM Busses WHERE c_bus = 5").rows.at(0).at(0), "Пети \"бус\" 100%");
}

TEST_F(DocumentSave, NextCodeNumbersAreTakenInsideTheSave)
{
    Execute("Insert into Busses values ( 7, \"a\" )");
    TDocumentSave save;
    save.NumberFromNextCode("c_bus", "Busses");
    save.Add([](long double n) { return Format("Insert into Busses values ( %d, \"b\" )", {int(n)}); });
    ASSERT_TRUE(save.Run());
    EXPECT_EQ(save.Number(), 8);
    ASSERT_TRUE(save.Run());
    EXPECT_EQ(save.Number(), 9);
    EXPECT_EQ(Rows("SELECT c_bus FROM Busses ORDER BY c_bus"), (QStringList{"7", "8", "9"}));
}
