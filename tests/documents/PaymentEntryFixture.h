#pragma once
// What the tests of the payment windows do with the grid: read a row's
// cells and type an amount into the amount column as the operator does.
#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QStringList>
#include <QTest>

#include "components/ListEdit.h"
#include "components/ListForm.h"
#include "components/QuorendDateEdit.h"
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

// A typed amount is unsaved work: F8, Esc and a change of the period (set,
// picked from the calendar, typed and confirmed with Enter) or of the party
// (picked from its list) ask "Данните не са записани!..." once each; Cancel
// keeps the amount, the window, the period (black: a valid date) and the
// party with its name. F8 answered No reads the documents again, the amount
// proposed back in the row.
inline void ExpectTypedAmountAsked(TPaymentEntryForm &Form, int Row, TListEdit &Party)
{
    ScopedDialogAnswers dialogs;
    const QString proposed = Form.Grid->Cells(Form.ToPayColumn(), Row);
    auto *from = static_cast<TQuorendDatePicker *>(Form.dtp_From);
    const auto shown = [&] {
        QWidget *name = Party.DescrControl();
        return QStringList{from->text(), from->date().toString(), Party.text(),
                           name ? name->property("text").toString() : QString(),
                           Form.Grid->Cells(Form.ToPayColumn(), Row),
                           from->findChild<QLineEdit *>()->palette().color(QPalette::Text).name()};
    };
    TypePaymentAmount(Form, Row, QStringLiteral("7"));
    const QStringList kept = shown();
    const std::vector<std::function<void()>> leaves = {
        [&] { Form.actExecute->trigger(); }, [&] { Form.actExit->trigger(); },
        [&] { from->setDate(from->date().addDays(-1)); },
        [&] {
            // As a click on a day: the calendar's selection moves, the day is clicked.
            QTest::mouseClick(from, Qt::LeftButton, {}, QPoint(from->width() - 6, from->height() / 2));
            from->calendarWidget()->setSelectedDate(from->date().addDays(-2));
            emit from->calendarWidget()->clicked(from->date().addDays(-2));
        },
        [&] {
            from->setFocus();
            QTest::keyClick(from, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(from, QString::number(from->date().day() == 1 ? 2 : 1));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        },
        [&] {
            Party.DropDown();
            TRichGrid *list = Party.ListForm()->Grid();
            list->SetRow(list->Cells(0, list->FixedRows()) == Party.text() ? list->FixedRows() + 1 : list->FixedRows());
            QTest::keyClick(list, Qt::Key_Return);
        }};
    for (const auto &leave : leaves) {
        dialogs.Press(mbCancel);
        leave();
        EXPECT_EQ(dialogs.Texts().size(), &leave - &leaves[0] + 1);
        EXPECT_TRUE(Form.isVisible());
        EXPECT_EQ(shown(), kept);
    }
    dialogs.Press(mbNo);
    Form.actExecute->trigger();
    EXPECT_EQ(Form.Grid->Cells(Form.ToPayColumn(), Row), proposed);
    EXPECT_FALSE(Form.Modified());
    EXPECT_EQ(dialogs.Texts().count(QStringLiteral("Данните не са записани!\rЖелаете ли да ги запишете?")), 7)
        << dialogs.Texts().join(QStringLiteral(" | ")).toStdString();
}

} // namespace testsupport
