#pragma once
// What the tests of the payment windows do with the grid: read a row's
// cells and type an amount into the amount column as the operator does.
#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include "components/RichGrid.h"
#include "documents/PaymentEntryForm.h"

namespace testsupport {

// Every cell of a grid row.
inline QStringList PaymentGridRow(const TPaymentEntryForm &Form, int Row)
{
    QStringList cells;
    for (int c = 0; c < Form.Grid->ColCount(); ++c)
        cells << Form.Grid->Cells(c, Row);
    return cells;
}

// Types into the amount cell of a grid row: into the cell editor when it is
// open, else at the grid, which opens it on an editable cell.
inline void TypePaymentAmount(TPaymentEntryForm &Form, int Row, const QString &Keys)
{
    Form.Grid->setFocus();
    Form.Grid->SetCol(Form.ToPayColumn());
    Form.Grid->SetRow(Row);
    QWidget *editor = Form.Grid->InplaceEditor();
    QTest::keyClicks(editor && editor->isVisible() ? editor : static_cast<QWidget *>(Form.Grid), Keys);
}

} // namespace testsupport
