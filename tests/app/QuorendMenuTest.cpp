// Data forms opened from the main menu through the registry: made, set up
// with the item's settings, prepared and shown by the base form, maximised
// where the table says so; modal ones freed after they close.
#include "app/unMain.h"
#include "framework/QuorendFormClasses.h"
#include "platform/Exception.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

namespace {

class TfrmMenuTest : public TQuorendForm
{
    Q_OBJECT
public:
    TfrmMenuTest(QWidget *AOwner, TFormStyle AFormStyle) : TQuorendForm(AOwner, AFormStyle)
    {
        setObjectName(QStringLiteral("frmMenuTest"));
    }
    static inline int prepared = 0;
    static inline QString failInBeforeShow;
    QString table;

    bool BeforeShow() override
    {
        ++prepared;
        if (!failInBeforeShow.isEmpty())
            throw Exception(failInBeforeShow);
        return true;
    }
};

class QuorendMenuGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        TfrmMenuTest::prepared = 0;
        TfrmMenuTest::failInBeforeShow.clear();
        for (const char *name : {"TfrmIzdelia", "TfrmSimple_Nomenklatura", "TfrmFinsihYear_TLV"}) {
            saved_.push_back(std::make_unique<ScopedFormClass>(name, nullptr));
            RegisterQuorendFormClass<TfrmMenuTest>(name, [](TfrmMenuTest *Form, const TFormParams &Params) {
                if (Params.Settings)
                    Form->table = Params.Settings->Table;
            });
        }
        form_ = std::make_unique<TMainForm>();
        form_->resize(900, 600);
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }

    void TearDown() override
    {
        form_.reset();
        saved_.clear();
        DatabaseTest::TearDown();
    }

    QList<QMdiSubWindow *> Children() const { return form_->MdiArea()->subWindowList(); }

    std::vector<std::unique_ptr<ScopedFormClass>> saved_;
    std::unique_ptr<TMainForm> form_;
};

} // namespace

TEST_F(QuorendMenuGui, ADataFormOpensPreparedAsAnMdiChildMaximisedWhereTheTableSaysSo)
{
    form_->MenuItem("N17")->trigger();
    ASSERT_EQ(Children().size(), 1);
    auto *groups = qobject_cast<TfrmMenuTest *>(Children()[0]->widget());
    ASSERT_NE(groups, nullptr);
    EXPECT_EQ(groups->table, "Groups");
    EXPECT_FALSE(Children()[0]->isMaximized());
    EXPECT_EQ(TfrmMenuTest::prepared, 1);

    form_->MenuItem("FileNewItem")->trigger();
    ASSERT_EQ(Children().size(), 2);
    EXPECT_TRUE(form_->MdiArea()->activeSubWindow()->isMaximized());
    EXPECT_EQ(TfrmMenuTest::prepared, 2);
}

TEST_F(QuorendMenuGui, AFormThatFailsToPrepareIsShownAndLeavesNothingBehind)
{
    TfrmMenuTest::failInBeforeShow = "Липсва таблица";
    testsupport::ScopedDialogAnswers dialogs;
    form_->MenuItem("N16")->trigger();
    QTest::qWait(0);
    EXPECT_EQ(dialogs.Shown().size(), 1u);
    EXPECT_TRUE(Children().isEmpty());
    EXPECT_EQ(form_->findChildren<TfrmMenuTest *>().size(), 0);
}

TEST_F(QuorendMenuGui, AModalServiceFormIsFreedWhenItCloses)
{
    QPointer<QWidget> shown;
    testsupport::OnNextModal([&](QWidget *w) {
        shown = w->findChild<TfrmMenuTest *>();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    form_->MenuItem("N_Finish_year_TLV")->trigger();
    QTest::qWait(0);
    EXPECT_EQ(TfrmMenuTest::prepared, 1);
    EXPECT_TRUE(shown.isNull());
    EXPECT_EQ(form_->findChildren<TfrmMenuTest *>().size(), 0);
    EXPECT_TRUE(Children().isEmpty());
}

#include "QuorendMenuTest.moc"
