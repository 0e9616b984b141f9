// A list or document window that keeps unsaved changes asks about them
// before F8 or the filter reads its data again: Cancel keeps them and reads
// nothing, No forgets them and reads; a window that keeps none never asks.
#include <QAction>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "framework/QuorendReadForm.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestEnv.h"

namespace {

const QString SaveQuestion = QStringLiteral("Данните не са записани!\rЖелаете ли да ги запишете?");

class TfrmReloadProbe : public TQuorendReadForm
{
    Q_OBJECT
public:
    TfrmReloadProbe(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendReadForm(AOwner, AFormStyle)
    {
        setObjectName(QStringLiteral("frmReloadProbe"));
        actExecute->setEnabled(true);
    }
    void KeepChanges()
    {
        AskBeforeReading([this] {
            ++Drops;
            SetModified(false);
        });
    }
    bool DoExecute() override
    {
        ++Reads;
        return true;
    }
    int Reads = 0;
    int Drops = 0;
};

class ReadFormReloadGui : public testsupport::DataTest
{
protected:
    TfrmReloadProbe *Open(bool KeepsChanges)
    {
        form.reset(CreateQuorendForm<TfrmReloadProbe>(nullptr, fsNormal));
        if (KeepsChanges)
            form->KeepChanges();
        EXPECT_TRUE(form->ShowForm());
        form->Reads = 0;
        form->SetModified(true);
        return form.get();
    }
    void TearDown() override
    {
        if (form)
            form->SetModified(false);
        form.reset();
        DataTest::TearDown();
    }
    std::unique_ptr<TfrmReloadProbe> form;
};

} // namespace

TEST_F(ReadFormReloadGui, UnsavedChangesAreAskedAboutBeforeF8OrTheFilterReadsAgain)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmReloadProbe *f = Open(true);
    dialogs.Press(mbCancel);
    f->actExecute->trigger();
    dialogs.Press(mbCancel);
    EXPECT_FALSE(f->DoFilter());
    EXPECT_EQ(dialogs.Texts(), (QStringList{SaveQuestion, SaveQuestion}));
    EXPECT_EQ(f->Reads, 0);
    EXPECT_EQ(f->Drops, 0);
    EXPECT_TRUE(f->Modified());

    dialogs.Press(mbNo);
    f->actExecute->trigger();
    EXPECT_EQ(dialogs.Texts().size(), 3);
    EXPECT_EQ(f->Drops, 1);
    EXPECT_EQ(f->Reads, 1);
    EXPECT_FALSE(f->Modified());
}

TEST_F(ReadFormReloadGui, AWindowThatKeepsNoChangesReadsAgainWithoutAsking)
{
    testsupport::ScopedDialogAnswers dialogs;
    TfrmReloadProbe *f = Open(false);
    f->actExecute->trigger();
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_EQ(f->Reads, 1);
}

#include "ReadFormReloadGuiTest.moc"
