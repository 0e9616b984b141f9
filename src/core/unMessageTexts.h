#pragma once
// The program's message texts: one string table, each text under its
// number. Where the program refers to a text by number, that number is the
// one below (65000-65535); texts it only ever quotes carry numbers of our
// own from 66001 up, clear of that range. Texts holding '%' are format
// texts that the caller fills; a dialog never formats a text itself.
#include <QString>
#include <vector>

// Database and general
constexpr int rsDatabaseError = 65230;
constexpr int rsDatabaseErrorFmt = 66001;
constexpr int rsErrorBoxCaption = 66002;
constexpr int rsInitializing = 66003;
constexpr int rsSorting = 66004;
constexpr int rsDataNotSaved = 66005;
constexpr int rsTimeFormat = 65072;
constexpr int rsLineBreak = 66006;
constexpr int rsCodeNameCaptions = 65073;
constexpr int rsSortAndHide = 66007;
constexpr int rsDatabaseCloseError = 66008;
constexpr int rsDatabaseOpenError = 66009;

// Master data validation
constexpr int rsEnterCode = 65088;
constexpr int rsEnterUnit = 65089;
constexpr int rsProductNoun = 65090;
constexpr int rsEnterGroup = 65091;
constexpr int rsEnterSubgroup = 65092;
constexpr int rsBulstatExists = 65093;
constexpr int rsEnterResource = 65094;
constexpr int rsEnterProduct = 65095;
constexpr int rsEnterName = 65127;
constexpr int rsCodeExists = 65128;
constexpr int rsNameExists = 65129;
constexpr int rsConfirmDelete = 65130;
constexpr int rsOneRowInEdit = 65135;
constexpr int rsEnterValidEik = 65124;
constexpr int rsEnterPrice = 66010;
// Price and cost matrices
constexpr int rsCellChangedElsewhere = 67200;

// Documents and their printouts
constexpr int rsTaxBase = 65096;
constexpr int rsVatCharged = 65097;
constexpr int rsTotalValue = 65098;
constexpr int rsPaymentMethod = 65100;
constexpr int rsChooseDocType = 65101;
constexpr int rsEnterCustomer = 65104;
constexpr int rsChoosePayment = 65105;
constexpr int rsEnterQuantity = 65106;
constexpr int rsNoticeWithoutInvoice = 65107;
constexpr int rsEikLabel = 65108;
constexpr int rsTotalMustBePositive = 65109;
constexpr int rsTotalMustBeNegative = 65110;
constexpr int rsPrintCreatedDocuments = 65112;
constexpr int rsMissingUnit = 65113;
constexpr int rsRecipient = 65114;
constexpr int rsSupplierFmt = 65115;
constexpr int rsTownPrefix = 65116;
constexpr int rsVatEikLabel = 65117;
constexpr int rsMolLabel = 65118;
constexpr int rsPhoneLabel = 65119;
constexpr int rsInvoice = 65120;
constexpr int rsWrongYear = 66011;
constexpr int rsTotal = 66012;
constexpr int rsOriginal = 65123;
constexpr int rsNotice = 65131;
constexpr int rsNumberDateCounterpartyCaptions = 65132;
constexpr int rsNewLabel = 65133;
constexpr int rsDifferenceLabel = 65134;
constexpr int rsHandedOver = 65147;
constexpr int rsReceived = 65148;
constexpr int rsRowNotDocument = 66013;
constexpr int rsProductAlreadyOrdered = 65150;
constexpr int rsDocumentExists = 65151;
constexpr int rsPlaceOfDeal = 65177;
constexpr int rsOneNewDocumentOnly = 65178;
constexpr int rsDateLabel = 66014;
constexpr int rsManager = 66015;
constexpr int rsChiefAccountant = 66016;
constexpr int rsCompanyRegistrationFmt = 66017;
constexpr int rsNdrNumberFmt = 66018;
constexpr int rsBulstatFmt = 66019;
// Sales documents: a line's percent, a paid receipt the drivers' sheet
// would change, a document a list was to pay that another workstation paid
// or deleted.
constexpr int rsPercentOutOfRange = 67500;
constexpr int rsPaidReceiptUnchanged = 67501;
constexpr int rsPaidElsewhere = 67502;
// The footer printed under documents, before the print date and time; its
// wording is ours.
constexpr int rsPrintFooter = 65099;

// Workstation and company settings
constexpr int rsUpdateRowError = 66020;

// Archive and restore
constexpr int rsFloppyNumberReadError = 66021;
constexpr int rsRestoreReadingData = 66022;
constexpr int rsArchiveInProgress = 66023;
constexpr int rsFloppyTransferWarning = 66024;
constexpr int rsCompressing = 66025;
constexpr int rsTransferring = 66026;
constexpr int rsDecompressing = 66027;
constexpr int rsRestoringData = 66028;
constexpr int rsFetchingData = 66029;
constexpr int rsRestoreFromTitle = 66030;
constexpr int rsArchiveToTitle = 66031;
constexpr int rsErasingFloppy = 66032;
constexpr int rsDeactivatingDatabase = 66033;
constexpr int rsActivatingDatabase = 66034;
constexpr int rsServerPathNotFound = 66035;
constexpr int rsChooseFolder = 66036;
constexpr int rsRestoreSucceeded = 66037;
constexpr int rsArchiveSucceeded = 66038;
constexpr int rsArchiveWizardIntro = 66039;
constexpr int rsRestoreWizardIntro = 66040;
constexpr int rsNoValidArchives = 66041;
constexpr int rsRestoreUnpackFailed = 66042;
constexpr int rsArchivePackFailed = 66043;
constexpr int rsArchiveCancelled = 66044;
constexpr int rsArchiveCreateError = 66045;
constexpr int rsDatabaseFolderError = 66046;
constexpr int rsFloppyNumberSetError = 66047;
constexpr int rsInsertNextFloppy = 66048;
constexpr int rsFileCopyError = 66049;
constexpr int rsTempFilesError = 66050;

// Year-end closing
constexpr int rsYearEndDone = 66051;

// Archive, restore and year-end closing: refusals and checks
constexpr int rsArchiveFolderEmpty = 67400;
constexpr int rsArchiveFolderRelative = 67401;
constexpr int rsRestoreForeignArchive = 67402;
constexpr int rsArchiveTableMissing = 67403;
constexpr int rsArchiveColumnsDiffer = 67404;
constexpr int rsYearEndRunning = 67405;
constexpr int rsYearEndCheckFailed = 67406;

// Printing and preview
constexpr int rsPrintingPages = 66052;
constexpr int rsPreparePageFmt = 66053;
constexpr int rsPageOfFmt = 66054;
constexpr int rsConfirmDeleteSetting = 66055;
constexpr int rsPrinting = 66056;
constexpr int rsPreparingPrint = 66057;
constexpr int rsPreparingData = 66058;
constexpr int rsPreparingPages = 66059;
constexpr int rsPreparePrintTitle = 66060;
constexpr int rsReformattingPages = 66061;
constexpr int rsNoPrinter = 66062;
constexpr int rsDefaultSetting = 66063;
constexpr int rsPageBreakMark = 66064;
constexpr int rsPageOfFmtCapital = 66065;
constexpr int rsPrintDateTimeFormat = 66066;
constexpr int rsPageSizeFmt = 66067;
constexpr int rsZoomFmt = 66068;
constexpr int rsPageNumberFmt = 66069;

// Export
constexpr int rsStartingExcel = 66070;
constexpr int rsTransferToExcel = 66071;
constexpr int rsStartingWord = 66072;
constexpr int rsTransferToWord = 66073;
constexpr int rsWritingTextFile = 66074;
constexpr int rsPleaseWaitSuffix = 66075;
constexpr int rsCheckOfficeFmt = 66076;
constexpr int rsExcelCommError = 66077;
constexpr int rsWordCommError = 66078;
constexpr int rsExportFailed = 66079;
constexpr int rsExportCancelled = 66080;
constexpr int rsExportSucceeded = 66081;
constexpr int rsExportWizardIntroFmt = 66082;

// Document lines and amounts typed into grids
constexpr int rsNoDocumentLines = 67600;
constexpr int rsNotANumberFmt = 67601;
constexpr int rsQueuedLineUnknown = 67602;
constexpr int rsChangedElsewhere = 67603;
constexpr int rsDeletedElsewhere = 67604;

// Dialog captions and buttons
constexpr int rsWarningCaption = 66083;
constexpr int rsErrorCaption = 66084;
constexpr int rsInformationCaption = 66085;
constexpr int rsConfirmationCaption = 66086;
constexpr int rsYesButton = 66087;
constexpr int rsNoButton = 66088;
constexpr int rsOkButton = 66089;
constexpr int rsCancelButton = 66090;
constexpr int rsRetryButton = 66091;
constexpr int rsIgnoreButton = 66092;
constexpr int rsAllButton = 66093;
constexpr int rsNoToAllButton = 66094;
constexpr int rsYesToAllButton = 66095;
constexpr int rsHelpButton = 66096;
constexpr int rsContinueButton = 66097;

// Master-data editors
constexpr int rsRowChangedElsewhere = 67100;
constexpr int rsCodeTakenElsewhere = 67101;
constexpr int rsCodeInUse = 67102;
constexpr int rsWholeCodeOnly = 67103;
constexpr int rsCommitRowInEdit = 67104;
constexpr int rsKeyTakenElsewhere = 67105;
constexpr int rsUsedCodeNotChanged = 67106;

struct TMessageText
{
    int Number;
    const char *Name;   // the constant's name, for messages about the table
    QString Text;
};

// The text of the given number; "" for a number the table does not hold,
// as loading a missing resource string gave.
QString LoadResString(int Number);

// Every text of the table, in the order above.
const std::vector<TMessageText> &MessageTextCatalogue();
