#pragma once
// The editor of the products (table Izdelia): code, name, group, subgroup,
// unit of measure and the five list prices, queued and saved as the
// code-and-name editor.
//
// The grid shows the unit's name; the unit's code stays in a hidden column
// beside it, so that a row taken back into the editors keeps its own unit
// even where two units share one name.
#include "masterdata/unSimple_Nomenklatura.h"

#include <array>

class QLabel;
class TListEdit;

class TfrmIzdelia : public TfrmSimple_Nomenklatura
{
    Q_OBJECT
public:
    explicit TfrmIzdelia(QWidget *AOwner = nullptr, TFormStyle AFormStyle = fsMDIChild);

    // The three pickers filled, their texts restored from the registry.
    bool InitForm() override;
    // Their texts kept in the registry.
    bool FormDone() override;

    // The grid's columns: 0-11 as shown, the unit's code hidden last.
    enum { colCode, colName, colGroup, colGroupName, colSubGroup, colSubGroupName, colUnitName, colPrice1,
           colUnitCode = colPrice1 + 5, ColumnCount };

    QLabel *lblGroup = nullptr;
    TListEdit *leGroup = nullptr;
    QLabel *pnl_Group = nullptr;
    QLabel *lblSubGroup = nullptr;
    TListEdit *leSubGroup = nullptr;
    QLabel *pnl_SubGroup = nullptr;
    QLabel *lblMjarka = nullptr;
    TListEdit *leMjarka = nullptr;
    QLabel *pnlMjarka = nullptr;
    std::array<QLabel *, 5> lblPrice{};
    std::array<TFloatEdit *, 5> edPrice{};

protected:
    // Each product with the names of its group, subgroup and unit.
    bool FetchRows(TDelimitedStringList &Rows) override;
    QString ValidateEditors() override;
    QStringList EditorRow() override;
    void LoadEditors(const QStringList &Row) override;
    QList<TColumnValue> EditorColumns() override;

private:
    TListEdit *MakePicker(const QString &Name, const QString &Caption, QLabel *&Label, QLabel *&Panel,
                          const QString &PanelName);
    // The code a picker holds; 0 when its text is no code of its list.
    static int PickedCode(TListEdit *Edit);
    // The name of the picked code ("" when it is none of the list).
    static QString PickedName(TListEdit *Edit);
    // The value of price editor I (0-4).
    long double Price(int I) const;
};
