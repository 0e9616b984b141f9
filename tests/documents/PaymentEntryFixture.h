#pragma once
// What the tests of the payment windows do with the grid: read a row's
// cells and type an amount into the amount column as the operator does.
#include <QDateEdit>
#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include "components/RichGrid.h"
#include "documents/PaymentEntryForm.h"
#include "support/ScopedDialogAnswers.h"

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

// A typed amount is unsaved work: F8, Esc and a change of the period ask
// "Данните не са записани!..." before it is lost, and Cancel keeps the
// amount, the window and the period; F8 answered No reads the documents
// again, the amount proposed back in the row.
inline void ExpectTypedAmountAsked(TPaymentEntryForm &Form, int Row)
{
    ScopedDialogAnswers dialogs;
    const QString proposed = Form.Grid->Cells(Form.ToPayColumn(), Row);
    const QDate from = Form.dtp_From->date();
    TypePaymentAmount(Form, Row, QStringLiteral("7"));
    EXPECT_TRUE(Form.Modified());
    dialogs.Press(mbCancel).Press(mbCancel).Press(mbCancel).Press(mbNo);
    Form.actExecute->trigger();
    Form.actExit->trigger();
    Form.dtp_From->setDate(from.addDays(-1));
    EXPECT_TRUE(Form.isVisible());
    EXPECT_EQ(Form.dtp_From->date(), from);
    EXPECT_EQ(Form.Grid->Cells(Form.ToPayColumn(), Row), QStringLiteral("7"));
    Form.actExecute->trigger();
    EXPECT_EQ(Form.Grid->Cells(Form.ToPayColumn(), Row), proposed);
    EXPECT_FALSE(Form.Modified());
    EXPECT_EQ(dialogs.Texts().count(QStringLiteral("Данните не са записани!\rЖелаете ли да ги запишете?")), 4)
        << dialogs.Texts().join(QStringLiteral(" | ")).toStdString();
}

} // namespace testsupport
