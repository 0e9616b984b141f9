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
#include "support/ScopedDialogAnswers.h"
#include "support/TableDump.h"
#include "app/MenuWalkSupport.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

namespace {

class MasterDataResaveInvariantGui : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
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

        ASSERT_NO_FATAL_FAILURE(ShowMainWindow());
    }

    // How often Text stands in the stored values, and how many rows there are.
    static int Occurrences(const testsupport::TableDump &Dump, const QString &Text)
    {
        int found = 0;
        for (const auto &[table, rows] : Dump)
            for (const QString &row : rows)
                found += int(row.count(Text));
        return found;
    }
    static int RowCount(const testsupport::TableDump &Dump)
    {
        int count = 0;
        for (const auto &[table, rows] : Dump)
            count += int(rows.size());
        return count;
    }
    QByteArray FileBytes()
    {
        QFile file(DatabasePath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void Press(QWidget *Window, int Key)
    {
        testsupport::PressOnFocus(Window, Qt::Key(Key));
        QTest::qWait(0);
    }

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
        const testsupport::TableDump stored = testsupport::DumpTables();
        const QByteArray bytes = FileBytes();
        testsupport::ScopedDialogAnswers dialogs;
        QMdiSubWindow *child = OpenFromMenu(item.Name);
        ASSERT_NE(child, nullptr);
        auto *editor = qobject_cast<TfrmSimple_Nomenklatura *>(child->widget());
        ASSERT_NE(editor, nullptr);
        const int first = editor->Grid->FixedRows();
        ASSERT_GE(editor->Grid->RowCount() - first, 2);
        auto unchanged = [&](const char *Step) {
            EXPECT_EQ(testsupport::TableDifferences(stored, testsupport::DumpTables()), "") << Step;
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
        const testsupport::TableDump saved = testsupport::DumpTables();
        EXPECT_EQ(Occurrences(saved, renamed), 1);
        EXPECT_EQ(RowCount(saved), RowCount(stored));
        Press(editor, Qt::Key_F4);
        EXPECT_EQ(dialogs.Texts().size(), 1);
        Press(editor, Qt::Key_F2);
        EXPECT_EQ(testsupport::TableDifferences(saved, testsupport::DumpTables()), "");
        editor->Grid->SetRow(first);
        Press(editor, Qt::Key_F3);
        EXPECT_TRUE(editor->EditMode()) << "the window is not stuck";
        EXPECT_EQ(dialogs.Texts().size(), 1) << dialogs.Texts().join('|').toStdString();

        editor->SetModified(false);
        child->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        CloseAllWindows();
    }
    EXPECT_EQ(visited, editors.size());
}
