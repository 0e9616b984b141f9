#include "support/YearOfData.h"

#include <QByteArray>
#include <QDate>
#include <cmath>
#include <random>
#include <sqlite3.h>
#include <vector>

#include "core/unSchema.h"
#include "platform/db/Database.h"
#include "platform/db/Transaction.h"

namespace bench {

namespace {

// One value of a row to insert.
struct V
{
    enum Kind { Int, Real, Text } kind;
    qint64 i = 0;
    double d = 0;
    QByteArray t;
    V(int v) : kind(Int), i(v) {}
    V(qint64 v) : kind(Int), i(v) {}
    V(double v) : kind(Real), d(v) {}
    V(const char *v) : kind(Text), t(v) {}
    V(const QString &v) : kind(Text), t(v.toUtf8()) {}
};

// A prepared "INSERT INTO table VALUES (?, ...)".
class Inserter
{
public:
    Inserter(sqlite3 *db, const char *table, int columns, long long &counter) : db_(db), counter_(counter)
    {
        QByteArray sql = QByteArray("INSERT INTO ") + table + " VALUES (";
        for (int i = 0; i < columns; ++i)
            sql += i ? ", ?" : "?";
        sql += ")";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt_, nullptr) != SQLITE_OK)
            Fail();
    }
    ~Inserter() { sqlite3_finalize(stmt_); }
    Inserter(const Inserter &) = delete;
    Inserter &operator=(const Inserter &) = delete;

    void Row(std::initializer_list<V> values)
    {
        int col = 1;
        for (const V &v : values) {
            if (v.kind == V::Int)
                sqlite3_bind_int64(stmt_, col, v.i);
            else if (v.kind == V::Real)
                sqlite3_bind_double(stmt_, col, v.d);
            else
                sqlite3_bind_text(stmt_, col, v.t.constData(), v.t.size(), SQLITE_TRANSIENT);
            ++col;
        }
        if (sqlite3_step(stmt_) != SQLITE_DONE)
            Fail();
        sqlite3_reset(stmt_);
        ++counter_;
    }

private:
    [[noreturn]] void Fail() { throw platform::EDatabaseError(QString::fromUtf8(sqlite3_errmsg(db_))); }

    sqlite3 *db_;
    sqlite3_stmt *stmt_ = nullptr;
    long long &counter_;
};

double Round(double v, int decimals)
{
    const double f = std::pow(10.0, decimals);
    return std::floor(v * f + 0.5) / f;
}

const char *const kProductNames[] = {"Хляб бял", "Хляб типов", "Хляб ръжен", "Хляб пълнозърнест", "Питка",
                                     "Франзела", "Багета", "Кифла", "Кифла с мармалад", "Баница",
                                     "Козунак", "Погача", "Симид", "Геврек", "Милинка",
                                     "Солети", "Кроасан", "Мъфин", "Земела", "Хляб Добруджа"};
const char *const kWeights[] = {"500 г", "700 г"};
const char *const kResourceNames[] = {"Брашно тип 500", "Брашно тип 1150", "Брашно ръжено", "Мая", "Сол",
                                      "Захар", "Олио", "Яйца", "Масло", "Мляко",
                                      "Сусам", "Мак", "Мармалад", "Сирене", "Ванилия"};
const char *const kTowns[] = {"София", "Пловдив", "Перник", "Своге", "Ботевград", "Елин Пелин"};

} // namespace

int FirstDayOfYear(const YearSpec &Spec)
{
    return static_cast<int>(QDate(Spec.year, 1, 1).toJulianDay() - QDate(1899, 12, 30).toJulianDay());
}

YearCounts GenerateYear(const QString &Path, const YearSpec &Spec)
{
    CreateDatabaseFile(Path);
    platform::Database database(Path);
    sqlite3 *db = database.Handle();
    platform::DbTransaction tr(database);
    std::mt19937 rnd(Spec.seed);
    auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
    auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(rnd) < p; };

    YearCounts counts;
    long long master = 0;
    const int firstDay = FirstDayOfYear(Spec);
    const int days = QDate(Spec.year, 1, 1).daysInYear();

    // Master data (the reserved code-0 rows are there already).
    {
        Inserter merki(db, "Merki", 2, master);
        merki.Row({1, "бр."});
        merki.Row({2, "кг"});
        merki.Row({3, "л"});
        Inserter groups(db, "Groups", 2, master);
        for (int g = 1; g <= 4; ++g)
            groups.Row({g, QStringLiteral("Група %1").arg(g)});
        Inserter subgroups(db, "SubGroup", 2, master);
        for (int s = 1; s <= 4; ++s)
            subgroups.Row({s, QStringLiteral("Подгрупа %1").arg(s)});
        Inserter busses(db, "Busses", 2, master);
        for (int b = 1; b <= Spec.minibuses; ++b)
            busses.Row({b, QStringLiteral("СА %1 ВК").arg(1000 + b * 37)});
        Inserter ambalaj(db, "Ambalaj", 2, master);
        int code = 0;
        for (const char *a : {"Каса пластмасова", "Табла", "Кашон", "Плик"})
            ambalaj.Row({++code, a});
    }
    std::vector<double> price(Spec.products + 1);
    {
        Inserter izdelia(db, "Izdelia", 10, master);
        for (int p = 1; p <= Spec.products; ++p) {
            QString name = QStringLiteral("%1 %2").arg(QString::fromUtf8(kProductNames[(p - 1) % 20]),
                                                       QString::fromUtf8(kWeights[(p - 1) / 20 % 2]));
            if (p > 40)  // every product its own name
                name += QStringLiteral(" %1").arg((p - 1) / 40 + 1);
            price[p] = Round(0.4 + (p % 13) * 0.15, 2);
            izdelia.Row({p, name, 1 + p % 4, 1 + p % 3, 1, price[p], Round(price[p] * 0.97, 2),
                         Round(price[p] * 0.95, 2), Round(price[p] * 0.92, 2), Round(price[p] * 0.9, 2)});
        }
        Inserter resources(db, "Resources", 3, master);
        for (int r = 1; r <= Spec.resources; ++r)
            resources.Row({r, QStringLiteral("%1 %2").arg(QString::fromUtf8(kResourceNames[(r - 1) % 15])).arg(r),
                           r % 5 == 0 ? 1 : 2});
        Inserter norms(db, "Razhodni_normi", 3, master);
        for (int p = 1; p <= Spec.products; ++p)
            for (int k = 0; k < 5; ++k)
                norms.Row({p, 1 + (p + k * 7) % Spec.resources, Round(0.01 + k * 0.05 + p * 0.001, 4)});
        Inserter prices(db, "Resources_prices", 3, master);
        for (int r = 1; r <= Spec.resources; ++r)
            for (int m = 1; m <= 12; ++m)
                prices.Row({r, m, Round(0.5 + r * 0.1 + m * 0.01, 4)});
        Inserter indirect(db, "Nepreki_razhodi", 2, master);
        for (int m = 1; m <= 12; ++m)
            indirect.Row({m, 1500.0 + m * 10});
        Inserter customers(db, "CustGroups", 14, master);
        for (int c = 1; c <= Spec.customers; ++c)
            customers.Row({c, QStringLiteral("ЕТ Клиент %1").arg(c), QStringLiteral("BG1%1").arg(c, 8, 10, QChar('0')),
                           QStringLiteral("1%1").arg(c, 8, 10, QChar('0')), QStringLiteral("Управител %1").arg(c),
                           1 + c % 5, QStringLiteral("client%1~mail.bg").arg(c), "0888123456", "02 123456", "",
                           kTowns[c % 6], QStringLiteral("Управител %1").arg(c), 1 + c % Spec.minibuses,
                           "ТД София"});
        Inserter sites(db, "Obekti", 7, master);
        for (int s = 1; s <= Spec.sites; ++s)
            sites.Row({s, 1 + (s - 1) % Spec.customers, QStringLiteral("Магазин %1").arg(s), kTowns[s % 6],
                       QStringLiteral("ул. Хан Аспарух %1").arg(s), "02 654321", QStringLiteral("Продавач %1").arg(s)});
        Inserter sitePrices(db, "Prices_by_items_and_stores", 3, master);
        for (int p = 1; p <= Spec.products; ++p)
            for (int s = 1; s <= Spec.sites; ++s)
                sitePrices.Row({p, s, Round(price[p] * (0.9 + (s % 10) * 0.01), 4)});
        Inserter users(db, "Users_passwords", 3, master);
        users.Row({"admin", "admin", "Администратор"});
        users.Row({"ivana", "1234", "Ивана Петрова Иванова"});
        Inserter va(db, "VA", 2, master);
        va.Row({1, "Хлебозавод Тест ЕООД"});
        va.Row({8, QString::number(Spec.year)});
        va.Row({9, "0.2"});
    }

    // Goods receipts: the sites order for every day of the year.
    {
        Inserter heads(db, "Zaiavki", 8, counts.receipts);
        Inserter lines(db, "Zaiavka_rows", 7, counts.receiptLines);
        static const int steps[] = {1, 3, 7, 9, 11, 13, 17, 19};
        for (int n = 0; n < Spec.receipts; ++n) {
            const int day = firstDay + static_cast<int>(static_cast<long long>(n) * days / Spec.receipts);
            const int site = 1 + uniform(0, Spec.sites - 1);
            const double number = 1000000001.0 + n;
            const int start = uniform(0, Spec.products - 1);
            const int step = steps[uniform(0, 7)];
            double total = 0;
            for (int k = 0; k < Spec.linesPerReceipt; ++k) {
                const int product = 1 + (start + k * step) % Spec.products;
                const double quantity = uniform(1, 50);
                const int discount = chance(0.1) ? -5 : 0;
                const double p = Round(price[product] * (100 + discount) / 100.0, 4);
                const double value = Round(quantity * p, 2);
                total += value;
                lines.Row({number, product, quantity, price[product], discount, p, value});
            }
            const bool paid = chance(0.8);
            heads.Row({number, day - 1, site, day, Round(total, 2), paid ? -1 : 0, paid ? day + uniform(0, 20) : 0,
                       chance(0.02) ? -1 : 0});
        }
    }

    // Invoices: each site once a week, a few notices.
    {
        Inserter heads(db, "Invoices", 11, counts.invoices);
        Inserter lines(db, "Invoices_rows", 7, counts.invoiceLines);
        double number = 1;
        for (int week = 0; week < days / 7; ++week)
            for (int site = 1; site <= Spec.sites; ++site) {
                const int day = firstDay + week * 7 + site % 7;
                const int kind = chance(0.03) ? 3 : 1;
                const double sign = kind == 3 ? -1 : 1;
                double total = 0;
                for (int k = 0; k < 10; ++k) {
                    const int product = 1 + (site + k * 3) % Spec.products;
                    const double quantity = uniform(10, 200);
                    const double p = Round(price[product] / 1.2, 4);
                    const double value = Round(sign * quantity * p, 2);
                    total += value;
                    lines.Row({number, product, sign * quantity, p, 0.0, p, value});
                }
                total = Round(total, 2);
                heads.Row({number, day, site, total, Round(total * 0.2, 2), chance(0.7) ? -1 : 0, 0, 1 + site % 2,
                           kind, kind == 3 ? number - 60 : 0.0, 0.2});
                number += 1;
            }
    }

    // Logistics per day and minibus, production acts, raw materials.
    {
        long long &other = counts.otherRows;
        Inserter expedition(db, "Zaiavki_za_expedicia", 6, other);
        Inserter passes(db, "Propusk_za_izvozvane", 7, other);
        Inserter returns(db, "Vyrnata_produkcia", 7, other);
        Inserter reports(db, "Otchet_plasiori", 7, other);
        Inserter busPayments(db, "Plashtane_po_otchet_na_plasior", 5, other);
        Inserter produced(db, "Akt_za_proizvedena_produkcia", 4, other);
        Inserter rejected(db, "Akt_za_brakuvana_produkcia", 4, other);
        Inserter packaging(db, "Zaprihojdavane_na_ambalaj", 4, other);
        Inserter deliveries(db, "Dostavki", 9, other);
        Inserter deliveryPayments(db, "Plashtane_na_dostavki", 5, other);
        Inserter issues(db, "Expedicia_na_surovini_i_materiali", 7, other);
        Inserter requests(db, "Iskane_za_otpuskane_na_surovini_i_materiali", 3, other);
        int passNo = 0, returnNo = 0, busPaymentNo = 0, actNo = 0, rejectNo = 0, packagingNo = 0, deliveryNo = 0,
            deliveryPaymentNo = 0, issueNo = 0;
        for (int d = 0; d < days; ++d) {
            const int day = firstDay + d;
            for (int bus = 1; bus <= Spec.minibuses; ++bus) {
                ++passNo;
                double reportValue = 0;
                for (int k = 0; k < 25; ++k) {
                    const int product = 1 + (bus * 5 + k) % Spec.products;
                    const double quantity = uniform(20, 300);
                    const double crates = std::ceil(quantity / 20);
                    expedition.Row({day, bus, product, 1, quantity, crates});
                    passes.Row({passNo, day, bus, product, 1, quantity, crates});
                    const double value = Round(quantity * price[product], 2);
                    reportValue += value;
                    // One price line per product: its line number within the product is 1.
                    reports.Row({day, bus, product, 1, quantity, price[product], value});
                }
                ++returnNo;
                for (int k = 0; k < 3; ++k)
                    returns.Row({returnNo, day, bus, 1 + (bus + k * 11) % Spec.products, 1, double(uniform(1, 10)),
                                 1.0});
                busPayments.Row({++busPaymentNo, day + 1, bus, day, Round(reportValue * 0.9, 2)});
            }
            ++actNo;
            for (int p = 1; p <= Spec.products; ++p)
                produced.Row({actNo, p, day, double(uniform(100, 2000))});
            ++rejectNo;
            for (int k = 0; k < 2; ++k)
                rejected.Row({rejectNo, 1 + (d + k * 13) % Spec.products, day, double(uniform(1, 20))});
            if (d % 7 == 0) {
                ++packagingNo;
                for (int a = 1; a <= 4; ++a)
                    packaging.Row({packagingNo, a, day, double(uniform(10, 100))});
            }
            for (int k = 0; k < 2; ++k) {
                ++deliveryNo;
                double deliveryValue = 0;
                for (int j = 0; j < 3; ++j) {
                    const int r = 1 + (deliveryNo * 3 + j) % Spec.resources;
                    const double quantity = uniform(50, 1000);
                    const double p = Round(0.5 + r * 0.1, 6);
                    const double value = Round(quantity * p, 2);
                    deliveryValue += value;
                    deliveries.Row({deliveryNo, r, 1 + deliveryNo % Spec.customers, day, quantity, p, value,
                                    double(deliveryNo + 5000), day - 1});
                }
                if (k == 0)
                    deliveryPayments.Row({++deliveryPaymentNo, day + 3, deliveryNo, Round(deliveryValue, 2), 2});
            }
            ++issueNo;
            for (int j = 0; j < 10; ++j) {
                const int r = 1 + (d + j) % Spec.resources;
                const double quantity = uniform(5, 200);
                issues.Row({issueNo, r, 1 + d % Spec.customers, day, quantity, 0.75, Round(quantity * 0.75, 2)});
                requests.Row({day, 1 + (d * 3 + j) % Spec.resources, quantity});
            }
        }
    }
    tr.Commit();
    return counts;
}

} // namespace bench
