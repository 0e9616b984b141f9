#pragma once
// Small, hand-counted data for the report tests: customers, sites,
// products, goods receipts with their lines, invoices, norms and prices.
#include <QDate>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <tuple>
#include <utility>

#include "support/DatabaseTest.h"

class TRichGrid;

namespace reporttest {

class ReportTest : public testsupport::DatabaseTest
{
protected:
    void Customer(int Code, const QString &Name);
    void Site(int Code, int CustomerCode, const QString &Name);
    void Unit(int Code, const QString &Name);
    void Product(int Code, const QString &Name, int UnitCode);
    // A receipt and its lines (product, quantity, value); the receipt's
    // total is Total (the lines need not add up to it).
    void Receipt(int Number, int SiteCode, const QDate &ForDate, double Total, bool Paid = false,
                 const QDate &PaidOn = QDate(), std::initializer_list<std::tuple<int, double, double>> Lines = {});
    void Invoice(int Number, int SiteCode, const QDate &Date, bool Paid,
                 std::initializer_list<std::tuple<int, double, double>> Lines);

    // The grid's rows below the header, cells joined by '|'.
    static QStringList GridRows(const TRichGrid &Grid);
};

} // namespace reporttest
