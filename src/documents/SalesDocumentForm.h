#pragma once
// The base of the windows that sell products to one site of a customer line
// by line: the goods receipt and the invoice (with its notices). It holds
// what the two have alike: the number bar, the customer, site, product and
// payment controls, the lines grid with its discount or markup per line,
// the product list of the customer's price list, loading an opened document,
// the one shared save (numbered from the workstation's counter, replacing
// the rows of an opened document), printing after the save, and the rule of
// one open window of a kind. A window adds its own controls, its list of
// products, its header and line statements and its totals.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

#include "core/uDelimitedStrings.h"
#include "core/uFormClasses.h"
#include "framework/DocumentSave.h"
#include "framework/QuorendForm.h"

class Exception;
class QCheckBox;
class QDate;
class QDateEdit;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QTabWidget;
class QVBoxLayout;
class TFloatEdit;
class TListEdit;
class TRichGrid;

// What tells one kind of sales document from another.
struct TSalesDocumentKind
{
    const char *FormName;
    int Counter;                                // this workstation's Nas setting of the last number
    QString (*NumberText)(long double Number);  // the number as the window shows and the counter keeps it
    const char *ExistsHeaderSql;                // %f: the number
    const char *ExistsRowsSql;
    const char *HeaderTable;                    // where a new number must be free:
    const char *RowsTable;                      // the header's and the lines' tables,
    const char *NumberColumn;                   // by their column of the number
    const char *DeleteRowsSql;
    const char *DeleteHeaderSql;
    const char *SitesSql;                       // %d: the customer; code and name of its sites
    bool ProposesLastSite;                      // the site proposed is the last listed, else the first
    bool (*Load)(QObject *Owner, long double Number, TDelimitedStringList &Header, TDelimitedStringList &Lines);
    bool (*Print)(QWidget *Owner, long double Number);
};

class TSalesDocumentForm : public TQuorendForm
{
    Q_OBJECT
public:
    TSalesDocumentForm(const TSalesDocumentKind &Kind, QWidget *AOwner, TFormStyle AFormStyle);
    ~TSalesDocumentForm() override;

    // Set before the form is shown: a new document, or an opened one whose
    // number stands in pnlDocNo.
    bool IsNew = true;

    // --- controls
    QLabel *pnlDocNo = nullptr;
    QLabel *panelDateOfDoc = nullptr;
    QTabWidget *pcMain = nullptr;
    QWidget *tabCustomer = nullptr;
    QWidget *tabGoods = nullptr;
    QWidget *tabPayment = nullptr;
    TListEdit *leCustomer = nullptr;
    QLabel *panelCustomer = nullptr;
    TListEdit *leObject = nullptr;
    QLabel *PanelObject = nullptr;
    TListEdit *leIzdelie = nullptr;
    QLabel *panel_Izdelie = nullptr;
    TFloatEdit *edAmount = nullptr;
    QLabel *labMeasure = nullptr;
    TFloatEdit *edPrice = nullptr;
    QCheckBox *cbDiscount = nullptr;
    QCheckBox *cbOverValue = nullptr;
    TFloatEdit *edDiscountPerc = nullptr;
    TFloatEdit *edDiscountedPriceLeva = nullptr;
    TFloatEdit *edValue = nullptr;
    QLabel *labTotal = nullptr;
    TRichGrid *GridGoods = nullptr;
    QCheckBox *cb_Is_paid = nullptr;
    QDateEdit *dtp_Paid_on = nullptr;

    // --- state
    bool LineInEdit() const { return FLineInEdit; }
    int PriceList() const { return FPriceList; }
    // The number in pnlDocNo.
    long double DocumentNumber() const;
    // The number the last successful save wrote.
    long double SavedNumber() const { return FSavedNumber; }

    // --- hooks
    bool InitForm() override;
    bool FormDone() override;
    bool BeforeShow() override;
    // F2 first puts a line in edit back as F4 would; a line the checks
    // refuse stops the save.
    bool CanSave() override;
    bool DoSave() override;
    bool DoEdit() override;
    bool DoNew() override;
    bool DoDelete() override;
    bool DoPrint() override;
    // F8 reads an opened document again as it is stored now (unsaved
    // changes are asked about first): after a save refused because another
    // workstation changed the document.
    bool DoExecute() override;
    void UpdateActions() override;

    // --- handlers
    void leCustomerChange();
    void leIzdelieChange();
    void cbDiscountClick();
    void cbOverValueClick();
    void edDiscountPercChange();
    void RecalculateValue();
    void cb_Is_paidClick();
    // The products of the customer's price list, as the window lists them.
    void LoadProductList();
    // Numbers the lines and sums their values into the totals.
    void CalculateTotals();

    // The discounted or marked-up price: percent in [0, 100) changes the
    // price (rounded to 4 decimals), any other percent leaves it.
    static long double AdjustedPrice(long double Price, long double Percent, bool Discount, bool Markup);

    // Makes and shows the one window of a kind, maximized; false (with the
    // message) when one is open already (Open) or the window could not be
    // made. Make creates the form.
    static bool OpenWindow(TSalesDocumentForm *Open, const std::function<TSalesDocumentForm *()> &Make, bool New,
                           long double Number);

protected:
    // Grid columns.
    enum { colNo, colCode, colName, colUnit, colStore, colQuantity, colPrice, colPercent, colDiscPrice, colValue };
    static constexpr int kColCount = 10;
    static constexpr int kFixedRows = 2;

    // --- building, in the order the window lays its controls
    // The number bar; Extra adds the window's own fields after the date.
    void AddNumberBar(const std::function<void(QWidget *Bar, QHBoxLayout *Layout)> &Extra = {});
    // The tabs and the customer tab with its customer and site rows; the
    // window adds its own rows to the layout returned.
    QGridLayout *AddCustomerTab(const QString &CustomerCaption);
    // The line editors (product, quantity, price, discount, value) as
    // children of Parent, laid from row First of Layout.
    void AddLineEditors(QWidget *Parent, QGridLayout *Layout, int First, const QString &PriceCaption);
    // The goods tab; the window lays its editors and grid in the layout.
    QVBoxLayout *AddGoodsTab();
    void AddGrid(QVBoxLayout *Layout);
    // The payment tab with its paid switch and date at row PaidRow; the
    // window's own controls may be made first with Before.
    QGridLayout *AddPaymentTab(int PaidRow, const std::function<void(QWidget *Tab)> &Before = {});
    // Each code edit shows the name of its code in its panel; the handlers
    // of the shared controls.
    void ConnectControls(std::initializer_list<std::pair<TListEdit *, QLabel *>> Described);

    // --- pieces the windows call
    // The window's title, and its caption in capitals.
    void SetTitle(const QString &Title);
    void SetupGridHeader(const QStringList &Row0, const QStringList &Row1);
    // The date of a stored date text; false when it is none.
    static bool StoredDate(const QString &Text, QDate &Date);
    void SetEditText(QLineEdit *Edit, const QString &Text);
    void SetCaptionColor(unsigned Color);
    void SetDocNumber(long double Number);
    QString NumberText(long double Number) const { return FKind.NumberText(Number); }
    int DataLineCount() const;
    // This workstation's counter + 1.
    long double CounterProposal();
    // A new document shows the first number from From on that no stored
    // document holds, the number its save will take unless another
    // workstation takes it first (the save then says which it took).
    void ProposeFreeNumber(long double From);
    // The messages of a missing number, customer and site.
    QString NumberProblem() const;
    QString CustomerAndSiteProblems() const;
    // The remembered text of an edit of this window ("" when none).
    QString Remembered(const QLineEdit *Edit) const;
    void Remember(const QLineEdit *Edit) const;
    // Mode 0 lines: each line's discounted price and value from its typed cells.
    void RecalculateLines();
    // A line of the opened document whose typed cells are as stored gets
    // its stored cells back; false for any other line.
    bool KeepStoredLine(int Row);
    // Whether the grid holds the opened document's lines exactly as stored
    // (in any order).
    bool LinesAsStored() const;
    // The grid records of stored lines (number, code, name, unit, store,
    // then the stored fields 2 to 6); a name or unit that cannot be read
    // stays empty.
    QStringList GridRecordsOf(const TDelimitedStrings &Lines);
    void ShowDatabaseError(const Exception &E, const QString &Sql = QString());
    // The grid shows Records (when there are any).
    void FillGrid(const QStringList &Records);

    // --- what a window adds
    // Captions, grid header and anything set when the window is made.
    virtual void InitWindow() = 0;
    // The lists read after the customers and the number (groups, VAT,
    // products, payments).
    virtual void LoadLists() = 0;
    // Before a document is shown: false ends the showing.
    virtual bool BeforeDocument() { return true; }
    // After a new or an opened document was shown.
    virtual void AfterDocument() {}
    // An opened document's own header fields and lines.
    virtual void ShowStored(const TDelimitedStrings &Header, const QStringList &Records) = 0;
    // The text of the product list's query.
    virtual QString ProductListSql() const = 0;
    // The price of the product list's price text.
    virtual long double ListPrice(const QString &Text) const;
    // Whether the operator types lines through the editors.
    virtual bool LinesTyped() const { return true; }
    // Before a line is taken back into the editors.
    virtual void BeforeLineEdit() {}
    // The derived cells are recomputed before the save.
    virtual void PrepareLines() { RecalculateLines(); }
    // The header's and the lines' statements.
    virtual void AddStatements(TDocumentSave &Save) = 0;
    // The sum of the lines, numbering them.
    virtual long double LinesTotal();
    virtual void ShowTotal(long double Total) = 0;
    // After the window was shown by OpenWindow.
    virtual void AfterShown() {}
    // The gender of the window's title, which names the document in the
    // message of a save another workstation's change refuses.
    virtual TNounGender TitleGender() const { return ngFeminine; }

    bool FLineInEdit = false;
    bool FRecalculating = false;
    bool FSavingForPrint = false;
    int FPriceList = 1;
    long double FSavedNumber = 0;
    // The number proposed when it was found free, else 0 (see
    // TDocumentSave::FoundFree).
    long double FFoundFree = 0;

    TDelimitedStringList FCustomers;
    TDelimitedStringList FObjects;
    TDelimitedStringList FProducts;
    // The opened document's lines as loaded, by product code.
    std::map<QString, QStringList> FStoredLines;
    // The opened document's header and lines as stored when loaded.
    TLoadedRows FLoaded;

private:
    // The columns whose rows take a number.
    std::vector<TNumberColumn> NumberColumns() const;
    void ApplyDiscountSwitches();
    bool LineValidation();
    void RemoveLine(int Row);
    bool LoadDocument();

    const TSalesDocumentKind &FKind;
};

// The window of type T open now: the one remembered, else one under the
// main window.
template <class T> T *FindSalesWindow(const QPointer<T> &Remembered)
{
    if (Remembered)
        return Remembered;
    if (QWidget *main = MainFormWidget())
        return main->findChild<T *>();
    return nullptr;
}
