#pragma once
// The goods-receipt master data plus what invoices need: the customer's tax
// numbers, the company's bank and VAT details (20 %), and one stored
// invoice with a credit notice against it.
#include "GoodsReceiptFixture.h"

namespace testsupport {

class InvoiceTest : public GoodsReceiptTest
{
protected:
    void SetUp() override
    {
        GoodsReceiptTest::SetUp();
        Execute("Update CustGroups Set ndr = \"BG130000017\", bulstat = \"130000017\", mol = \"Зорница Илиева\", "
                "TD_na_NAP = \"Варна\" Where code_c = 7");
        Execute("Insert into VA values ( 2, \"BG200000029\" )");
        Execute("Insert into VA values ( 3, \"200000029\" )");
        Execute("Insert into VA values ( 7, \"Георги Тодоров\" )");
        Execute("Insert into VA values ( 9, \"0.2\" )");
        Execute("Insert into VA values ( 10, \"UNCRBGSF\" )");
        Execute("Insert into VA values ( 11, \"BG80UNCR70001520000001\" )");
        Execute("Insert into VA values ( 12, \"BG80UNCR70001520000002\" )");
        Execute("Insert into VA values ( 13, \"Уникредит Булбанк\" )");
        Execute("Insert into VA values ( 14, \"Шумен\" )");
        SetNas(NasPlaceOfDeal, "Шумен");
    }

    // Invoice 5 of 07.12.2026 to site 12, paid by bank: 10 loaves at 1.00
    // less 10 % (0.90, 9.00) and 2.5 cakes at 9.18 / 1.2 = 7.65 (19.125,
    // 19.13): net 28.13, VAT 20 % 5.626 -> 5.63, in all 33.76.
    void StoreInvoice5()
    {
        Execute("INSERT INTO Invoices Values ( 5, 46363, 12, 28.13, 5.63, 0, 0, 2, 1, 0, 0.2 )");
        Execute("INSERT INTO Invoices_rows Values ( 5, 205, 2.5, 7.65, 0, 7.65, 19.13 )");
        Execute("INSERT INTO Invoices_rows Values ( 5, 101, 10, 1, -10, 0.9, 9 )");
    }
    // Credit notice 6 of 08.12.2026 against invoice 5: two loaves fewer
    // (-2 x 0.90 = -1.80) and the cakes for 18.00 instead of 19.13 (-1.13):
    // net -2.93, VAT -0.586 -> -0.59, in all -3.52.
    void StoreNotice6()
    {
        Execute("INSERT INTO Invoices Values ( 6, 46364, 12, -2.93, -0.59, 0, 0, 1, 3, 5, 0.2 )");
        Execute("INSERT INTO Invoices_rows Values ( 6, 101, -2, 0.9, 0, 0.9, -1.8 )");
        Execute("INSERT INTO Invoices_rows Values ( 6, 205, 0, 0, 0, 0, -1.13 )");
    }
};

} // namespace testsupport
