#pragma once
// A realistic year of the bakery's data, for the benchmarks: the master data
// of a mid-sized bakery (300 sites, 300 products, 20 minibuses) and every
// kind of document in proportion to 75,000 goods receipts with 750,000 lines
// (a weekly invoice per site: 15,600 invoices).
//
// The database is made by the program's own schema code and filled with
// prepared statements in one transaction; the same seed gives the same data.
#include <QString>

namespace bench {

struct YearSpec
{
    int year = 2008;
    int sites = 300;
    int customers = 30;
    int products = 300;
    int resources = 30;
    int minibuses = 20;
    int receipts = 75000;
    int linesPerReceipt = 10;
    unsigned seed = 20080229;
};

struct YearCounts
{
    long long receipts = 0;
    long long receiptLines = 0;
    long long invoices = 0;
    long long invoiceLines = 0;
    long long otherRows = 0;  // every other document table together
};

// Creates the database file at Path (which must not exist) and fills it.
YearCounts GenerateYear(const QString &Path, const YearSpec &Spec = YearSpec());

// The day number of 1 January of the generated year.
int FirstDayOfYear(const YearSpec &Spec);

} // namespace bench
