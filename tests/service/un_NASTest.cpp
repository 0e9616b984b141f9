// The workstation and company settings form against a real database.
#include "service/un_NAS.h"

#include "components/LimitedEdit.h"
#include "core/unRegistryFuncs.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

#include <QDate>
#include <QFile>
#include <QGroupBox>
#include <QTest>
#include <memory>
#include <sqlite3.h>

namespace {

class NasFormGui : public testsupport::DatabaseTest
{
protected:
    std::unique_ptr<TfrmNAS> Make() { return std::unique_ptr<TfrmNAS>(CreateQuorendForm<TfrmNAS>(nullptr, fsMDIChild)); }
    QString Address() const { return GetLocalIPAddress(); }
};

} // namespace

TEST_F(NasFormGui, ANewWorkstationInsertsEverySettingOnceThenOnlyWhatChanged)
{
    testsupport::ScopedDialogAnswers dialogs;
    EXPECT_TRUE(IsFormClassRegistered("TfrmNAS"));
    auto form = Make();
    EXPECT_EQ(form->windowTitle(), "Настройки за " + Address());
    EXPECT_EQ(form->pnlCaption->text(), ("Настройки за " + Address()).toUpper());
    EXPECT_EQ(form->ed_VA[VaYear]->text(), QString::number(QDate::currentDate().year()));
    EXPECT_EQ(form->ed_VA[VaVatPercent]->text(), "0.2");

    form->ed_NAS[1]->SetText("0000000041");
    form->ed_NAS[4]->SetText("Иван Петров");
    TfrmNAS::SetItemIndex(form->rg_NAS[11], 1);
    TfrmNAS::SetItemIndex(form->rg_Registry_21, 1);
    form->ed_VA[VaCompanyName]->SetText("ЕТ \"Хляб\"");
    EXPECT_EQ(form->SaveStatements().size(), 9 + 14);
    ASSERT_TRUE(form->Save());
    EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join("|").toStdString();
    EXPECT_EQ(Rows("SELECT n_nas, Value_nas FROM Nas WHERE IP_Address = \"" + Address() + "\" ORDER BY n_nas"),
              QStringList({"1@0000000041", "2@", "3@", "4@Иван Петров", "5@", "11@1", "12@0", "13@0", "14@0"}));
    EXPECT_EQ(Rows("SELECT Count(*) FROM VA"), QStringList{"14"});
    EXPECT_EQ(Rows("SELECT value_VA FROM VA WHERE code_VA = 1"), QStringList{"ЕТ Хляб"});  // '"' leaves on reading
    QString value;
    GetRegistrySetting("Print_Laser", value);
    EXPECT_EQ(value, "1");
    GetRegistrySetting("rg_Registry_21", value);
    EXPECT_EQ(value, "1");

    // Reloaded: nothing to write; one change gives one update.
    EXPECT_EQ(form->SaveStatements(), QStringList());
    form->ed_NAS[5]->SetText("София");
    EXPECT_EQ(form->SaveStatements(),
              QStringList{"Update nas set value_nas = \"София\" where n_nas = 5 and ip_address = \"" + Address() + "\""});

    // The year takes four digits at most.
    form->ed_VA[VaYear]->clear();
    QTest::keyClicks(form->ed_VA[VaYear], "20245");
    EXPECT_EQ(form->ed_VA[VaYear]->text(), "2024");
}

TEST_F(NasFormGui, AFailedSaveWritesNothingAndNamesTheTableThatFailed)
{
    testsupport::ScopedDialogAnswers dialogs;
    auto form = Make();
    form->ed_NAS[2]->SetText("17");
    ASSERT_EQ(sqlite3_exec(DbConnection->Handle(),
                           "CREATE TRIGGER refuse_va BEFORE INSERT ON VA BEGIN SELECT RAISE(ABORT, 'va refused'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    EXPECT_FALSE(form->Save());
    ASSERT_EQ(dialogs.Texts().size(), 2);
    EXPECT_TRUE(dialogs.Texts()[0].startsWith("Грешка при работа с базата данни !")) << dialogs.Texts()[0].toStdString();
    EXPECT_EQ(dialogs.Texts()[1], "Грешка при актуализиране на VA на ред 1.");
    EXPECT_EQ(Rows("SELECT Count(*) FROM Nas"), QStringList{"0"});
    QString value;
    GetRegistrySetting("Print_Laser", value);
    EXPECT_EQ(value, "");
    EXPECT_EQ(form->ed_NAS[2]->text(), "17");  // the window keeps what was typed
}

namespace {

// The database file as it is on disk: a save that writes nothing leaves it
// byte for byte.
QByteArray FileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Types Text into Edit key by key, as the keyboard gives it (any
// character, Cyrillic and typographic ones too), over what it held.
void TypeOver(QLineEdit *Edit, const QString &Text)
{
    Edit->clear();
    for (const QChar c : Text)
        QTest::sendKeyEvent(QTest::Click, Edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

class StoredSettingsGui : public NasFormGui
{
protected:
    void SetUp() override
    {
        NasFormGui::SetUp();
        const QString ip = Address();
        // The counters as other writers left them: the drivers' sheet's
        // "7.00", an empty one, and the receipts' own form.
        const QStringList nas = {"7.00", "", "0000000003", "Иван Петров", "гр. София, ул. „Раковски“ № 5"};
        for (int n = 1; n <= 5; ++n)
            Execute(Format("Insert into nas values ( %d, \"%s\", \"%s\" )", {n, SqlEscape(ip), nas[n - 1]}));
        for (int n = 11; n <= 14; ++n)
            Execute(Format("Insert into nas values ( %d, \"%s\", \"%s\" )", {n, SqlEscape(ip), n == 11 ? "1" : ""}));
        for (int code = 1; code <= 14; ++code)
            Execute(Format("Insert into VA values ( %d, \"%s\" )", {code, SqlEscape(Company(code))}));
    }
    static QString Company(int code)
    {
        switch (code) {
        case VaCompanyName: return "Пекарна „Зора“ ЕООД";
        case VaAddress: return "ул. „Витоша“ № 12 (вход А) & склад";
        case VaBank: return "Банка „ДСК“ ЕАД; клон 'Център'";
        case VaRepresentative: return "Мария Иванова-Петрова";
        case VaYear: return "2026";
        case VaVatPercent: return "0.20";
        case VaCompanyId: return "201234567";
        case VaBankCode: return "STSABGSF";
        case VaBankAccount:
        case VaVatAccount: return "BG80 STSA 9300 0012 3456 78";
        default: return "стойност " + QString::number(code);
        }
    }
};

} // namespace

TEST_F(StoredSettingsGui, AnUntouchedSaveWritesNothingAndShowsEveryStoredText)
{
    testsupport::ScopedDialogAnswers dialogs;
    auto form = Make();
    // The company's details whole, as they print on every invoice.
    for (int code = 1; code <= 14; ++code)
        EXPECT_EQ(form->ed_VA[code]->text(), Company(code)) << code;
    EXPECT_EQ(form->ed_NAS[NasPlaceOfDeal]->text(), "гр. София, ул. „Раковски“ № 5");
    // The counters in their one form: "7.00" is 7, not 700.
    EXPECT_EQ(form->ed_NAS[NasGoodsReceiptCounter]->text(), "0000000007");
    EXPECT_EQ(form->ed_NAS[NasInvoiceCounter]->text(), "");
    EXPECT_EQ(form->SaveStatements(), QStringList());

    const QByteArray before = FileBytes(DatabasePath());
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(form->Save());
        EXPECT_EQ(FileBytes(DatabasePath()), before) << "save " << i + 1;
    }
    EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join("|").toStdString();

    // A value changed and changed back writes nothing either; a company
    // name typed with the characters it needs is written as typed.
    TypeOver(form->ed_VA[VaCity], "стойност 4");
    TypeOver(form->ed_VA[VaCompanyName], "ЕТ „Хляб & Кифла“ (№ 2)");
    EXPECT_EQ(form->SaveStatements(), QStringList{"Update va set value_va = \"ЕТ „Хляб & Кифла“ (№ 2)\" where code_va = 1"});
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT value_VA FROM VA WHERE code_VA = 1"), QStringList{"ЕТ „Хляб & Кифла“ (№ 2)"});
    EXPECT_EQ(Rows("SELECT value_VA FROM VA WHERE code_VA = 5"), QStringList{Company(VaAddress)});
}

TEST_F(StoredSettingsGui, ACounterIsWrittenInItsOneFormAndAFractionIsRefused)
{
    testsupport::ScopedDialogAnswers dialogs;
    auto form = Make();
    TLimitedEdit *receipts = form->ed_NAS[NasGoodsReceiptCounter];
    TypeOver(receipts, "12");
    const QString where = " where n_nas = 1 and ip_address = \"" + Address() + "\"";
    EXPECT_EQ(form->SaveStatements(), QStringList{"Update nas set value_nas = \"0000000012\"" + where});

    // "7.5" is no last number: refused, naming the field; nothing written.
    TypeOver(receipts, "7,5");
    EXPECT_EQ(receipts->text(), "7,5");
    const QByteArray before = FileBytes(DatabasePath());
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts(),
              QStringList{"Полето \"1. Последен номер на стокова. разписка\" трябва да съдържа цяло число от 0 до "
                          "9999999999.\n\r"});
    EXPECT_EQ(FileBytes(DatabasePath()), before);

    // A whole number typed with decimals is that number.
    TypeOver(receipts, "41.00");
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT Value_nas FROM Nas WHERE n_nas = 1"), QStringList{"0000000041"});
    EXPECT_EQ(ReadNasCounter(nullptr, NasGoodsReceiptCounter, Address()).Number, 41);
    EXPECT_EQ(receipts->text(), "0000000041");
    EXPECT_EQ(form->SaveStatements(), QStringList());
}

TEST_F(StoredSettingsGui, TheVatRateReadsACommaRefusesANonNumberAndAsksOutsideZeroToOne)
{
    testsupport::ScopedDialogAnswers dialogs;
    auto form = Make();
    TLimitedEdit *rate = form->ed_VA[VaVatPercent];
    auto type = [&](const QString &text) {
        TypeOver(rate, text);
        EXPECT_EQ(rate->text(), text);
    };
    type("0,2");
    EXPECT_EQ(form->SaveStatements(), QStringList{"Update va set value_va = \"0.2\" where code_va = 9"});

    type("0..25");
    EXPECT_FALSE(form->Save());
    EXPECT_EQ(dialogs.Texts(), QStringList{"Полето \"9. Процент ДДС\" трябва да съдържа число: 0.2 за 20 %.\n\r"});

    // 20 is most likely meant as 20 %: asked, and No writes nothing.
    type("20");
    dialogs.Press(mbNo);
    EXPECT_FALSE(form->Save());
    ASSERT_EQ(dialogs.Texts().size(), 2);
    EXPECT_EQ(dialogs.Texts()[1],
              "Процентът ДДС 20 е извън границите от 0 до 1 (0.2 за 20 %).\n\rЖелаете ли да го запишете?");
    EXPECT_EQ(Rows("SELECT value_VA FROM VA WHERE code_VA = 9"), QStringList{"0.20"});
    dialogs.Press(mbYes);
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(Rows("SELECT value_VA FROM VA WHERE code_VA = 9"), QStringList{"20"});

    type("0,09");
    ASSERT_TRUE(form->Save());
    EXPECT_EQ(dialogs.Texts().size(), 3);
    EXPECT_EQ(Rows("SELECT value_VA FROM VA WHERE code_VA = 9"), QStringList{"0.09"});
}
