// The message table: every text under its number, exactly.
#include "core/unMessageTexts.h"

#include <QSet>
#include <gtest/gtest.h>

// The texts that the program's windows name by their number.
TEST(MessageTexts, TextsReferredToByNumber)
{
    const std::pair<int, const char *> expected[] = {
        {65072, "hh:nn:ss"},
        {65073, "Шифър@Наименование"},
        {65088, "Въведете шифър."},
        {65089, "Въведете мярка."},
        {65090, "изделие"},
        {65091, "Въведете група."},
        {65092, "Въведете подгрупа."},
        {65093, "Булстат \"%s\" съществува в таблицата с данни!"},
        {65094, "Въведете ресурс"},
        {65095, "Въведете изделие"},
        {65096, "Данъчна основа:"},
        {65097, "Начислен ДДС %.2f%%:"},
        {65098, "Обща стойност:"},
        {65100, " Начин на плащане: "},
        {65101, "Изберете вид на документа."},
        {65104, "Въведете клиент!"},
        {65105, "Изберете начин на плащане!"},
        {65106, "Въведете количество!"},
        {65107, "Създавате известие, а не сте указали по коя фактура го създавате!"},
        {65108, "ЕИН: "},
        {65109, "Общата сума на документа трябва да е положително число!"},
        {65110, "Общата сума на документа трябва да е отрицателно число число!"},
        {65112, "Желаете ли да отпечатате съставените документи?"},
        {65113, "Липсва мерна единица. Изберете артикула отново."},
        {65114, "Получател:"},
        {65115, "Доставчик: %s "},
        {65116, "гр. "},
        {65117, "ЕИН по ЗДДС: "},
        {65118, "МОЛ: "},
        {65119, "Тел: "},
        {65120, "Фактура"},
        {65123, "ОРИГИНАЛ"},
        {65124, "Въведете коректен ЕИН"},
        {65127, "Въведете наименование!"},
        {65128, "Шифър \"%s\" съществува в таблицата с данни!"},
        {65129, "Наименование \"%s\" съществува в таблицата с данни!"},
        {65130, "Желаете ли да изтриете %s: \"%s\" - \"%s\"?"},
        {65131, "Известие"},
        {65132, "Номер@Дата@Контрагент"},
        {65133, "Ново:"},
        {65134, "¤Разлика:"},
        {65135, "Не можете да редактирате два реда едновремнно!"},
        {65147, "Предал: ............................."},
        {65148, "Приел:  ............................."},
        {65150, "Вече имате заявка за продажба на артикул %s !"},
        {65151, "Документ с номер %s съществува !"},
        {65177, "Място на сделката: %s"},
        {65178, "Има вече започнат нов документ.\rНе можете да издавате повече от един документ "
                "едновременно!"},
        {65230, "Грешка при работа с базата данни !"},
    };
    for (const auto &[number, text] : expected)
        EXPECT_EQ(LoadResString(number), QString::fromUtf8(text)) << number;
    EXPECT_EQ(LoadResString(rsCodeExists), LoadResString(65128));
    EXPECT_EQ(LoadResString(rsDatabaseError), LoadResString(65230));
}

TEST(MessageTexts, SpotChecksOfQuotedTexts)
{
    EXPECT_EQ(LoadResString(rsDatabaseErrorFmt), "Грешка при работа с базата данни !\n\r%s");
    EXPECT_EQ(LoadResString(rsErrorBoxCaption), "Грешка");
    EXPECT_EQ(LoadResString(rsDataNotSaved), "Данните не са записани!\rЖелаете ли да ги запишете?");
    EXPECT_EQ(LoadResString(rsLineBreak), "\r\n");
    EXPECT_EQ(LoadResString(rsEnterPrice), "Задайте цена");
    EXPECT_EQ(LoadResString(rsWrongYear),
              "Не можете да издавате документи за %d година в отчетен период %d година!");
    EXPECT_EQ(LoadResString(rsCompanyRegistrationFmt), "%s\r№ по НДР: %s\rБулстат: %s");
    EXPECT_EQ(LoadResString(rsUpdateRowError), "Грешка при актуализиране на %s на ред %d.");
    EXPECT_EQ(LoadResString(rsFloppyTransferWarning),
              "Ще се извърши прехвърляне на архивното копие на дискети. Моля, поставете първата "
              "дискета и натиснете Продължение.\r\rВНИМАНИЕ: Всички съществуващи файлове на "
              "дискетите ще бъдат изтрити!");
    EXPECT_EQ(LoadResString(rsArchiveWizardIntro),
              "Този помощник ще ви помогле да създадете архивно копие на данните.");
    EXPECT_EQ(LoadResString(rsInsertNextFloppy), "Моля поставете следващата дискета и натиснете ОК.");
    EXPECT_EQ(LoadResString(rsYearEndDone), "Годишното приключване завърши успешно.");
    EXPECT_EQ(LoadResString(rsPrintDateTimeFormat),
              "dd\".\"mm\".\"yyyy\" г. / \"hh\":\"nn\":\"ss");
    EXPECT_EQ(LoadResString(rsZoomFmt), "%d %%");
    EXPECT_EQ(LoadResString(rsPageBreakMark), "-=: PaGe BrEaK :=-");
    EXPECT_EQ(LoadResString(rsExcelCommError), "Грешка в комуникацията с MS Excel 97\r");
    EXPECT_EQ(LoadResString(rsExportCancelled),
              "  Прехвърлянето на данните е прекъснато от потребителя!");
    EXPECT_EQ(LoadResString(rsExportWizardIntroFmt),
              "  Този помощник ще стартира %s, ще отвори нов документ и ще прехвърли данните в "
              "него. Това може да отнеме известно време, моля изчакайте.\r\r  Изберете Продължение "
              "за да започнете прехвърлянето.");
    EXPECT_EQ(LoadResString(rsPleaseWaitSuffix), ", моля изчакайте ...");
}

TEST(MessageTexts, DialogCaptionsAndButtons)
{
    const std::pair<int, const char *> expected[] = {
        {rsWarningCaption, "Предупреждение!"}, {rsErrorCaption, "Грешка!"},
        {rsInformationCaption, "Информация!"},   {rsConfirmationCaption, "Потвърждение!"},
        {rsYesButton, "&Да"},                    {rsNoButton, "&Не"},
        {rsOkButton, "OK"},                      {rsCancelButton, "Отказ"},
        {rsRetryButton, "Отново"},               {rsIgnoreButton, "&Игнориране"},
        {rsAllButton, "&Всички"},                {rsNoToAllButton, "Не за всички"},
        {rsYesToAllButton, "Да за всички"},      {rsHelpButton, "&Help"},
        {rsContinueButton, "Продължи"},
    };
    for (const auto &[number, text] : expected)
        EXPECT_EQ(LoadResString(number), QString::fromUtf8(text)) << number;
}

TEST(MessageTexts, EveryTextHasOneNumberAndNoneIsEmpty)
{
    const std::vector<TMessageText> &all = MessageTextCatalogue();
    EXPECT_EQ(all.size(), 170u);
    QSet<int> numbers;
    QSet<QString> names;
    for (const TMessageText &entry : all) {
        EXPECT_FALSE(entry.Text.isEmpty()) << entry.Name;
        EXPECT_FALSE(numbers.contains(entry.Number)) << entry.Name;
        EXPECT_FALSE(names.contains(entry.Name)) << entry.Name;
        numbers.insert(entry.Number);
        names.insert(entry.Name);
        EXPECT_EQ(LoadResString(entry.Number), entry.Text) << entry.Name;
        // The table holds real control characters, never their spelling.
        EXPECT_FALSE(entry.Text.contains('\\')) << entry.Name;
        // Our own numbers stay clear of the system's range.
        EXPECT_TRUE((entry.Number >= 65000 && entry.Number <= 65535) || entry.Number > 66000)
            << entry.Name;
    }
}

TEST(MessageTexts, UnknownNumberGivesAnEmptyText)
{
    EXPECT_EQ(LoadResString(0), QString());
    EXPECT_EQ(LoadResString(65074), QString());
    EXPECT_EQ(LoadResString(-1), QString());
}

TEST(MessageTexts, PrintFooterLeavesRoomForTheDateAndTime)
{
    // The footer, "dd.mm.yyyy/hh:nn:ss" after it, must fit a 79-column line.
    const QString footer = LoadResString(rsPrintFooter);
    EXPECT_FALSE(footer.trimmed().isEmpty());
    EXPECT_TRUE(footer.endsWith(' '));
    EXPECT_LE(footer.size() + 19, 79);
}
