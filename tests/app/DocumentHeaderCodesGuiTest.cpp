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
#include <QPointer>

#include "app/DocumentWalkSupport.h"
#include "core/unMessageTexts.h"
#include "documents/unInvoice.h"
#include "documents/unStokovaRazpiska.h"
#include "documents/un_Dostavki.h"
#include "documents/un_Expedicia_na_surovini_i_materiali.h"
#include "documents/un_Generirane_na_Propusk_za_izvozvane.h"
#include "documents/un_Propusk_za_izvozvane.h"
#include "documents/un_Zaiavki_za_expedicia.h"
#include "support/TableDump.h"

namespace {

enum TWindow {
    wGoodsReceipt, wInvoice, wNotice, wDelivery, wIssue, wReturnedProduction, wExportPass, wExpeditionRequests,
    wValuation, wDailySheet, wDeliveryPayments, wMinibusPayments, wPassGeneration, wWindowCount
};
const char *const kWindowNames[] = {"GoodsReceipt",       "Invoice",    "Notice",         "Delivery",
                                    "Issue",              "ReturnedProduction", "ExportPass", "ExpeditionRequests",
                                    "Valuation",          "DailySheet", "DeliveryPayments", "MinibusPayments",
                                    "PassGeneration"};

using testsupport::kBus;

// A header code of a window: its picker, the message that refuses it, and
// whether F2 saves by it and F8 reads by it.
struct THeaderCode
{
    TListEdit *Picker;
    QString Message;
    bool OnRead = false;
    bool OnSave = true;
};

// The walk's answers, and whether a message was among the texts shown.
class CancelDialogs : public testsupport::CancelQuestions
{
public:
    bool Said(const QString &Message) const
    {
        for (const QString &text : Texts())
            if (text.contains(Message))
                return true;
        return false;
    }
};

class DocumentHeaderCodesGui : public testsupport::DocumentWalkFixture, public ::testing::WithParamInterface<int>
{
protected:
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
                EXPECT_TRUE(OpenStokovaRazpiska(testsupport::kMarkupReceipt));
                form = OpenGoodsReceiptWindow();
            } else {
                EXPECT_TRUE(OpenInvoice(Window == wNotice ? 1 : 0, Window == wNotice ? testsupport::kNotice : testsupport::kMarkupInvoice));
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
        case wIssue: {
            const bool delivery = Window == wDelivery;
            TfrmResourceDocument *form = delivery ? static_cast<TfrmResourceDocument *>(Make<TfrmDostavki>())
                                                  : Make<TfrmExpedicia_na_surovini_i_materiali>();
            LineDocument(form, delivery ? "Dostavki" : "Expedicia_na_surovini_i_materiali",
                         delivery ? "code_supplier" : "code_customer");
            Codes.push_back({form->counterparty, ResourceDocumentKind(delivery).MissingCounterparty});
            return form;
        }
        case wReturnedProduction:
        case wExportPass:
        case wExpeditionRequests: {
            TfrmBusDayDocument *form = nullptr;
            if (Window == wReturnedProduction)
                form = Make<TfrmVyrnata_produkcia>();
            else if (Window == wExportPass)
                form = Make<TfrmPropusk_za_izvozvane>();
            else
                form = Make<TfrmZaiavki_za_expedicia>();
            BusDay(form);
            Codes.push_back({form->code_bus, bus, true});
            return form;
        }
        case wValuation: {
            auto *form = OpenValuation();
            Codes.push_back({form->code_bus, bus, true});
            return form;
        }
        case wDailySheet: {
            auto *form = OpenDailySheet();
            Codes.push_back({form->leMicrobus, QStringLiteral("Изберете микробус"), true, false});
            return form;
        }
        case wDeliveryPayments: {
            auto *form = OpenDeliveryPayments();
            Codes.push_back({form->code_supplier, QStringLiteral("Въведете доставчик"), true});
            Codes.push_back({form->code_payment, LoadResString(rsChoosePayment)});
            return form;
        }
        case wMinibusPayments: {
            auto *form = OpenMinibusPayments();
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
};

TEST_P(DocumentHeaderCodesGui, AnUnlistedHeaderCodeIsRefusedAndAListedOneWithLeadingZerosTaken)
{
    const auto window = static_cast<TWindow>(GetParam());
    testsupport::RejectModals modals;
    // A sales document opens in the one window of its kind: it is closed
    // for the next case.
    auto closeSalesWindow = [](TQuorendForm *Form) {
        if (!qobject_cast<TSalesDocumentForm *>(Form))
            return;
        Form->SetModified(false);
        Form->Close();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    std::vector<THeaderCode> codes;
    {
        CancelDialogs opening;
        closeSalesWindow(OpenWindow(window, codes));
    }
    ASSERT_FALSE(codes.empty());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        // Each case on the window opened again: the four texts that name no
        // listed code, then the listed code with a leading zero.
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
            closeSalesWindow(form);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Walk, DocumentHeaderCodesGui, ::testing::Range(0, int(wWindowCount)),
                         [](const ::testing::TestParamInfo<int> &Info) {
                             return std::string(kWindowNames[Info.param]);
                         });

} // namespace
