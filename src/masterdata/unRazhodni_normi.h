#pragma once
// The consumption norms (table Razhodni_normi): for one product, the
// quantity of each resource used per unit of product, to four decimals.
// The key has two parts, product and resource; the rows are queued and
// saved as in the code-and-name editor.
#include "masterdata/unSimple_Nomenklatura.h"

class QLabel;
class TFloatEdit;
class TListEdit;

class TfrmRazhodni_normi : public TfrmSimple_Nomenklatura
{
    Q_OBJECT
public:
    explicit TfrmRazhodni_normi(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    // The product and resource lists, and the product and resource last
    // chosen.
    bool InitForm() override;
    // The chosen product and resource are remembered.
    bool FormDone() override;
    bool BeforeShow() override;
    // The norms of the chosen product.
    bool DoExecute() override;
    // " за изделие <code> - <name> " when a product is chosen.
    QString GetSubTitle() override;

    // The product edit's text changed: its unit shows, and the grid shows
    // the norms of the product (so that a resource already in it is
    // refused), or nothing while no product is chosen. A norm in edit is
    // committed first to the product it belongs to; when it cannot be (its
    // editors are refused), the product goes back and the edit stays.
    void ProductChanged();
    void ResourceChanged();
    // The product's code while the edit names a product of the list, else 0.
    int ProductCode() const;
    int ResourceCode() const;

    QLabel *lblIzdelie = nullptr;
    TListEdit *leIzdelie = nullptr;
    QLabel *lblIzdelieName = nullptr;
    QLabel *lblIzdelieUnit = nullptr;
    QLabel *lblResurs = nullptr;
    TListEdit *leResurs = nullptr;
    QLabel *lblResursName = nullptr;
    QLabel *lblResursUnit = nullptr;
    QLabel *lblKolichestvo = nullptr;
    TFloatEdit *feKolichestvo = nullptr;

protected:
    QString SelectSql() override;
    bool ProposeCode() override;
    QString ValidateEditors() override;
    QString EditorKey() override;
    QString RowKey(const QStringList &Row) override;
    QStringList EditorRow() override;
    void LoadEditors(const QStringList &Row) override;
    QString InsertSql() override;
    QString UpdateSql(const QString &OriginalKey) override;
    QString DeleteSql(const QString &OriginalKey) override;
    QString DeleteQuestion(const QStringList &Row) override;
    void AfterCommit(bool WasEdit) override;

private:
    // Column Col of the list row whose code is the edit's text ("" when
    // none).
    static QString Lookup(TListEdit *Edit, int Col);

    // The product a row is committed to: the one chosen, or while a norm
    // in edit is ended by a change of product, the norm's own.
    int EditedProduct() const;
    // Ends the edit of a norm of the loaded product; false when it was
    // refused (the editors' messages shown).
    bool CommitEditToLoadedProduct();

    // The product whose norms the grid shows.
    int FLoadedProduct = 0;
    // While the product edit goes back to the loaded product.
    bool FRestoringProduct = false;
    // Set while an edit is committed to its own product.
    int FCommitProduct = 0;
};
