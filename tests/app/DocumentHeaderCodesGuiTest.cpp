// Every document window of the menus with a code in its header (customer,
// site, supplier, minibus, payment type, kind of document), on a database
// holding a year of the bakery's work: the window opened on a stored
// document, one header code typed over as 99 (listed nowhere), -1, 0 and
// "abc", and saved (or read again with F8, where the code is what the
// window reads by), is refused with the window's own message for that
// picker, and the database is left as it was; the listed code typed with a
// leading zero is taken as that code. The acts and the release request have
// no code in their headers, only dates and numbers.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uHelpers.h"
#include "core/unMessageTexts.h"
#include "core/un_Ado_Connection.h"
#include "documents/PaymentEntryForm.h"
#include "documents/SalesDocumentTestParts.h"
#include "documents/unInvoice.h"
#include "documents/unResourceDocument.h"
#include "documents/unStokovaRazpiska.h"
#include "documents/un_Dneven_list_na_shofior.h"
#include "documents/un_Dostavki.h"
#include "documents/un_Expedicia_na_surovini_i_materiali.h"
#include "documents/un_Generirane_na_Propusk_za_izvozvane.h"
#include "documents/un_Ostojnostjavane_na_Otchet_plasiori.h"
#include "documents/un_Plashtane_na_dostavki.h"
#include "documents/un_Plashtane_po_otchet_na_plasior.h"
#include "documents/un_Propusk_za_izvozvane.h"
#include "documents/un_Vyrnata_produkcia.h"
#include "documents/un_Zaiavki_za_expedicia.h"
#include "framework/QuorendFormClasses.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TableDump.h"
#include "support/YearOfData.h"

namespace {

enum TWindow {
    wGoodsReceipt, wInvoice, wNotice, wDelivery, wIssue, wReturnedProduction, wExportPass, wExpeditionRequests,
    wValuation, wDailySheet, wDeliveryPayments, wMinibusPayments, wPassGeneration, wWindowCount
};
const char *const kWindowNames[] = {"GoodsReceipt",       "Invoice",    "Notice",         "Delivery",
                                    "Issue",              "ReturnedProduction", "ExportPass", "ExpeditionRequests",
                                    "Valuation",          "DailySheet", "DeliveryPayments", "MinibusPayments",
                                    "PassGeneration"};

constexpr double kReceipt = 2000000001;
constexpr double kInvoice = 999999;
constexpr double kNotice = 999998;
constexpr int kBus = 1;

// A header code of a window: its picker, the message that refuses it, and
// whether F2 saves by it and F8 reads by it.
struct THeaderCode
{
    TListEdit *Picker;
    QString Message;
    bool OnRead = false;
    bool OnSave = true;
};

// Questions get Cancel (or No): nothing is printed, and a question before a
// write writes nothing.
class CancelDialogs : public testsupport::ScopedDialogAnswers
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
    bool Said(const QString &Message) const
    {
        for (const QString &text : Texts())
            if (text.contains(Message))
                return true;
        return false;
    }
};

// A modal window (a print preview) is closed at once.
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

QString &TemplatePath()
{
    static QString path;
    return path;
}

class DocumentHeaderCodesGui : public testsupport::DatabaseTest,
                               public ::testing::WithParamInterface<int>,
                               protected testsupport::MdiMainWindow
{
protected:
    static void SetUpTestSuite() { dir_ = new QTemporaryDir(); }
    static void TearDownTestSuite()
    {
        delete dir_;
        dir_ = nullptr;
        TemplatePath().clear();
    }

    void SetUp() override
    {
        DatabaseTest::SetUp();
        CloseDatabase();
        ASSERT_TRUE(QFile::remove(DatabasePath()));
        if (TemplatePath().isEmpty()) {
            const QString path = dir_->filePath(QStringLiteral("year.db"));
            bench::GenerateYear(path, Spec());
            TemplatePath() = path;
        }
        ASSERT_TRUE(QFile::copy(TemplatePath(), DatabasePath()));
        OpenDatabase(QCoreApplication::instance(), nullptr, true);
        Day = bench::FirstDayOfYear(Spec()) + 20;
        Date = QDate(1899, 12, 30).addDays(Day);
        const QString d = QString::number(Day);
        // A receipt, an invoice and a notice of customer 2's site 2.
        Execute(QString("INSERT INTO Zaiavki Values ( %1, %2, 2, %3, 31.56, 0, 0, 0 )")
                    .arg(QString::number(kReceipt, 'f', 0), QString::number(Day - 1), d));
        Execute("INSERT INTO Zaiavka_rows Values ( 2000000001, 1, 2.297, 9.2, 2.5, 9.43, 21.66 )");
        Execute(QString("INSERT INTO Invoices Values ( 999999, %1, 2, 27.01, 5.4, 0, 0, 1, 1, 0, 0.2 )").arg(d));
        Execute("INSERT INTO Invoices_rows Values ( 999999, 1, 2.297, 7.65, 2.5, 7.8413, 18.01 )");
        Execute(QString("INSERT INTO Invoices Values ( 999998, %1, 2, -1.8, -0.36, 0, 0, 1, 3, 999999, 0.2 )").arg(d));
        Execute("INSERT INTO Invoices_rows Values ( 999998, 1, -2, 0.9, 0, 0.9, -1.8 )");
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
        bench::YearSpec spec;
        spec.year = QDate::currentDate().year();
        spec.sites = 6;
        spec.customers = 3;
        spec.products = 30;
        spec.resources = 10;
        spec.minibuses = 2;
        spec.receipts = 300;
        spec.linesPerReceipt = 3;
        return spec;
    }

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

    // The window of the case on its stored document (or day), and its
    // header codes.
    TQuorendForm *OpenWindow(TWindow Window, std::vector<THeaderCode> &Codes)
    {
        const QString bus = QStringLiteral("Въвдетете микробус");
        switch (Window) {
        case wGoodsReceipt:
        case wInvoice:
        case wNotice: {
            TSalesDocumentForm *form = nullptr;
            if (Window == wGoodsReceipt) {
                EXPECT_TRUE(OpenStokovaRazpiska(kReceipt));
                form = OpenGoodsReceiptWindow();
            } else {
                EXPECT_TRUE(OpenInvoice(Window == wNotice ? 1 : 0, Window == wNotice ? kNotice : kInvoice));
                form = OpenInvoiceWindow();
            }
            if (!form)
                return nullptr;
            Codes.push_back({form->leCustomer, QStringLiteral("Въведете клиент.")});
            Codes.push_back({form->leObject, QStringLiteral("Въведете обект.")});
            if (auto *invoice = qobject_cast<TfrmInvoice *>(form)) {
                Codes.push_back({invoice->leType_of_payment, LoadResString(rsChoosePayment)});
                Codes.push_back({invoice->leDocType, LoadResString(rsChooseDocType)});
            }
            return form;
        }
        case wDelivery:
            return ResourceDocument(Make<TfrmDostavki>(), "Dostavki", "code_supplier", Codes);
        case wIssue:
            return ResourceDocument(Make<TfrmExpedicia_na_surovini_i_materiali>(), "Expedicia_na_surovini_i_materiali",
                                    "code_customer", Codes);
        case wReturnedProduction:
            return BusDay(Make<TfrmVyrnata_produkcia>(), "Vyrnata_produkcia", Codes);
        case wExportPass:
            return BusDay(Make<TfrmPropusk_za_izvozvane>(), "Propusk_za_izvozvane", Codes);
        case wExpeditionRequests:
            return BusDay(Make<TfrmZaiavki_za_expedicia>(), nullptr, Codes);
        case wValuation: {
            auto *form = Make<TfrmOstojnostjavane_na_Otchet_plasiori>();
            Pick(form->code_bus, QString::number(kBus));
            form->date_doc->setDate(Date);
            form->Execute();
            Codes.push_back({form->code_bus, bus, true});
            return form;
        }
        case wDailySheet: {
            auto *form = Make<TfrmDneven_list_na_shofior>();
            Pick(form->leMicrobus, QString::number(kBus));
            form->dtp_For->setDate(Date);
            form->Execute();
            Codes.push_back({form->leMicrobus, QStringLiteral("Изберете микробус"), true, false});
            return form;
        }
        case wDeliveryPayments: {
            auto *form = Make<TfrmPlashtane_na_dostavki>();
            Period(form);
            Pick(form->code_supplier, QStringLiteral("2"));
            Pick(form->code_payment, QStringLiteral("2"));
            form->Execute();
            Codes.push_back({form->code_supplier, QStringLiteral("Въведете доставчик"), true});
            Codes.push_back({form->code_payment, LoadResString(rsChoosePayment)});
            return form;
        }
        case wMinibusPayments: {
            auto *form = Make<TfrmPlashtane_po_otchet_na_plasior>();
            Period(form);
            Pick(form->code_bus, QString::number(kBus));
            form->Execute();
            Codes.push_back({form->code_bus, bus, true});
            return form;
        }
        case wPassGeneration: {
            auto *form = Make<TfrmGenerirane_na_Propusk_za_izvozvane>();
            Pick(form->code_bus, QString::number(kBus));
            form->date_doc->setDate(Date);
            form->Execute();
            Codes.push_back({form->code_bus, bus, true});
            return form;
        }
        default:
            return nullptr;
        }
    }
    TQuorendForm *ResourceDocument(TfrmResourceDocument *Form, const char *Table, const char *Party,
                                   std::vector<THeaderCode> &Codes)
    {
        const QStringList first =
            Rows(QString("SELECT docno, %1 FROM %2 WHERE date_doc = %3 ORDER BY docno").arg(Party, Table).arg(Day));
        EXPECT_FALSE(first.isEmpty());
        const QStringList fields = first.value(0).split('@');
        Form->date_doc->setDate(Date);
        Pick(Form->counterparty, fields.value(1));
        Pick(Form->docno, fields.value(0));
        Form->Execute();
        Codes.push_back({Form->counterparty, ResourceDocumentKind(qobject_cast<TfrmDostavki *>(Form) != nullptr).MissingCounterparty});
        return Form;
    }
    TQuorendForm *BusDay(TfrmBusDayDocument *Form, const char *Numbered, std::vector<THeaderCode> &Codes)
    {
        Form->date_doc->setDate(Date);
        Pick(Form->code_bus, QString::number(kBus));
        if (Numbered) {
            const QStringList numbers = Rows(QString("SELECT min(docno) FROM %1 WHERE date_doc = %2 AND code_bus = %3")
                                                 .arg(Numbered)
                                                 .arg(Day)
                                                 .arg(kBus));
            if (!numbers.isEmpty())
                Pick(Form->docno, numbers[0]);
        }
        Form->Execute();
        Codes.push_back({Form->code_bus, QStringLiteral("Въвдетете микробус"), true});
        return Form;
    }
    void Period(TPaymentEntryForm *Form)
    {
        Form->dtp_From->setDate(Date.addDays(-10));
        Form->dtp_To->setDate(Date.addDays(10));
    }

    int Day = 0;
    QDate Date;

private:
    std::vector<std::unique_ptr<TQuorendForm>> forms_;
    static QTemporaryDir *dir_;
};

QTemporaryDir *DocumentHeaderCodesGui::dir_ = nullptr;

TEST_P(DocumentHeaderCodesGui, AnUnlistedHeaderCodeIsRefusedAndAListedOneWithLeadingZerosTaken)
{
    const auto window = static_cast<TWindow>(GetParam());
    RejectModals modals;
    std::vector<THeaderCode> codes;
    {
        CancelDialogs opening;
        QPointer<TQuorendForm> form = OpenWindow(window, codes);
        if (qobject_cast<TSalesDocumentForm *>(form)) {
            form->SetModified(false);
            form->Close();
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    ASSERT_FALSE(codes.empty());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        // Each case on the window as opened again: the codes typed before
        // are gone.
        // The four texts that name no listed code, then the listed code
        // with a leading zero.
        const QStringList unlisted = {QStringLiteral("99"), QStringLiteral("-1"), QStringLiteral("0"),
                                      QStringLiteral("abc")};
        for (int k = 0; k <= unlisted.size(); ++k) {
            std::vector<THeaderCode> fresh;
            QPointer<TQuorendForm> form;
            {
                CancelDialogs opening;
                form = OpenWindow(window, fresh);
            }
            ASSERT_FALSE(form.isNull());
            ASSERT_EQ(fresh.size(), codes.size());
            const THeaderCode code = fresh[i];
            const QString listed = code.Picker->text().trimmed();
            ASSERT_GT(StrToIntOrZero(listed), 0) << code.Picker->objectName().toStdString();
            const bool accepted = k == unlisted.size();
            const QString text = accepted ? QStringLiteral("0") + listed : unlisted[k];
            const testsupport::TableDump before = testsupport::DumpTables();
            code.Picker->setText(text);
            QCoreApplication::processEvents();
            // F8 first (it must not read by the code), then F2.
            for (QAction *action : {form->actExecute, form->actSave}) {
                if (!(action == form->actExecute ? code.OnRead : code.OnSave))
                    continue;
                CancelDialogs dialogs;
                action->trigger();
                QCoreApplication::processEvents();
                const std::string what = code.Picker->objectName().toStdString() + " = \"" + text.toStdString() +
                                         "\", " + (action == form->actSave ? "F2" : "F8") + ": " +
                                         dialogs.Texts().join(QStringLiteral(" | ")).toStdString();
                if (accepted) {
                    EXPECT_FALSE(dialogs.Said(code.Message)) << what;
                } else {
                    EXPECT_TRUE(dialogs.Said(code.Message)) << what;
                    EXPECT_EQ(testsupport::TableDifferences(before, testsupport::DumpTables()), "") << what;
                }
            }
            // A sales document opens in the one window of its kind: it is
            // closed for the next case.
            if (qobject_cast<TSalesDocumentForm *>(form)) {
                form->SetModified(false);
                form->Close();
                QCoreApplication::processEvents();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Walk, DocumentHeaderCodesGui, ::testing::Range(0, int(wWindowCount)),
                         [](const ::testing::TestParamInfo<int> &Info) {
                             return std::string(kWindowNames[Info.param]);
                         });

} // namespace
