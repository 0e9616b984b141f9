#include "core/unMessageTexts.h"

#include <QHash>
#include <iterator>

namespace {

struct Row
{
    int number;
    const char *name;
    const char *text;   // UTF-8
};

// clang-format off
const Row kRows[] = {

    // Database and general
    {rsDatabaseError, "rsDatabaseError", "Грешка при работа с базата данни !"},
    {rsDatabaseErrorFmt, "rsDatabaseErrorFmt", "Грешка при работа с базата данни !\n\r%s"},
    {rsErrorBoxCaption, "rsErrorBoxCaption", "Грешка"},
    {rsInitializing, "rsInitializing", "Инициализиране ..."},
    {rsSorting, "rsSorting", "Сортиране ..."},
    {rsDataNotSaved, "rsDataNotSaved", "Данните не са записани!\rЖелаете ли да ги запишете?"},
    {rsTimeFormat, "rsTimeFormat", "hh:nn:ss"},
    {rsLineBreak, "rsLineBreak", "\r\n"},
    {rsCodeNameCaptions, "rsCodeNameCaptions", "Шифър@Наименование"},
    {rsSortAndHide, "rsSortAndHide", "Сортиране и скриване"},
    {rsDatabaseCloseError, "rsDatabaseCloseError", "Грешка при затварянето на базата!"},
    {rsDatabaseOpenError, "rsDatabaseOpenError", "Грешка при отварянето на базата!"},

    // Master data validation
    {rsEnterCode, "rsEnterCode", "Въведете шифър."},
    {rsEnterUnit, "rsEnterUnit", "Въведете мярка."},
    {rsProductNoun, "rsProductNoun", "изделие"},
    {rsEnterGroup, "rsEnterGroup", "Въведете група."},
    {rsEnterSubgroup, "rsEnterSubgroup", "Въведете подгрупа."},
    {rsBulstatExists, "rsBulstatExists", "Булстат \"%s\" съществува в таблицата с данни!"},
    {rsEnterResource, "rsEnterResource", "Въведете ресурс"},
    {rsEnterProduct, "rsEnterProduct", "Въведете изделие"},
    {rsEnterName, "rsEnterName", "Въведете наименование!"},
    {rsCodeExists, "rsCodeExists", "Шифър \"%s\" съществува в таблицата с данни!"},
    {rsNameExists, "rsNameExists", "Наименование \"%s\" съществува в таблицата с данни!"},
    {rsConfirmDelete, "rsConfirmDelete", "Желаете ли да изтриете %s: \"%s\" - \"%s\"?"},
    {rsOneRowInEdit, "rsOneRowInEdit", "Не можете да редактирате два реда едновремнно!"},
    {rsEnterValidEik, "rsEnterValidEik", "Въведете коректен ЕИН"},
    {rsEnterPrice, "rsEnterPrice", "Задайте цена"},
    {rsCellChangedElsewhere, "rsCellChangedElsewhere",
     "Редът \"%s\" е променен от друго работно място. Натиснете F8 и въведете промяната отново."},

    // Documents and their printouts
    {rsTaxBase, "rsTaxBase", "Данъчна основа:"},
    {rsVatCharged, "rsVatCharged", "Начислен ДДС %.2f%%:"},
    {rsTotalValue, "rsTotalValue", "Обща стойност:"},
    {rsPaymentMethod, "rsPaymentMethod", " Начин на плащане: "},
    {rsChooseDocType, "rsChooseDocType", "Изберете вид на документа."},
    {rsEnterCustomer, "rsEnterCustomer", "Въведете клиент!"},
    {rsChoosePayment, "rsChoosePayment", "Изберете начин на плащане!"},
    {rsEnterQuantity, "rsEnterQuantity", "Въведете количество!"},
    {rsNoticeWithoutInvoice, "rsNoticeWithoutInvoice", "Създавате известие, а не сте указали по коя фактура го създавате!"},
    {rsEikLabel, "rsEikLabel", "ЕИН: "},
    {rsTotalMustBePositive, "rsTotalMustBePositive", "Общата сума на документа трябва да е положително число!"},
    {rsTotalMustBeNegative, "rsTotalMustBeNegative", "Общата сума на документа трябва да е отрицателно число число!"},
    {rsPrintCreatedDocuments, "rsPrintCreatedDocuments", "Желаете ли да отпечатате съставените документи?"},
    {rsMissingUnit, "rsMissingUnit", "Липсва мерна единица. Изберете артикула отново."},
    {rsRecipient, "rsRecipient", "Получател:"},
    {rsSupplierFmt, "rsSupplierFmt", "Доставчик: %s "},
    {rsTownPrefix, "rsTownPrefix", "гр. "},
    {rsVatEikLabel, "rsVatEikLabel", "ЕИН по ЗДДС: "},
    {rsMolLabel, "rsMolLabel", "МОЛ: "},
    {rsPhoneLabel, "rsPhoneLabel", "Тел: "},
    {rsInvoice, "rsInvoice", "Фактура"},
    {rsWrongYear, "rsWrongYear", "Не можете да издавате документи за %d година в отчетен период %d година!"},
    {rsTotal, "rsTotal", "Общо:"},
    {rsOriginal, "rsOriginal", "ОРИГИНАЛ"},
    {rsNotice, "rsNotice", "Известие"},
    {rsNumberDateCounterpartyCaptions, "rsNumberDateCounterpartyCaptions", "Номер@Дата@Контрагент"},
    {rsNewLabel, "rsNewLabel", "Ново:"},
    {rsDifferenceLabel, "rsDifferenceLabel", "¤Разлика:"},
    {rsHandedOver, "rsHandedOver", "Предал: ............................."},
    {rsReceived, "rsReceived", "Приел:  ............................."},
    {rsRowNotDocument, "rsRowNotDocument", "Избраният ред не е за документ !"},
    {rsProductAlreadyOrdered, "rsProductAlreadyOrdered", "Вече имате заявка за продажба на артикул %s !"},
    {rsDocumentExists, "rsDocumentExists", "Документ с номер %s съществува !"},
    {rsPlaceOfDeal, "rsPlaceOfDeal", "Място на сделката: %s"},
    {rsOneNewDocumentOnly, "rsOneNewDocumentOnly", "Има вече започнат нов документ.\rНе можете да издавате повече от един документ едновременно!"},
    {rsDateLabel, "rsDateLabel", "Дата: "},
    {rsManager, "rsManager", "Ръководител:"},
    {rsChiefAccountant, "rsChiefAccountant", "Гл. счетоводител:"},
    {rsCompanyRegistrationFmt, "rsCompanyRegistrationFmt", "%s\r№ по НДР: %s\rБулстат: %s"},
    {rsNdrNumberFmt, "rsNdrNumberFmt", "No по НДР: %s"},
    {rsBulstatFmt, "rsBulstatFmt", "Булстат: %s"},
    {rsPercentOutOfRange, "rsPercentOutOfRange", " Процентът на ТО/ТН трябва да е от 0 до 99.99!"},
    {rsPaidReceiptUnchanged, "rsPaidReceiptUnchanged", "Стокова разписка N: %s за обект %d е платена и не може да се променя."},
    // A document, "е"/"са", the ending twice. Who paid it is not known:
    // this workstation too (in its editor) or another one.
    {rsPaidElsewhere, "rsPaidElsewhere",
     "%s вече %s платен%s или изтрит%s. Нищо не е платено. Описът се зарежда отново и показва документите, както са записани."},
    {rsPrintFooter, "rsPrintFooter", "Отпечатано с Tolvex2000 на "},

    // Workstation and company settings
    {rsUpdateRowError, "rsUpdateRowError", "Грешка при актуализиране на %s на ред %d."},

    // Archive and restore
    {rsFloppyNumberReadError, "rsFloppyNumberReadError", "Грешка при четене поредния номер на дискетата."},
    {rsRestoreReadingData, "rsRestoreReadingData", "Извършва се четене на данните за архивното копие и възстановяване на данните."},
    {rsArchiveInProgress, "rsArchiveInProgress", "Извършва се изтегляне на данните, архивиране и прехвърляне на архивното копие. Моля изчакайте."},
    {rsFloppyTransferWarning, "rsFloppyTransferWarning", "Ще се извърши прехвърляне на архивното копие на дискети. Моля, поставете първата дискета и натиснете Продължение.\r\rВНИМАНИЕ: Всички съществуващи файлове на дискетите ще бъдат изтрити!"},
    {rsCompressing, "rsCompressing", "Компресиране на архивното копие ..."},
    {rsTransferring, "rsTransferring", "Прехвърляне на архивното копие ..."},
    {rsDecompressing, "rsDecompressing", "Декомпресиране на архивното копие ..."},
    {rsRestoringData, "rsRestoringData", "Възстановяване на данните ..."},
    {rsFetchingData, "rsFetchingData", "Изтегляне на данните ..."},
    {rsRestoreFromTitle, "rsRestoreFromTitle", " Възстановяване на архивно копие от "},
    {rsArchiveToTitle, "rsArchiveToTitle", " Създаване на архивно копие на "},
    {rsErasingFloppy, "rsErasingFloppy", "Изтриване на дискетата ..."},
    {rsDeactivatingDatabase, "rsDeactivatingDatabase", "Деактивиране на базата ..."},
    {rsActivatingDatabase, "rsActivatingDatabase", "Активиране на базата ..."},
    {rsServerPathNotFound, "rsServerPathNotFound", "Пътят към сървъра не е намерен.\rМоля, в прозореца за регистриране на потребител въведете валиден път към директорията, където е инсталиран Tolvex2000."},
    {rsChooseFolder, "rsChooseFolder", "Изберете директория ..."},
    {rsRestoreSucceeded, "rsRestoreSucceeded", "Възстановяването на данните е извършено успешно."},
    {rsArchiveSucceeded, "rsArchiveSucceeded", "Архивирането на данните е извършено успешно."},
    {rsArchiveWizardIntro, "rsArchiveWizardIntro", "Този помощник ще ви помогле да създадете архивно копие на данните."},
    {rsRestoreWizardIntro, "rsRestoreWizardIntro", "Този помощник ще ви помогне да възстановите данните от архивно копие. Изберете архива, който желаете за възстановите от списъка."},
    {rsNoValidArchives, "rsNoValidArchives", "На указаното устройство/път няма намерени валидни архивни копия."},
    {rsRestoreUnpackFailed, "rsRestoreUnpackFailed", "Възстановяването не е извършено успешно.\rГрешка при разархивиране на файловете."},
    {rsArchivePackFailed, "rsArchivePackFailed", "Архивното копие не е създадено успешно.\rГрешка при архивиране на файловете."},
    {rsArchiveCancelled, "rsArchiveCancelled", "Създаването/възстановяването на архивното копие не е извършено успешно.\rПрекъсване от потребителя."},
    {rsArchiveCreateError, "rsArchiveCreateError", "Грешка при създаване на архивното копие. Моля проверете дали имате права за запис в директорията от която стартирате счетоводната програма."},
    {rsDatabaseFolderError, "rsDatabaseFolderError", "Грешка при определяне на директорията на базата."},
    {rsFloppyNumberSetError, "rsFloppyNumberSetError", "Грешка при установяване поредния номер на дискетата."},
    {rsInsertNextFloppy, "rsInsertNextFloppy", "Моля поставете следващата дискета и натиснете ОК."},
    {rsFileCopyError, "rsFileCopyError", "Грешка при копиране на файловете."},
    {rsTempFilesError, "rsTempFilesError", "Грешка при създаване на временните файлове. Моля проверете дали имате права за запис в директорията от която стартирате счетоводната програма."},

    // Year-end closing
    {rsYearEndDone, "rsYearEndDone", "Годишното приключване завърши успешно."},
    {rsArchiveFolderEmpty, "rsArchiveFolderEmpty", "Въведете папката на архивните копия в полето \"Друг носител:\"."},
    {rsArchiveFolderRelative, "rsArchiveFolderRelative", "Папката \"%s\" в полето \"Друг носител:\" не е пълен път. Въведете пълния път на папката, започващ с \"/\"."},
    {rsRestoreForeignArchive, "rsRestoreForeignArchive", "Възстановяването не е извършено успешно.\rАрхивното копие не е на база данни на програмата:"},
    {rsArchiveTableMissing, "rsArchiveTableMissing", "липсва таблица %s."},
    {rsArchiveColumnsDiffer, "rsArchiveColumnsDiffer", "полетата на таблица %s се различават от тези на програмата."},
    {rsYearEndRunning, "rsYearEndRunning", "Годишното приключване в момента се извършва от друго работно място. Изчакайте го да завърши."},
    {rsYearEndCheckFailed, "rsYearEndCheckFailed", "Годишното приключване не завърши успешно: новата база данни не премина проверката.\r%s"},

    // Printing and preview
    {rsPrintingPages, "rsPrintingPages", "Отпечатване на страниците, моля изчакайте ..."},
    {rsPreparePageFmt, "rsPreparePageFmt", "Моля, подгответе печата за стр. %d и натиснете OK ..."},
    {rsPageOfFmt, "rsPageOfFmt", "стр.: %d / %d"},
    {rsConfirmDeleteSetting, "rsConfirmDeleteSetting", "Желаете ли да изтриете настройка:\r%s"},
    {rsPrinting, "rsPrinting", "Печат ..."},
    {rsPreparingPrint, "rsPreparingPrint", "Подготовка на печата, моля изчакайте ..."},
    {rsPreparingData, "rsPreparingData", "Подготовка на данните, моля изчакайте ..."},
    {rsPreparingPages, "rsPreparingPages", "Подготовка на страниците, моля изчакайте ..."},
    {rsPreparePrintTitle, "rsPreparePrintTitle", "Подготовка на печата"},
    {rsReformattingPages, "rsReformattingPages", "Преформатиране на страниците, моля изчакайте ..."},
    {rsNoPrinter, "rsNoPrinter", "Няма инсталиран принтер!"},
    {rsDefaultSetting, "rsDefaultSetting", "Основна настройка"},
    {rsPageBreakMark, "rsPageBreakMark", "-=: PaGe BrEaK :=-"},
    {rsPageOfFmtCapital, "rsPageOfFmtCapital", "Стр.: %d / %d"},
    {rsPrintDateTimeFormat, "rsPrintDateTimeFormat", "dd\".\"mm\".\"yyyy\" г. / \"hh\":\"nn\":\"ss"},
    {rsPageSizeFmt, "rsPageSizeFmt", "%d mm x %d mm"},
    {rsZoomFmt, "rsZoomFmt", "%d %%"},
    {rsPageNumberFmt, "rsPageNumberFmt", "%d / %d"},

    // Export
    {rsStartingExcel, "rsStartingExcel", "Стартиране на MS Excel 97"},
    {rsTransferToExcel, "rsTransferToExcel", "Прехвърляне на данните към MS Excel 97"},
    {rsStartingWord, "rsStartingWord", "Стартиране на MS Word 97"},
    {rsTransferToWord, "rsTransferToWord", "Прехвърляне на данните към MS Word 97"},
    {rsWritingTextFile, "rsWritingTextFile", "Записване на данните в текстов файл"},
    {rsPleaseWaitSuffix, "rsPleaseWaitSuffix", ", моля изчакайте ..."},
    {rsCheckOfficeFmt, "rsCheckOfficeFmt", "Моля проверете инсталацията на MS Office 97\r\r%s"},
    {rsExcelCommError, "rsExcelCommError", "Грешка в комуникацията с MS Excel 97\r"},
    {rsWordCommError, "rsWordCommError", "Грешка в комуникацията с MS Word 97\r"},
    {rsExportFailed, "rsExportFailed", "  Данните не са прехвърлени успешно!\r\r  Моля, проверете инсталацията на MS Office 97."},
    {rsExportCancelled, "rsExportCancelled", "  Прехвърлянето на данните е прекъснато от потребителя!"},
    {rsExportSucceeded, "rsExportSucceeded", "  Данните са прехвърлени успешно!"},
    {rsExportWizardIntroFmt, "rsExportWizardIntroFmt", "  Този помощник ще стартира %s, ще отвори нов документ и ще прехвърли данните в него. Това може да отнеме известно време, моля изчакайте.\r\r  Изберете Продължение за да започнете прехвърлянето."},

    // Document lines and amounts typed into grids
    {rsNoDocumentLines, "rsNoDocumentLines", "Не са въведени редове на документа."},
    {rsNotANumberFmt, "rsNotANumberFmt", "Стойността \"%s\" за %s не е число!"},
    {rsQueuedLineUnknown, "rsQueuedLineUnknown", "Редът на документа (%d) не е намерен сред промените за запис."},
    // A document, its grammatical pieces after it: "е"/"са", the ending,
    // again, and the pronoun ("го", "я", "ги").
    {rsChangedElsewhere, "rsChangedElsewhere",
     "%s %s променен%s от друго работно място, след като %s зареден%s. Промените не са записани. Натиснете F8, за да %s заредите отново."},
    {rsDeletedElsewhere, "rsDeletedElsewhere",
     "%s %s изтрит%s от друго работно място, след като %s зареден%s. Промените не са записани."},

    // Dialog captions and buttons
    {rsWarningCaption, "rsWarningCaption", "Предупреждение!"},
    {rsErrorCaption, "rsErrorCaption", "Грешка!"},
    {rsInformationCaption, "rsInformationCaption", "Информация!"},
    {rsConfirmationCaption, "rsConfirmationCaption", "Потвърждение!"},
    {rsYesButton, "rsYesButton", "&Да"},
    {rsNoButton, "rsNoButton", "&Не"},
    {rsOkButton, "rsOkButton", "OK"},
    {rsCancelButton, "rsCancelButton", "Отказ"},
    {rsRetryButton, "rsRetryButton", "Отново"},
    {rsIgnoreButton, "rsIgnoreButton", "&Игнориране"},
    {rsAllButton, "rsAllButton", "&Всички"},
    {rsNoToAllButton, "rsNoToAllButton", "Не за всички"},
    {rsYesToAllButton, "rsYesToAllButton", "Да за всички"},
    {rsHelpButton, "rsHelpButton", "&Help"},
    {rsContinueButton, "rsContinueButton", "Продължи"},

    // Master-data editors
    {rsRowChangedElsewhere, "rsRowChangedElsewhere",
     "Редът %s е променен или изтрит от друго работно място. Натиснете F8 и въведете промяната отново."},
    {rsCodeTakenElsewhere, "rsCodeTakenElsewhere",
     "Шифър \"%s\" е зает от друго работно място! Редът %s получи следващия свободен шифър; натиснете F2, за да го запишете."},
    {rsCodeInUse, "rsCodeInUse", "Шифър \"%s\" не може да бъде изтрит: използва се в %s!"},
    {rsUsedCodeNotChanged, "rsUsedCodeNotChanged", "Шифър \"%s\" не може да бъде променен: използва се в %s!"},
    {rsWholeCodeOnly, "rsWholeCodeOnly", "Шифърът трябва да е цяло число!"},
    {rsCommitRowInEdit, "rsCommitRowInEdit", "Редът в редакция не е добавен! Желаете ли да го добавите?"},
    {rsKeyTakenElsewhere, "rsKeyTakenElsewhere",
     "\"%s\" е записан от друго работно място! Редактирайте реда (F3) и натиснете F2."},
};
// clang-format on

} // namespace

const std::vector<TMessageText> &MessageTextCatalogue()
{
    static const std::vector<TMessageText> catalogue = [] {
        std::vector<TMessageText> all;
        all.reserve(std::size(kRows));
        for (const Row &row : kRows)
            all.push_back({row.number, row.name, QString::fromUtf8(row.text)});
        return all;
    }();
    return catalogue;
}

QString LoadResString(int Number)
{
    static const QHash<int, QString> byNumber = [] {
        QHash<int, QString> map;
        for (const TMessageText &entry : MessageTextCatalogue())
            map.insert(entry.Number, entry.Text);
        return map;
    }();
    return byNumber.value(Number);
}
