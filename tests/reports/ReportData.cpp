#include "ReportData.h"

#include "components/RichGrid.h"
#include "core/uHelpers.h"

namespace reporttest {

void ReportTest::Customer(int Code, const QString &Name)
{
    Execute(Format(QStringLiteral("INSERT INTO CustGroups (code_c, name_c) VALUES ( %d, \"%s\" )"), {Code, Name}));
}

void ReportTest::Site(int Code, int CustomerCode, const QString &Name)
{
    Execute(Format(QStringLiteral("INSERT INTO Obekti (code_of_object, code_of_CustGroup, name_o) VALUES ( %d, %d, "
                                  "\"%s\" )"),
                   {Code, CustomerCode, Name}));
}

void ReportTest::Unit(int Code, const QString &Name)
{
    Execute(Format(QStringLiteral("INSERT INTO Merki VALUES ( %d, \"%s\" )"), {Code, Name}));
}

void ReportTest::Product(int Code, const QString &Name, int UnitCode)
{
    Execute(Format(QStringLiteral("INSERT INTO Izdelia (code_izd, name_izd, mjarka) VALUES ( %d, \"%s\", %d )"),
                   {Code, Name, UnitCode}));
}

void ReportTest::Receipt(int Number, int SiteCode, const QDate &ForDate, double Total, bool Paid,
                         const QDate &PaidOn, std::initializer_list<std::tuple<int, double, double>> Lines)
{
    Execute(Format(QStringLiteral("INSERT INTO Zaiavki VALUES ( %d, %d, %d, %d, %s, %s, %d, False )"),
                   {Number, DateToDayNumber(ForDate), SiteCode, DateToDayNumber(ForDate), QString::number(Total),
                    Paid ? QStringLiteral("True") : QStringLiteral("False"),
                    PaidOn.isValid() ? DateToDayNumber(PaidOn) : 0}));
    for (const auto &[product, quantity, value] : Lines)
        Execute(Format(QStringLiteral("INSERT INTO Zaiavka_rows VALUES ( %d, %d, %s, 0, 0, 0, %s )"),
                       {Number, product, QString::number(quantity), QString::number(value)}));
}

void ReportTest::Invoice(int Number, int SiteCode, const QDate &Date, bool Paid,
                         std::initializer_list<std::tuple<int, double, double>> Lines)
{
    double total = 0;
    for (const auto &line : Lines)
        total += std::get<2>(line);
    Execute(Format(QStringLiteral("INSERT INTO Invoices VALUES ( %d, %d, %d, %s, 0, %s, 0, 1, 1, 0, 0.2 )"),
                   {Number, DateToDayNumber(Date), SiteCode, QString::number(total),
                    Paid ? QStringLiteral("True") : QStringLiteral("False")}));
    for (const auto &[product, quantity, value] : Lines)
        Execute(Format(QStringLiteral("INSERT INTO Invoices_rows VALUES ( %d, %d, %s, 0, 0, 0, %s )"),
                       {Number, product, QString::number(quantity), QString::number(value)}));
}

QStringList ReportTest::GridRows(const TRichGrid &Grid)
{
    QStringList rows;
    for (int r = Grid.FixedRows(); r < Grid.RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < Grid.ColCount(); ++c)
            cells << Grid.Cells(c, r);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

} // namespace reporttest
