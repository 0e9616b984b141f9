#pragma once
// The bakery's own data for the tests that walk the whole program: a small
// year of every kind of document, in the current year so that the windows'
// default periods find some.
#include <QDate>

#include "support/YearOfData.h"

inline bench::YearSpec SmallOfficeYear(int Receipts)
{
    bench::YearSpec spec;
    spec.year = QDate::currentDate().year();
    spec.sites = 12;
    spec.customers = 5;
    spec.products = 30;
    spec.resources = 10;
    spec.minibuses = 3;
    spec.receipts = Receipts;
    spec.linesPerReceipt = 5;
    return spec;
}
