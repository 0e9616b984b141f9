// The printouts of the returned-production protocol and the export pass:
// the document found by its number alone, both layouts against their
// expected files on the raw road, and a failing query.
#include <gtest/gtest.h>

#include "BusDayFixture.h"
#include "core/uDelimitedStrings.h"
#include "documents/unPrint_Propusk_za_izvozvane.h"
#include "documents/unPrint_Vyrnata_produkcia.h"
#include "framework/unTextDocument.h"
#include "support/PrintedText.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class FixedMoment
{
public:
    FixedMoment()
    {
        SetDocumentPrintMomentForTests([] { return QDateTime(QDate(2026, 12, 7), QTime(16, 40, 9)); });
    }
    ~FixedMoment() { SetDocumentPrintMomentForTests(nullptr); }
};

class BusDayPrint : public testsupport::BusDayTest
{
protected:
    void StoreDocument(const QString &Table, int Number)
    {
        // Another minibus's document of the same day must not show.
        Execute(QString("Insert into %1 values ( %2, 46363, 4, 307, 0, 99, 0 )").arg(Table).arg(Number + 1));
        Execute(QString("Insert into %1 values ( %2, 46363, 3, 205, 2, 2.5, 1 )").arg(Table).arg(Number));
        Execute(QString("Insert into %1 values ( %2, 46363, 3, 101, 1, 120, 3 )").arg(Table).arg(Number));
        Execute(QString("Insert into %1 values ( %2, 46363, 3, 0, 1, 0, 14 )").arg(Table).arg(Number));
    }
};

} // namespace

TEST_F(BusDayPrint, LoaderFindsTheDocumentByItsNumberAlone)
{
    StoreDocument("Vyrnata_produkcia", 7);
    TDelimitedStringList header, rows;
    ASSERT_TRUE(LoadVyrnataForPrint(nullptr, 7, header, rows));
    ASSERT_EQ(header.Count(), 1);
    EXPECT_EQ(header.Strings(0), "7@3@Микробус Варна-Север@07.12.2026");
    ASSERT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.Strings(0), "0@0@0@0@1@1@14");
    EXPECT_EQ(rows.Strings(2), "205@205@205@2.5@2@2@1");
    ASSERT_TRUE(LoadPropuskForPrint(nullptr, 7, header, rows));
    EXPECT_EQ(header.Count(), 0);
    EXPECT_EQ(rows.Count(), 0);
}

TEST_F(BusDayPrint, ProtocolPrintsRawAsTheExpectedFile)
{
    StoreDocument("Vyrnata_produkcia", 7);
    FixedMoment moment;
    testsupport::RawPrinterFile prn;
    testsupport::ScopedDialogAnswers dialogs;
    ASSERT_TRUE(PrintVyrnataProdukcia(nullptr, 7));
    EXPECT_TRUE(dialogs.Shown().empty());
    testsupport::ExpectLinesAsFile(prn.Lines(), "returned_production_7.txt");
}

TEST_F(BusDayPrint, PassPrintsTheSameLayoutUnderItsTitle)
{
    StoreDocument("Propusk_za_izvozvane", 7);
    FixedMoment moment;
    testsupport::RawPrinterFile prn;
    ASSERT_TRUE(PrintPropuskZaIzvozvane(nullptr, 7));
    QStringList expected = testsupport::ExpectedLines("returned_production_7.txt");
    expected[0] = "                              ПРОПУСК ЗА ИЗВОЗВАНЕ                              ";
    EXPECT_EQ(prn.Lines(), expected);
}

TEST_F(BusDayPrint, AFailingQueryIsShownAndNothingPrints)
{
    StoreDocument("Propusk_za_izvozvane", 7);
    Execute("DROP TABLE Busses");
    testsupport::RawPrinterFile prn;
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_FALSE(PrintPropuskZaIzvozvane(nullptr, 7));
    EXPECT_FALSE(prn.Exists());
    ASSERT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_TRUE(dialogs.Texts()[0].startsWith("Грешка при работа с базата данни !\n\r"));
    EXPECT_TRUE(dialogs.Texts()[0].endsWith("HAVING (((Propusk_za_izvozvane.docno) = 7.00 ))"));
}
