// F9 on a list form: the grid print preview opens over the form's grid
// with its title, subtitle and print-settings key.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QTest>

#include "components/RichGrid.h"
#include "framework/QuorendReadForm.h"
#include "framework/unPrintPreview.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestEnv.h"
#include "support/TestPrinter.h"

namespace {

class TfrmPrintProbe : public TQuorendReadForm
{
    Q_OBJECT
public:
    TfrmPrintProbe(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendReadForm(AOwner, AFormStyle)
    {
        setObjectName(QStringLiteral("frmPrintProbe"));
        Grid->SetColCount(2);
        Grid->SetRowCount(3);
        Grid->SetFixedRows(1);
        Grid->SetRows(0, {QStringLiteral("Код"), QStringLiteral("Обект")});
        Grid->SetRows(1, {QStringLiteral("1"), QStringLiteral("Магазин Изток")});
        Grid->SetRows(2, {QStringLiteral("2"), QStringLiteral("Магазин Запад")});
        SetPrintSettingsKey(QStringLiteral("frmPrintProbe_print_settings"));
    }
    QString GetTitle() override { return QStringLiteral("Обекти"); }
    QString GetSubTitle() override { return QStringLiteral("към 07.12.2026"); }
    QString GetPrintExtraText() override { return QStringLiteral("Изготвил: ........"); }
};

class ReadFormPrintGui : public testsupport::DataTest
{
};

} // namespace

TEST_F(ReadFormPrintGui, F9OpensThePreviewOfTheFormsGrid)
{
    testsupport::TestPrinterDevice printer;
    SetPrintGridPrinter(&printer);
    std::unique_ptr<TfrmPrintProbe> form(CreateQuorendForm<TfrmPrintProbe>(nullptr, fsNormal));
    ASSERT_TRUE(form->ShowForm());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    form->UpdateActions();
    ASSERT_TRUE(form->actPrint->isEnabled());

    QString text;
    bool saving = false;
    testsupport::OnNextModal([&](QWidget *w) {
        QPointer<TfmPrintPreview> preview(qobject_cast<TfmPrintPreview *>(w));
        ASSERT_FALSE(preview.isNull());
        for (const auto &run : preview->page->Pages().Items(0)->TextRuns())
            text += run.text + QLatin1Char(' ');
        saving = preview->chkSave->isEnabled();
        preview->close();
    });
    form->Grid->setFocus();
    QTest::keyClick(form->Grid, Qt::Key_F9);
    SetPrintGridPrinter(nullptr);
    EXPECT_TRUE(text.contains("Обекти")) << text.toStdString();
    EXPECT_TRUE(text.contains("към 07.12.2026"));
    EXPECT_TRUE(text.contains("Магазин Запад"));
    EXPECT_TRUE(text.contains("Изготвил: ........"));
    // The form's settings key: the named settings can be kept.
    EXPECT_TRUE(saving);
    form->close();
}

#include "ReadFormPrintGuiTest.moc"
