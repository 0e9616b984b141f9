// The period edit and its drop-down form: the period texts, stepping, the
// visible types, picking months with the mouse and the refused Oks.
#include <QApplication>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "components/BtnEdit.h"
#include "components/PeriodEdit.h"
#include "components/PeriodForm.h"
#include "components/QuorendDateEdit.h"
#include "platform/Exception.h"
#include "support/ScopedDialogAnswers.h"

namespace {

class PeriodEditGui : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previousBeep = SetBeepHandler([this](TBeepKind) { ++beeps; });
        window = std::make_unique<QWidget>();
        window->resize(300, 100);
        edit = new TPeriodEdit(window.get());
        edit->setObjectName(QStringLiteral("edPeriod"));
        edit->setGeometry(10, 10, 200, 24);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        SetBeepHandler(previousBeep);
    }
    // Opens the form from the edit as its button does.
    TPeriodDropForm *Drop()
    {
        edit->DropDown();
        TPeriodDropForm *form = edit->PeriodForm();
        EXPECT_TRUE(form->isVisible());
        return form;
    }
    void ClickMonth(TPeriodDropForm *form, int Month, Qt::KeyboardModifiers Keys)
    {
        QListWidget *list = form->lbMonths;
        const QPoint p = list->visualItemRect(list->item(Month - 1)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Keys, p);
        QCoreApplication::processEvents();
    }
    QList<int> Selected(TPeriodDropForm *form)
    {
        QList<int> months;
        for (int i = 0; i < 12; ++i)
            if (form->lbMonths->item(i)->isSelected())
                months << i + 1;
        return months;
    }

    std::unique_ptr<QWidget> window;
    TPeriodEdit *edit = nullptr;
    int beeps = 0;
    TBeepHandler previousBeep;
};

} // namespace

TEST(PeriodTexts, SetterKeepsOnlyWellFormedVisiblePeriods)
{
    TPeriodEdit edit;
    edit.SetPeriod(QStringLiteral("1@3"));
    EXPECT_EQ(edit.Period(), "1@3");
    EXPECT_FALSE(edit.text().isEmpty());
    edit.SetPeriod(QStringLiteral("2@1"));
    EXPECT_EQ(edit.Period(), "1@1") << "a quarter is not among the default types";
    edit.SetPeriod(QStringLiteral("7@1"));
    EXPECT_EQ(edit.Period(), "");
    EXPECT_EQ(edit.text(), "");
    edit.SetPeriod(QStringLiteral("1-3"));
    EXPECT_EQ(edit.Period(), "");
    edit.SetPeriod(QStringLiteral("6@@"));
    EXPECT_EQ(edit.Period(), "6@1@1");
    edit.SetPeriod(QStringLiteral("5@20240105@20240210"));
    EXPECT_EQ(edit.Period(), "5@20240105@20240210");

    edit.SetVisiblePeriodTypes({ptRange});
    edit.SetPeriod(QStringLiteral("1@4"));
    EXPECT_EQ(edit.Period(), DefaultPeriodText(ptRange));
    edit.SetVisiblePeriodTypes({});
    edit.SetPeriod(QStringLiteral("1@4"));
    EXPECT_EQ(edit.Period(), "");

    const QDate today = QDate::currentDate();
    EXPECT_EQ(DefaultPeriodText(ptRange),
              QStringLiteral("5@%1@%2")
                  .arg(QDate(today.year(), today.month(), 1).toString("yyyyMMdd"),
                       QDate(today.year(), today.month(), today.daysInMonth()).toString("yyyyMMdd")));
    EXPECT_EQ(DefaultPeriodText(ptMonthWAccumulate), "4@1");
}

TEST(PeriodTexts, StepsStopAtTheirEnds)
{
    TPeriodEdit edit;
    edit.SetVisiblePeriodTypes({ptMonth, ptQuarter, ptHalfYear, ptMonthWAccumulate, ptRange, ptMonthRange});
    edit.SetPeriod(QStringLiteral("1@12"));
    edit.UpClick();
    EXPECT_EQ(edit.Period(), "1@12");
    edit.DownClick();
    EXPECT_EQ(edit.Period(), "1@11");
    edit.SetPeriod(QStringLiteral("2@1"));
    edit.DownClick();
    EXPECT_EQ(edit.Period(), "2@1");
    edit.SetPeriod(QStringLiteral("2@4"));
    edit.UpClick();
    EXPECT_EQ(edit.Period(), "2@4");
    edit.SetPeriod(QStringLiteral("3@1"));
    edit.UpClick();
    edit.UpClick();
    EXPECT_EQ(edit.Period(), "3@2");
    edit.SetPeriod(QStringLiteral("6@2@5"));
    edit.UpClick();
    EXPECT_EQ(edit.Period(), "6@2@5");
    edit.SetPeriod(QStringLiteral("4@x"));
    EXPECT_THROW(edit.UpClick(), EConvertError);
}

TEST_F(PeriodEditGui, FormShowsMalformedTextsAsJanuary)
{
    TPeriodDropForm *form = edit->PeriodForm();
    form->SetPeriod(QStringLiteral("1@13"));
    EXPECT_EQ(form->PeriodText(), "1@1");
    EXPECT_EQ(Selected(form), QList<int>({1}));
    form->SetPeriod(QStringLiteral("5@2024@x"));
    EXPECT_EQ(form->PeriodText(), "1@1");
    form->SetPeriod(QStringLiteral("5@20240131@20240231"));
    EXPECT_EQ(form->pgPeriodType->currentWidget(), form->tabRange);
    EXPECT_EQ(form->dateTo->text(), "29.02.2024") << "the day is cut to the month";
    EXPECT_EQ(form->dateFrom->FromDate(), QDate(1900, 1, 1));
    EXPECT_EQ(form->dateFrom->ToDate(), QDate(3000, 12, 31));
    form->SetPeriod(QStringLiteral("6@3@5"));
    EXPECT_EQ(Selected(form), QList<int>({3, 4, 5}));
    const int year = TPeriodDropForm::WorkingYear();
    EXPECT_EQ(year, QDate::currentDate().year());
    EXPECT_EQ(form->dateFrom->Date(), QDate(year, 3, 1));
    EXPECT_EQ(form->dateTo->Date(), QDate(year, 5, 31));
}

TEST_F(PeriodEditGui, MonthsPickedWithTheMouseBecomeOneRange)
{
    edit->SetPeriod(QStringLiteral("1@1"));
    TPeriodDropForm *form = Drop();
    ClickMonth(form, 3, Qt::NoModifier);
    EXPECT_EQ(edit->Period(), "1@3") << "a plain click takes the month";
    EXPECT_FALSE(form->isVisible());

    form = Drop();
    ClickMonth(form, 5, Qt::ControlModifier);
    ClickMonth(form, 7, Qt::ControlModifier);
    EXPECT_TRUE(form->isVisible()) << "Ctrl adds to the pick without taking it";
    EXPECT_EQ(Selected(form), QList<int>({3, 4, 5, 6, 7}));
    QTest::keyClick(form->lbMonths, Qt::Key_Return);
    EXPECT_EQ(edit->Period(), "6@3@7");
    EXPECT_FALSE(form->isVisible());
}

TEST_F(PeriodEditGui, RefusedOksKeepTheFormAndThePeriod)
{
    edit->SetPeriod(QStringLiteral("1@4"));
    TPeriodDropForm *form = Drop();
    form->lbMonths->clearSelection();
    QTest::keyClick(form->lbMonths, Qt::Key_Return);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(edit->Period(), "1@4");
    EXPECT_EQ(beeps, 1);

    testsupport::ScopedDialogAnswers dialogs;
    form->pgPeriodType->setCurrentWidget(form->tabRange);
    form->dateFrom->SetDate(QDate(2024, 3, 10));
    form->dateTo->SetDate(QDate(2024, 3, 1));
    QTest::keyClick(form->dateTo, Qt::Key_Return);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(dialogs.Texts(),
              QStringList({"Началната дата (10.03.2024) не може да е по-голяма от крайната (01.03.2024) !"}));
    form->dateTo->SetDate(QDate(2024, 3, 31));
    QTest::keyClick(form->dateTo, Qt::Key_Return);
    EXPECT_EQ(edit->Period(), "5@20240310@20240331");

    // Esc leaves the period; Delete empties it.
    form = Drop();
    QTest::keyClick(form->dateFrom, Qt::Key_Escape);
    EXPECT_EQ(edit->Period(), "5@20240310@20240331");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->Period(), "");
}

TEST_F(PeriodEditGui, VisibleTypesChooseThePagesAndTheMultiplePick)
{
    edit->SetVisiblePeriodTypes({ptMonth, ptRange});
    TPeriodDropForm *form = Drop();
    EXPECT_TRUE(form->pgPeriodType->isTabVisible(0));
    EXPECT_FALSE(form->pgPeriodType->isTabVisible(1));
    EXPECT_TRUE(form->pgPeriodType->isTabVisible(4));
    EXPECT_EQ(form->lbMonths->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(form->width(), edit->width());
    form->close();
}
