// Every code-and-name editor of the main menu, on stored rows that hold an
// apostrophe, a '"' and a decimal price: opening and saving without a
// change, after a header sort and after a filter, and a row taken out and
// put back unchanged, leave every table and the database file as they were;
// a row edited and saved with F2 is written once and the window goes on.
#include "app/unMain.h"
#include "components/FilterMan.h"
#include "components/LimitedEdit.h"
#include "components/RichGrid.h"
#include "core/LineConv.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "masterdata/unSimple_Nomenklatura.h"
#include "masterdata/unUsers_passwords.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

namespace {

class MasterDataResaveInvariantGui : public testsupport::DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        for (const char *table : {"Merki", "Groups", "SubGroup", "Busses", "Ambalaj"}) {
            const QString t = QString::fromLatin1(table);
            Execute(QStringLiteral("INSERT INTO %1 VALUES ( 1, \"Алфа\" )").arg(t));
            Execute(QStringLiteral("INSERT INTO %1 VALUES ( 2, \"Бета 'Юг'\" )").arg(t));
            Execute(QStringLiteral("INSERT INTO %1 VALUES ( 3, \"Гама \"\"Нова\"\"\" )").arg(t));
        }
        Execute("INSERT INTO Izdelia VALUES ( 101, \"Хляб \"\"Добруджа\"\"\", 1, 1, 1, 1.2, 1.35, 0, 0, 0 )");
        Execute("INSERT INTO Izdelia VALUES ( 102, \"Кифла 'малка'\", 2, 2, 2, 0.45, 0, 0, 0, 0.1 )");
        Execute("INSERT INTO Resources VALUES ( 1, \"Брашно \"\"Тип 500\"\"\", 1 )");
        Execute("INSERT INTO Resources VALUES ( 2, \"Мая 'суха'\", 2 )");
        Execute("INSERT INTO CustGroups VALUES ( 1, \"Вега \"\"ООД\"\"\", \"BG1\", \"111\", \"Иван\", 2, "
                "\"office~vega.bg\", \"\", \"\", \"\", \"Добрич\", \"\", 1, \"\" )");
        Execute("INSERT INTO CustGroups VALUES ( 2, \"Алфа 'ЕТ'\", \"\", \"222\", \"\", 1, \"\", \"\", \"\", \"\", "
                "\"\", \"\", 0, \"\" )");
        Execute("INSERT INTO Obekti VALUES ( 1, 1, \"Магазин \"\"Център\"\"\", \"Добрич\", \"ул. 1\", \"\", \"\" )");
        Execute("INSERT INTO Obekti VALUES ( 2, 2, \"Будка 'Юг'\", \"Варна\", \"\", \"\", \"Мария\" )");
        Execute("INSERT INTO Users_passwords VALUES ( \"ivan\", \"111\", \"Иван \"\"Пе\"\"\" )");
        Execute("INSERT INTO Users_passwords VALUES ( \"maria\", \"222\", \"Мария 'М'\" )");
        // A new counterparty would get a site here; none is made.
        Execute(QStringLiteral("INSERT INTO Nas VALUES ( 14, \"%1\", \"1\" )").arg(GetLocalIPAddress()));

        main_ = std::make_unique<TMainForm>();
        main_->resize(1024, 768);
        main_->show();
        main_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
    }
    void TearDown() override
    {
        main_.reset();
        DatabaseTest::TearDown();
    }

    // Every table, every row as stored.
    QString Dump()
    {
        QString dump;
        for (const QString &table : DbConnection->TableNames()) {
            dump += table + QLatin1Char('\n');
            for (const QStringList &row : DbConnection->Query(QStringLiteral("SELECT * FROM ") + table).rows)
                dump += row.join(QLatin1Char('|')) + QLatin1Char('\n');
        }
        return dump;
    }
    QByteArray FileBytes()
    {
        QFile file(DatabasePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void Press(QWidget *Window, int Key)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus && Window->isAncestorOf(focus) ? focus : Window, Qt::Key(Key));
        QTest::qWait(0);
    }

    std::unique_ptr<TMainForm> main_;
};

} // namespace

TEST_F(MasterDataResaveInvariantGui, SavingWithoutAChangeChangesNoByteAndAnEditIsSavedOnce)
{
    const QStringList editors = {"FileNewItem", "N_Resursi", "N23", "N25", "N16", "N17",
                                 "N18", "N_microbusses", "N_Ambalaj", "N_Users_passwords"};
    int visited = 0;
    for (const TMenuItemDef &item : MainMenuItems()) {
        if (!editors.contains(item.Name))
            continue;
        SCOPED_TRACE(item.Caption.toStdString());
        ++visited;
        const QString stored = Dump();
        const QByteArray bytes = FileBytes();
        testsupport::ScopedDialogAnswers dialogs;
        main_->MenuItem(item.Name)->trigger();
        QTest::qWait(0);
        ASSERT_EQ(main_->MdiArea()->subWindowList().size(), 1);
        QMdiSubWindow *child = main_->MdiArea()->subWindowList().constFirst();
        main_->MdiArea()->setActiveSubWindow(child);
        auto *editor = qobject_cast<TfrmSimple_Nomenklatura *>(child->widget());
        ASSERT_NE(editor, nullptr);
        const int first = editor->Grid->FixedRows();
        ASSERT_GE(editor->Grid->RowCount() - first, 2);
        auto unchanged = [&](const char *Step) {
            EXPECT_EQ(Dump(), stored) << Step;
            EXPECT_TRUE(FileBytes() == bytes) << Step;
            EXPECT_TRUE(editor->Pending().IsEmpty()) << Step;
        };

        Press(editor, Qt::Key_F2);
        unchanged("F2");
        editor->ToggleSortColumn(TGridCoord{1, first - 1});
        Press(editor, Qt::Key_F2);
        unchanged("a header sort");
        editor->CreateFilterDialog();
        editor->FilterConditions()->AddObject(QStringLiteral("1"),
                                              new TFilterMan(editor->Grid->Cells(1, first), FilterKindText));
        editor->Execute();
        Press(editor, Qt::Key_F2);
        unchanged("an F6 filter");
        editor->FilterConditions()->Clear();
        editor->Execute();

        // Every row taken out with F3 and put back with F4 unchanged.
        const int rows = editor->Grid->RowCount() - first;
        for (int i = 0; i < rows; ++i) {
            editor->Grid->SetRow(editor->Grid->FixedRows());
            Press(editor, Qt::Key_F3);
            ASSERT_TRUE(editor->EditMode());
            Press(editor, Qt::Key_F4);
            ASSERT_FALSE(editor->EditMode());
        }
        Press(editor, Qt::Key_F2);
        unchanged("F3 and F4 on every row");
        EXPECT_TRUE(dialogs.Texts().isEmpty()) << dialogs.Texts().join('|').toStdString();

        // F3, a new name, F2: saved once; F4 then meets its own row; F3
        // still takes a row.
        editor->Grid->SetRow(first);
        Press(editor, Qt::Key_F3);
        auto *users = qobject_cast<TfrmUsers_passwords *>(editor);
        TLimitedEdit *name = users ? users->edNames : editor->edNaimenovanie;
        const QString renamed = QStringLiteral("Преименуван ") + QChar(u'А' + visited);
        name->setText(renamed);
        Press(editor, Qt::Key_F2);
        EXPECT_FALSE(editor->EditMode());
        EXPECT_TRUE(editor->Pending().IsEmpty());
        const QString saved = Dump();
        EXPECT_EQ(saved.count(renamed), 1);
        EXPECT_EQ(saved.count(QLatin1Char('\n')), stored.count(QLatin1Char('\n')));
        Press(editor, Qt::Key_F4);
        EXPECT_EQ(dialogs.Texts().size(), 1);
        Press(editor, Qt::Key_F2);
        EXPECT_EQ(Dump(), saved);
        editor->Grid->SetRow(first);
        Press(editor, Qt::Key_F3);
        EXPECT_TRUE(editor->EditMode()) << "the window is not stuck";
        EXPECT_EQ(dialogs.Texts().size(), 1) << dialogs.Texts().join('|').toStdString();

        editor->SetModified(false);
        child->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        main_->MdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_EQ(visited, editors.size());
}
