#pragma once
// What the walks over every document window share: a database holding a
// year of the bakery's work plus stored documents the year lacks (a goods
// receipt and an invoice with a markup line, a notice, decimal quantities,
// names with an apostrophe, every delivery and minibus report paid), made
// once per suite and copied for each test; the windows made as the menu
// makes them and opened on the day's documents; questions answered Cancel
// and modal windows closed at once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <sqlite3.h>
#include <vector>

#include "app/MenuWalkSupport.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/LineDocumentForm.h"
#include "documents/PaymentEntryForm.h"
#include "documents/SalesDocumentTestParts.h"
#include "documents/unResourceDocument.h"
#include "documents/un_Zaiavki_za_expedicia.h"
#include "documents/un_Propusk_za_izvozvane.h"
#include "documents/un_Iskane_za_otpuskane_na_surovini_i_materiali.h"
#include "documents/un_Generirane_na_Propusk_za_izvozvane.h"
#include "documents/un_Expedicia_na_surovini_i_materiali.h"
#include "documents/un_Dostavki.h"
#include "documents/unZaprihojdavane_na_ambalaj.h"
#include "documents/unStokovaRazpiska.h"
#include "documents/unInvoice.h"
#include "documents/unAkt_za_proizvedena_produkcia.h"
#include "documents/unAkt_za_brakuvana_produkcia.h"
#include "documents/un_Dneven_list_na_shofior.h"
#include "documents/un_Ostojnostjavane_na_Otchet_plasiori.h"
#include "documents/un_Plashtane_na_dostavki.h"
#include "documents/un_Plashtane_po_otchet_na_plasior.h"
#include "documents/un_Vyrnata_produkcia.h"
#include "framework/QuorendFormClasses.h"
#include "service/un_NAS.h"
#include "support/ChildProcess.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"
#include "support/YearOfData.h"

namespace testsupport {

// The stored documents the walks open.
constexpr double kMarkupReceipt = 2000000001;
constexpr double kMarkupInvoice = 999999;
constexpr double kNotice = 999998;
constexpr int kBus = 1;

// The document windows the walks open on their stored documents: the
// editors and the windows of a day or of payments (the generation of
// passes after them: it shows the day, not a stored document; then the
// settings of the workstation and the company).
namespace documentwindows {
enum TDocumentWindow {
    wGoodsReceipt, wInvoice, wNotice, wProducedAct, wRejectedAct, wPackagingAct, wDelivery, wIssue,
    wReturnedProduction, wExportPass, wExpeditionRequests, wValuation, wReleaseRequest, wDailySheet,
    wDeliveryPayments, wMinibusPayments, wYearNotice, wYearReceipt, wYearInvoice, wPassGeneration,
    wSettings, wDocumentWindowCount
};
inline const char *const kDocumentWindowNames[] = {
    "GoodsReceipt",       "Invoice",    "Notice",        "ProducedAct",        "RejectedAct",
    "PackagingAct",       "Delivery",   "Issue",         "ReturnedProduction", "ExportPass",
    "ExpeditionRequests", "Valuation",  "ReleaseRequest", "DailySheet",        "DeliveryPayments",
    "MinibusPayments",    "YearNotice", "YearReceipt",   "YearInvoice",        "PassGeneration",
    "Settings"};
} // namespace documentwindows
using namespace documentwindows;

// Unscripted questions get Cancel (or No): a walk prints nothing and
// writes only what the action itself writes.
class CancelQuestions : public ScopedDialogAnswers
{
public:
    TModalResult ShowMessageBox(const platform::MessageBoxRequest &Request) override
    {
        if (Pending() == 0) {
            auto offers = [&](TMsgDlgBtn b) {
                return std::any_of(Request.Buttons.begin(), Request.Buttons.end(),
                                   [b](const platform::DialogButtonSpec &s) { return s.Button == b; });
            };
            if (offers(mbCancel))
                Press(mbCancel);
            else if (offers(mbNo))
                Press(mbNo);
        }
        return ScopedDialogAnswers::ShowMessageBox(Request);
    }
    QString Listed() const { return Texts().join(QStringLiteral(" | ")); }
};

// A modal window (a print preview, a filter dialog) is closed at once.
class RejectModals
{
public:
    RejectModals()
    {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

class DocumentWalkFixture : public DatabaseTest, protected MdiMainWindow
{
protected:
    void SetUp() override { SetUpOn(QString()); }
    // The test's own copy of the year with the stored documents added; or
    // (Shared) the database another process of the test works on, opened
    // as another workstation opens it.
    void SetUpOn(const QString &Shared)
    {
        DatabaseTest::SetUp();
        CloseDatabase();
        if (Shared.isEmpty()) {
            // One year made once for the program; each test works on its copy.
            ASSERT_TRUE(CopyYearMadeOnce(QStringLiteral("documents"), Spec(), DatabasePath()));
            OpenDatabase(QCoreApplication::instance(), nullptr, true);
        } else {
            OpenDatabaseAsChild(Shared);
        }
        Station = GetLocalIPAddress();
        Day = bench::FirstDayOfYear(Spec()) + 20;
        Date = DayNumberToDate(Day);
        if (Shared.isEmpty())
            AddStoredDocuments();
        OpenMainWindow();
    }
    void TearDown() override
    {
        for (auto &form : forms_)
            if (form)
                form->SetModified(false);
        forms_.clear();
        CloseMainWindow();
        DatabaseTest::TearDown();
    }

    static bench::YearSpec Spec()
    {
        bench::YearSpec spec = SmallYearSpec(300);
        spec.sites = 6;
        spec.customers = 3;
        spec.minibuses = 2;
        spec.linesPerReceipt = 3;
        return spec;
    }

    static QDate DayNumberToDate(int Day) { return QDate(1899, 12, 30).addDays(Day); }

    // What the year lacks: markups, a notice the window would have written,
    // decimal quantities and names with an apostrophe, on the day and the
    // minibus the walk opens.
    void AddStoredDocuments()
    {
        const QString d = QString::number(Day);
        // Site 2 belongs to customer 2, on minibus 1.
        Execute(QString("INSERT INTO Zaiavki Values ( %1, %2, 2, %3, 31.56, 0, 0, 0 )")
                    .arg(QString::number(kMarkupReceipt, 'f', 0), QString::number(Day - 1), d));
        Execute("INSERT INTO Zaiavka_rows Values ( 2000000001, 1, 2.297, 9.2, 2.5, 9.43, 21.66 )");
        Execute("INSERT INTO Zaiavka_rows Values ( 2000000001, 2, 10, 1.1, -10, 0.99, 9.9 )");
        Execute(QString("INSERT INTO Invoices Values ( 999999, %1, 2, 27.01, 5.4, 0, 0, 1, 1, 0, 0.2 )").arg(d));
        Execute("INSERT INTO Invoices_rows Values ( 999999, 1, 2.297, 7.65, 2.5, 7.8413, 18.01 )");
        Execute("INSERT INTO Invoices_rows Values ( 999999, 2, 10, 1, -10, 0.9, 9 )");
        Execute(QString("INSERT INTO Invoices Values ( 999998, %1, 2, -1.8, -0.36, 0, 0, 1, 3, 999999, 0.2 )").arg(d));
        Execute("INSERT INTO Invoices_rows Values ( 999998, 2, -2, 0.9, 0, 0.9, -1.8 )");
        Execute("Update Izdelia Set name_izd = \"Хляб 'Добруджа'\" Where code_izd = 1");
        Execute("Update Obekti Set name_o = \"Магазин 'Зора'\" Where code_of_object = 2");
        Execute("Update CustGroups Set name_c = \"ЕТ 'Клиент' 2\" Where code_c = 2");
        Execute("Update Busses Set n_bus = \"СА 'Север'\" Where c_bus = 1");
        Execute("Update Resources Set Name_r = \"Брашно 'Добруджа'\" Where code_r = 1");
        // A decimal quantity in every kind of document of the day.
        const QString firstRow = "rowid = ( SELECT min(rowid) FROM %1 WHERE date_doc = " + d + "%2 )";
        const QString onBus = QString(" AND code_bus = %1").arg(kBus);
        Execute(QString("UPDATE Zaiavki_za_expedicia SET quantity_izd = quantity_izd + 0.5 WHERE ") +
                firstRow.arg("Zaiavki_za_expedicia", onBus));
        Execute(QString("UPDATE Propusk_za_izvozvane SET quantity_amb = quantity_amb + 0.5 WHERE ") +
                firstRow.arg("Propusk_za_izvozvane", onBus));
        Execute(QString("UPDATE Vyrnata_produkcia SET quantity_amb = 3.5 WHERE ") +
                firstRow.arg("Vyrnata_produkcia", onBus));
        Execute(QString("UPDATE Otchet_plasiori SET quantity_izd = 12.5, value_izd = round(12.5 * price, 2) WHERE ") +
                firstRow.arg("Otchet_plasiori", onBus));
        for (const char *act : {"Akt_za_proizvedena_produkcia", "Akt_za_brakuvana_produkcia"})
            Execute(QString("UPDATE %1 SET quantity_izd = quantity_izd + 0.25 WHERE ").arg(act) +
                    firstRow.arg(act, QString()));
        Execute(QString("UPDATE Zaprihojdavane_na_ambalaj SET quantity_amb = quantity_amb + 0.5 WHERE rowid = ( "
                        "SELECT min(rowid) FROM Zaprihojdavane_na_ambalaj WHERE date_doc = %1 )")
                    .arg(Day + 1));
        for (const char *resource : {"Dostavki", "Expedicia_na_surovini_i_materiali"})
            Execute(QString("UPDATE %1 SET quantity_r = quantity_r + 0.5, value_r = round((quantity_r + 0.5) * "
                            "price_r, 2) WHERE ")
                        .arg(resource) +
                    firstRow.arg(resource, QString()));
        Execute(QString("UPDATE Iskane_za_otpuskane_na_surovini_i_materiali SET quantity_r = quantity_r + 0.125 "
                        "WHERE ") +
                firstRow.arg("Iskane_za_otpuskane_na_surovini_i_materiali", QString()));
        PayEverything();
    }

    // The payment windows list what is left to pay and propose paying it
    // all: a stored state they may show unchanged is one where every
    // delivery and every minibus report of the period is paid.
    void PayEverything()
    {
        const QString from = QString::number(Day - 10);
        const QString to = QString::number(Day + 10);
        const QString deliveries =
            "INSERT INTO Plashtane_na_dostavki (docno, date_d, docno_supplier, suma, code_payment) SELECT 900000 + "
            "d.docno, d.date_doc + 1, d.docno, round(round(sum(d.value_r), 2) - coalesce((SELECT sum(p.suma) FROM "
            "Plashtane_na_dostavki p WHERE p.docno_supplier = d.docno), 0), 2), 2 FROM Dostavki d WHERE d.date_doc "
            "BETWEEN " + from + " AND " + to + " GROUP BY d.docno";
        const QString reports =
            "INSERT INTO Plashtane_po_otchet_na_plasior (docno, date_d, c_bus, date_otchet, suma) SELECT 900000 + "
            "row_number() OVER (), o.date_doc + 1, o.code_bus, o.date_doc, round(round(sum(o.value_izd), 2) - "
            "coalesce((SELECT sum(p.suma) FROM Plashtane_po_otchet_na_plasior p WHERE p.c_bus = o.code_bus AND "
            "p.date_otchet = o.date_doc), 0), 2) FROM Otchet_plasiori o WHERE o.date_doc BETWEEN " + from + " AND " +
            to + " GROUP BY o.date_doc, o.code_bus";
        for (const QString &sql : {deliveries, reports}) {
            char *error = nullptr;
            ASSERT_EQ(sqlite3_exec(DbConnection->Handle(), sql.toUtf8().constData(), nullptr, nullptr, &error),
                      SQLITE_OK)
                << (error ? error : "");
        }
    }

    // A read window made as the menu makes it, shown, on the day.
    template <class T> T *Make()
    {
        T *form = CreateQuorendForm<T>(nullptr, fsNormal);
        form->SetFreeOnClose(false);
        forms_.emplace_back(form);
        form->resize(1100, 700);
        EXPECT_TRUE(form->ShowForm());
        return form;
    }
    static void Pick(TListEdit *Edit, const QString &Text)
    {
        Edit->setText(Text);
        Edit->NotifyPicked();
    }

    // The day's first document of Table, through its date, its
    // counterparty (Party), its number and F8.
    TQuorendForm *LineDocument(TfrmLineDocument *Form, const char *Table, const char *Party = nullptr, int Later = 0)
    {
        const QStringList first =
            Rows(QString("SELECT docno%1 FROM %2 WHERE date_doc = %3 ORDER BY docno")
                     .arg(Party ? QString(", ") + Party : QString(), Table)
                     .arg(Day + Later));
        EXPECT_FALSE(first.isEmpty());
        if (first.isEmpty())
            return Form;
        const QStringList fields = first[0].split('@');
        Form->date_doc->setDate(Date.addDays(Later));
        if (auto *resource = qobject_cast<TfrmResourceDocument *>(Form))
            Pick(resource->counterparty, fields.value(1));
        Pick(Form->docno, fields.value(0));
        Form->Execute();
        return Form;
    }
    TQuorendForm *BusDay(TfrmBusDayDocument *Form)
    {
        Form->date_doc->setDate(Date);
        Pick(Form->code_bus, QString::number(kBus));
        if (Form->docno && Form->docno->text().trimmed().isEmpty()) {
            const QStringList numbers =
                Rows(QString("SELECT min(docno) FROM %1 WHERE date_doc = %2 AND code_bus = %3")
                         .arg(Form->objectName() == QLatin1String("frmVyrnata_produkcia") ? "Vyrnata_produkcia"
                                                                                            : "Propusk_za_izvozvane")
                         .arg(Day)
                         .arg(kBus));
            if (!numbers.isEmpty())
                Pick(Form->docno, numbers[0]);
        }
        if (Form->Grid->Cells(0, Form->Grid->FixedRows()).isEmpty())
            Form->Execute();
        return Form;
    }
    void Period(TPaymentEntryForm *Form)
    {
        Form->dtp_From->setDate(Date.addDays(-10));
        Form->dtp_To->setDate(Date.addDays(10));
    }
    // The windows that read a day or a period of one party, read.
    TfrmOstojnostjavane_na_Otchet_plasiori *OpenValuation()
    {
        auto *form = Make<TfrmOstojnostjavane_na_Otchet_plasiori>();
        Pick(form->code_bus, QString::number(kBus));
        form->date_doc->setDate(Date);
        form->Execute();
        return form;
    }
    TfrmDneven_list_na_shofior *OpenDailySheet()
    {
        auto *form = Make<TfrmDneven_list_na_shofior>();
        Pick(form->leMicrobus, QString::number(kBus));
        form->dtp_For->setDate(Date);
        form->Execute();
        return form;
    }
    TfrmPlashtane_na_dostavki *OpenDeliveryPayments()
    {
        auto *form = Make<TfrmPlashtane_na_dostavki>();
        Period(form);
        Pick(form->code_supplier, QStringLiteral("2"));
        Pick(form->code_payment, QStringLiteral("2"));
        form->Execute();
        return form;
    }
    TfrmPlashtane_po_otchet_na_plasior *OpenMinibusPayments()
    {
        auto *form = Make<TfrmPlashtane_po_otchet_na_plasior>();
        Period(form);
        Pick(form->code_bus, QString::number(kBus));
        form->Execute();
        return form;
    }


    // The window showing its stored document (the day's, of minibus
    // kBus), made as the menu makes it.
    TQuorendForm *OpenDocumentWindow(TDocumentWindow Window)
    {
        switch (Window) {
        case wGoodsReceipt:
            EXPECT_TRUE(OpenStokovaRazpiska(kMarkupReceipt));
            return OpenGoodsReceiptWindow();
        case wInvoice:
            EXPECT_TRUE(OpenInvoice(0, kMarkupInvoice));
            return OpenInvoiceWindow();
        case wNotice:
            EXPECT_TRUE(OpenInvoice(1, kNotice));
            return OpenInvoiceWindow();
        case wYearReceipt: {
            // The year's receipts of the day: one with a discount, paid.
            const QStringList receipt = Rows(QString("SELECT min(Zaiavki.Query_num) FROM Zaiavki INNER JOIN "
                                                     "Zaiavka_rows ON Zaiavki.Query_num = Zaiavka_rows.Query_num "
                                                     "WHERE Zaiavki.for_date >= %1 AND Zaiavki.Is_paid = True AND "
                                                     "Zaiavka_rows.Disc_perc < 0")
                                                 .arg(Day));
            EXPECT_EQ(receipt.size(), 1);
            EXPECT_TRUE(OpenStokovaRazpiska(DotStrToFloat(receipt.value(0))));
            return OpenGoodsReceiptWindow();
        }
        case wYearInvoice: {
            const QStringList invoice =
                Rows(QString("SELECT min(Invoice_num) FROM Invoices WHERE code_FVD = 1 AND datetime_i >= %1").arg(Day));
            EXPECT_EQ(invoice.size(), 1);
            EXPECT_TRUE(OpenInvoice(0, DotStrToFloat(invoice.value(0))));
            return OpenInvoiceWindow();
        }
        case wYearNotice: {
            // A credit notice of the year, its differences priced as the
            // invoice's lines were, not as value / quantity.
            const QStringList notice =
                Rows("SELECT min(Invoice_num) FROM Invoices WHERE code_FVD = 3 AND by_invoice > 0");
            EXPECT_EQ(notice.size(), 1);
            EXPECT_TRUE(OpenInvoice(1, DotStrToFloat(notice.value(0))));
            return OpenInvoiceWindow();
        }
        case wProducedAct:
            return LineDocument(Make<TfrmAkt_za_proizvedena_produkcia>(), "Akt_za_proizvedena_produkcia");
        case wRejectedAct:
            return LineDocument(Make<TfrmAkt_za_brakuvana_produkcia>(), "Akt_za_brakuvana_produkcia");
        case wPackagingAct:
            // Packaging is received once a week: on the day after.
            return LineDocument(Make<TfrmZaprihojdavane_na_ambalaj>(), "Zaprihojdavane_na_ambalaj", nullptr, 1);
        case wDelivery:
            return LineDocument(Make<TfrmDostavki>(), "Dostavki", "code_supplier");
        case wIssue:
            return LineDocument(Make<TfrmExpedicia_na_surovini_i_materiali>(), "Expedicia_na_surovini_i_materiali",
                                "code_customer");
        case wReturnedProduction:
            return BusDay(Make<TfrmVyrnata_produkcia>());
        case wExportPass:
            return BusDay(Make<TfrmPropusk_za_izvozvane>());
        case wExpeditionRequests:
            return BusDay(Make<TfrmZaiavki_za_expedicia>());
        case wValuation:
            return OpenValuation();
        case wReleaseRequest: {
            auto *form = Make<TfrmIskane_za_otpuskane_na_surovini_i_materiali>();
            form->date_doc->setDate(Date);
            form->Execute();
            return form;
        }
        case wDailySheet:
            return OpenDailySheet();
        case wDeliveryPayments:
            return OpenDeliveryPayments();
        case wMinibusPayments:
            return OpenMinibusPayments();
        case wPassGeneration: {
            auto *form = Make<TfrmGenerirane_na_Propusk_za_izvozvane>();
            Pick(form->code_bus, QString::number(kBus));
            form->date_doc->setDate(Date);
            form->Execute();
            return form;
        }
        case wSettings:
            return Make<TfrmNAS>();
        default:
            return nullptr;
        }
    }

    QString Station;
    int Day = 0;
    QDate Date;

private:
    std::vector<std::unique_ptr<TQuorendForm>> forms_;
};

} // namespace testsupport
