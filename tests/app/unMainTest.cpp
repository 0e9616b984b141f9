// The main window: the menu against its table, the configured editors'
// settings, live and disabled items, shortcuts that do not collide with
// the data forms', the window menu, and commands that throw.
#include "app/MenuWalkSupport.h"
#include "app/unMain.h"
#include "core/un_Ado_Connection.h"
#include "platform/Exception.h"
#include "service/TestFiles.h"
#include "service/unArchive_TLV.h"
#include "support/DatabaseTest.h"
#include "support/ScopedDialogAnswers.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTreeWidget>
#include <QStatusBar>
#include <QTest>
#include <QVBoxLayout>
#include <initializer_list>
#include <map>

using testsupport::ScopedDialogAnswers;

namespace {

// A data form stand-in: a widget that records what the menu gave it.
struct Opened
{
    QString ClassName;
    TFormParams Params;
    QPointer<QWidget> Form;
};

class MainFormGui : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(ShowMainWindow(1000, 700));
    }

    void TearDown() override
    {
        registrations_.clear();
        MainWindowTest::TearDown();
    }

    // Registers a stand-in under ClassName that records each instance.
    void Register(const QString &ClassName)
    {
        registrations_.push_back(std::make_unique<ScopedFormClass>(
            ClassName,
            [this, ClassName](QWidget *Owner) {
                auto *widget = new QWidget(Owner);
                widget->setObjectName(ClassName);
                widget->setWindowTitle(ClassName);
                opened_.push_back({ClassName, {}, widget});
                return widget;
            },
            [this](QWidget *, const TFormParams &Params) { opened_.back().Params = Params; }));
        main_->UpdateMenuItems();
    }

    QAction *Item(const char *Name)
    {
        QAction *action = main_->MenuItem(Name);
        EXPECT_NE(action, nullptr) << Name;
        return action;
    }

    int ChildCount() const { return static_cast<int>(main_->MdiArea()->subWindowList().size()); }

    // Each item (its name, then the title of its window) is enabled and
    // opens one more child window of that title.
    void ExpectOpenFromMenu(std::initializer_list<std::pair<const char *, const char *>> Items)
    {
        for (const auto &[name, title] : Items) {
            SCOPED_TRACE(name);
            ASSERT_TRUE(Item(name)->isEnabled());
            const int before = ChildCount();
            Item(name)->trigger();
            ASSERT_EQ(ChildCount(), before + 1);
            QMdiSubWindow *child = main_->MdiArea()->subWindowList().last();
            EXPECT_EQ(child->widget()->windowTitle(), QString::fromUtf8(title));
        }
    }

    std::vector<std::unique_ptr<ScopedFormClass>> registrations_;
    std::vector<Opened> opened_;
};

// Main windows made inside the test, on the test's database.
class MainFormCaptionGui : public testsupport::DatabaseTest
{
};

// The menu as the user sees it: per menu, "caption|shortcut" and "-".
std::map<QString, QStringList> ExpectedMenus()
{
    return {
        {"Номенклатури",
         {"&Изделия|Ctrl+I", "Ресурси|Ctrl+R", "Контрагенти|Ctrl+K", "Обекти|Ctrl+O", "-", "Мерки|Ctrl+M",
          "Групи|Ctrl+G", "Подгрупи|Ctrl+P", "Микробуси|", "-", "Амбалаж|", "Оператори|", "-",
          "Разходни норми|", "Непреки разходи|", "Цени на ресурси|", "Цени на изделия по обекти|", "-",
          "Изход|"}},
        {"Документи",
         {"Стокова разписка|", "Фактура|", "Известие|", "Дневен лист на шофьор|", "-",
          "Заявка за експедиция|", "Пропуск за извозване|", "Върната продукция|",
          "Складова разписка за доставка на суровини и материали|",
          "Протокол за експедиция на суровини и материали|", "-", "Опис на стокови разписки|",
          "Опис на стокови разписки по артикули|", "Опис на фактури и известия|"}},
        {"Логистика",
         {"Генериране на пропуск за извозване|", "Остойностяване на отчет по микробуси|",
          "Актуване на произведена продукция|", "Актуване на бракувана продукция|",
          "Плащания по отчети на микробуси|",
          "Изписване на суровини и материали на база актувана готова продукция|",
          "Плащане на доставки|", "Заприхождаване на амбалаж|"}},
        {"Справки",
         {"Производствен лист|", "Необходими суровини|",
          "Артикули по клиенти и обекти (на база стокови разписки)|",
          "Артикули по обекти (на база стокови разписки)|", "Оборот по обекти (на база стокови разписки)|",
          "Артикули по клиенти и обекти (на база фактури)|", "Месечен стоково-паричен отчет|",
          "Аналитична справка по клиенти|", "Аналитична справка по обекти|", "Артикули по микробуси|", "-",
          "Движение на готова продукция|", "Движение на амбалаж|", "Движение на суровини и материали|",
          "Плащания по доставки|", "Плащания по микробуси (дистрибутори)|", "Остойностена експедиция|", "-",
          "Опис на плащания по дистрибутори|", "Опис на пропуски за извозване|",
          "Опис на протоколи за върната продукция|", "Опис на плащания по стокови разписки|"}},
        {"Сервиз", {"Архивиране|", "Възстановяване|", "Годишно приключване|", "Настройки|"}},
        {"Прозорци", {"&Cascade|", "Tile &Horizontally|", "Tile &Vertically|", "&Minimize All|"}},
        {"Помощ", {"&За програмата|"}},
    };
}

QStringList Shown(QMenu *Menu)
{
    QStringList result;
    for (QAction *action : Menu->actions())
        result << (action->isSeparator()
                       ? QStringLiteral("-")
                       : action->text() + '|' + action->shortcut().toString(QKeySequence::PortableText));
    return result;
}

} // namespace

TEST_F(MainFormCaptionGui, CaptionCarriesTheCompanyNameWhenThereIsOne)
{
    {
        TMainForm form;
        EXPECT_EQ(form.windowTitle(), "Tolvex2000");
        // The window opened the database and closes it when it goes.
        EXPECT_NE(DbConnection, nullptr);
    }
    EXPECT_EQ(DbConnection, nullptr);

    OpenDatabase(nullptr, nullptr, true);
    Execute("Insert into VA values ( 1, \"\" )");
    {
        TMainForm form;
        EXPECT_EQ(form.windowTitle(), "Tolvex2000");
    }
    OpenDatabase(nullptr, nullptr, true);
    Execute("Update va set value_va = \"Хлебозавод \"\"Зора\"\" ООД\" where code_va = 1");
    {
        TMainForm form;
        EXPECT_EQ(form.windowTitle(), "Tolvex2000 - Хлебозавод Зора ООД");
    }
}

TEST_F(MainFormCaptionGui, ADatabaseThatCannotServeIsReportedAndTheProgramEnds)
{
    // Without its company table the program's database is damaged; the
    // clerk may restore it at once (an archive of it stands on the server).
    SetArchiveProgramFolderForTests(base_->Path() + "bin");
    const auto unset = qScopeGuard([] { SetArchiveProgramFolderForTests(QString()); });
    std::unique_ptr<TformArchive>(TformArchive::CreateMode(nullptr, 0))->actNext->trigger();
    Execute("DROP TABLE VA");
    CloseDatabase();
    const QString path = '"' + DatabasePath() + '"';
    const QString offer = "\rВъзстановете базата от архивно копие.\r\rДа бъде ли отворено възстановяването от "
                          "архивно копие сега? При „Не“ файлът остава непроменен и програмата се затваря.";
    {
        ScopedDialogAnswers dialogs;
        dialogs.Press(mbNo);
        TMainForm form;
        EXPECT_EQ(dialogs.Texts(), QStringList("Грешка при отварянето на базата!\nБазата данни " + path
                                               + " е повредена: липсва таблица VA." + offer));
        EXPECT_FALSE(form.DatabaseOpened());
        EXPECT_EQ(DbConnection, nullptr);
    }
    // Cut short, or with a header the engine cannot read, it is restored; what it held is kept aside as it was.
    const auto header = [](int At, char Byte) { return [=](QByteArray b) { return b.replace(At, 1, &Byte, 1); }; };
    // Torn where a dead workstation's journal holds the page, it is sound once the journal is played back: it
    // opens at once, the pair kept aside as it was found.
    const QString journal = DatabasePath() + "-journal";
    const auto newest = [&](const QString &Form) {
        const QStringList made = QDir(base_->DbFolder()).entryList({Form});
        return base_->DbFolder() + made.value(made.size() - 1);
    };
    const std::vector<std::function<QByteArray(QByteArray)>> damages = {
        [](QByteArray b) { return b.left(b.size() / 2); }, [](QByteArray b) { return b.replace(16, 2, "\0\3", 2); },
        [](QByteArray b) { return b.replace(18, 2, "\7\7", 2); }, [](QByteArray b) { return b.replace(21, 1, "A"); },
        [](QByteArray b) { return b.replace(44, 4, "\0\0\0\11", 4); }, [](QByteArray b) { return b.left(16).leftJustified(b.size(), 0); },
        // Headers the program never writes, though the engine may open them.
        header(18, 3), header(19, 3), header(20, 16), header(21, 63), header(22, 33), header(23, 31)};
    for (size_t row = 0; row <= damages.size(); ++row) {
        const bool dead = row == damages.size();   // the torn header again, with the journal
        ASSERT_TRUE(!dead || testfiles::LeaveHotJournal(DatabasePath()));
        const QByteArray damaged = damages[dead ? 3 : row](testfiles::Read(DatabasePath())), left = testfiles::Read(journal);
        ASSERT_TRUE(testfiles::Write(DatabasePath(), damaged));
        ScopedDialogAnswers dialogs;
        if (!dead)
            dialogs.Press(mbYes);
        if (!dead)
            testsupport::OnNextModal([](QWidget *Modal) {
                auto *wizard = dynamic_cast<TformArchive *>(Modal);
                ASSERT_TRUE(wizard && wizard->Mode() == 1 && wizard->listArchives->topLevelItemCount() == 1);
                wizard->listArchives->setCurrentItem(wizard->listArchives->topLevelItem(0));
                wizard->actNext->trigger();
                EXPECT_EQ(wizard->LastFailure(), 0) << wizard->labelInfo->text().toStdString();
                wizard->close();
            });
        TMainForm form;
        EXPECT_EQ(dialogs.Texts(), dead ? QStringList() : QStringList("Грешка при отварянето на базата!\nБазата данни "
                                                                     + path + " е повредена." + offer));
        EXPECT_TRUE(form.DatabaseOpened());
        EXPECT_EQ(Rows("Select count(*) from VA"), QStringList{"0"});
        EXPECT_EQ(Rows("Select count(*) from sqlite_master where name = 'Died'"), QStringList{"0"});
        EXPECT_EQ(Rows("PRAGMA integrity_check"), QStringList{"ok"});
        EXPECT_FALSE(QFile::exists(journal));
        const QString aside = newest(dead ? "bread-before-recovery-*.db" : "bread-before-restore-*.db");
        EXPECT_TRUE(testfiles::Read(aside) == damaged) << aside.toStdString();
        EXPECT_TRUE(testfiles::Read(aside + "-journal") == left);
    }
    // An emptied file is no first start: No keeps it, Yes builds anew; the journal left beside it goes aside with it,
    // never into the new database.
    ASSERT_TRUE(testfiles::LeaveHotJournal(DatabasePath()));
    const QByteArray left = testfiles::Read(journal);
    ASSERT_TRUE(QFile::resize(DatabasePath(), 0));
    for (const TMsgDlgBtn answer : {mbNo, mbYes}) {
        ScopedDialogAnswers dialogs;
        dialogs.Press(answer);
        TMainForm form;
        EXPECT_EQ(dialogs.Texts(), QStringList("Файлът на базата данни " + path + " съществува, но е празен (0 байта): "
                                               "фирмата, документите и всички други данни липсват. Това не е първо "
                                               "стартиране на програмата.\rДа бъде ли създадена на негово място "
                                               "нова, празна база? След това данните могат да се възстановят от "
                                               "архивно копие (Сервиз, Възстановяване).\rПри „Не“ файлът остава "
                                               "непроменен и програмата се затваря."));
        EXPECT_EQ(form.DatabaseOpened(), answer == mbYes);
        EXPECT_EQ(QFile(DatabasePath()).size() == 0, answer == mbNo);
        EXPECT_EQ(QFile::exists(journal), answer == mbNo);
        EXPECT_EQ(answer == mbYes ? Rows("PRAGMA integrity_check") : QStringList{"ok"}, QStringList{"ok"});
    }
    const QString aside = newest("bread-before-new-*.db");
    EXPECT_EQ(testfiles::Read(aside), QByteArray());
    EXPECT_TRUE(testfiles::Read(aside + "-journal") == left);
}

TEST_F(MainFormCaptionGui, TheFirstStartCreatesTheDatabase)
{
    CloseDatabase();
    ASSERT_TRUE(QFile::remove(DatabasePath()));
    {
        TMainForm form;
        EXPECT_TRUE(QFile::exists(DatabasePath()));
        EXPECT_EQ(Rows("Select count(*) from Nas"), QStringList{"0"});
    }
}

TEST_F(MainFormGui, EveryMenuCaptionShortcutAndSeparatorIsAsTheTableGivesThem)
{
    const QStringList order = {"Номенклатури", "Документи", "Логистика", "Справки", "Сервиз",
                               "Прозорци",     "Помощ"};
    const QList<QAction *> menus = main_->menuBar()->actions();
    ASSERT_EQ(menus.size(), order.size());
    const auto expected = ExpectedMenus();
    for (int i = 0; i < order.size(); ++i) {
        SCOPED_TRACE(order[i].toStdString());
        EXPECT_EQ(menus[i]->text(), order[i]);
        ASSERT_NE(menus[i]->menu(), nullptr);
        EXPECT_EQ(Shown(menus[i]->menu()), expected.at(order[i]));
    }
    EXPECT_EQ(main_->Window1(), menus[5]->menu());
    EXPECT_EQ(main_->windowTitle(), "Tolvex2000");
}

TEST_F(MainFormGui, ItemsCarryTheirComponentNamesInMenuOrder)
{
    const QStringList names = {"FileNewItem", "N_Resursi", "N23", "N25", "N16", "N17", "N18",
                               "N_microbusses", "N_Ambalaj", "N_Users_passwords", "N_Razh_Norma",
                               "N_Nepreki_razhodi", "N_Ceni_na_resursi", "N_Prices_by_items_and_stores",
                               "FileExitItem", "Stokova_razpiska", "N_Invoice", "N_notice"};
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(MainMenuItems()[i].Name, names[i]);
    EXPECT_EQ(Item("N14")->text(), "Изписване на суровини и материали на база актувана готова продукция");
    EXPECT_EQ(Item("N10")->text(), "Архивиране");
    EXPECT_EQ(Item("N3")->text(), "Настройки");
    EXPECT_EQ(Item("WindowTileItem2")->text(), "Tile &Vertically");
}

TEST_F(MainFormGui, ProductsCounterpartiesSitesAndPriceMatricesOpenFromTheMenu)
{
    ExpectOpenFromMenu({
        {"FileNewItem", "Изделия"},
        {"N23", "Контрагенти"},
        {"N25", "Обекти"},
        {"N_Nepreki_razhodi", "Непреки разходи"},
        {"N_Ceni_na_resursi", "Цени на ресурси"},
        {"N_Prices_by_items_and_stores", "Цени на изделия по обекти"}});
}

TEST_F(MainFormGui, MinibusReportWindowsOpenFromLogistics)
{
    ExpectOpenFromMenu({
        {"N_Ostojnostjavane_na_Otchet_plasiori", "Остойностяване на отчет по микробуси"},
        {"N_Plashtane_po_otchet_na_plasior", "Плащания по отчети на микробуси"}});
}

TEST_F(MainFormGui, TheReleaseRequestOfRawMaterialsOpensFromLogistics)
{
    ASSERT_TRUE(Item("N14")->isEnabled());
    Item("N14")->trigger();
    ASSERT_EQ(ChildCount(), 1);
    QMdiSubWindow *child = main_->MdiArea()->subWindowList().last();
    EXPECT_EQ(child->widget()->metaObject()->className(),
              QStringLiteral("TfrmIskane_za_otpuskane_na_surovini_i_materiali"));
    EXPECT_EQ(child->widget()->windowTitle(), "Изписване на суровини и материали на база актувана готова продукция");
}

TEST_F(MainFormGui, ProductsByMinibusAndValuedExpeditionOpenFromReports)
{
    ExpectOpenFromMenu({
        {"N_Artikuli_po_microbusi", "Артикули по микробуси"},
        {"N_Ostojnostena_expedicia", "Остойностена експедиция"}});
}

TEST_F(MainFormGui, WindowsNotBuiltYetAreListedButDisabled)
{
    // Every window of the menu is built: one whose class is taken away for
    // the test stands for a window not built yet.
    const ScopedFormClass builtOne(QStringLiteral("TfrmOstojnostena_expedicia"), {});
    UnregisterFormClass(QStringLiteral("TfrmOstojnostena_expedicia"));
    main_->UpdateMenuItems();
    EXPECT_FALSE(Item("N_Ostojnostena_expedicia")->isEnabled());
    // The invoice and notice entries are registered by their window.
    EXPECT_TRUE(Item("N_Invoice")->isEnabled());
    EXPECT_TRUE(Item("N_notice")->isEnabled());
    EXPECT_TRUE(main_->Action("FileNew1")->isEnabled()) << "the products editor is built";
    Item("N_Ostojnostena_expedicia")->trigger();
    EXPECT_EQ(ChildCount(), 0);
    // The built-in commands are live; the window commands while a window is
    // open.
    EXPECT_TRUE(Item("FileExitItem")->isEnabled());
    EXPECT_FALSE(Item("WindowCascadeItem")->isEnabled());
    EXPECT_TRUE(Item("HelpAboutItem")->isEnabled());

    Register("TfrmOstojnostena_expedicia");
    EXPECT_TRUE(Item("N_Ostojnostena_expedicia")->isEnabled());
    registrations_.clear();
    main_->UpdateMenuItems();
    EXPECT_FALSE(Item("N_Ostojnostena_expedicia")->isEnabled());
}

TEST_F(MainFormGui, EachConfiguredEditorGetsItsFiveSettings)
{
    for (const char *cls : {"TfrmSimple_Nomenklatura", "TfrmResources", "TfrmCustGroups", "TfrmObekti",
                            "TfrmUsers_passwords"})
        Register(cls);
    struct Case
    {
        const char *item;
        const char *cls;
        TEditorSettings settings;
    };
    const std::vector<Case> cases = {
        {"N16", "TfrmSimple_Nomenklatura", {"Мерки", "Merki", "n_miarka", "v_miarka", "мярка"}},
        {"N17", "TfrmSimple_Nomenklatura", {"Групи", "Groups", "code_g", "name_g", "група"}},
        {"N18", "TfrmSimple_Nomenklatura", {"Подгрупи", "SubGroup", "code_s", "name_s", "подгрупа"}},
        {"N_microbusses", "TfrmSimple_Nomenklatura", {"Микробуси", "Busses", "c_bus", "n_bus", "микробус"}},
        {"N_Ambalaj", "TfrmSimple_Nomenklatura", {"Амбалаж", "Ambalaj", "code_a", "name_a", "амбалаж"}},
        {"N_Resursi", "TfrmResources", {"Ресурси", "Resources", "code_r", "name_r", "ресурс"}},
        {"N23", "TfrmCustGroups", {"Контрагенти", "CustGroups", "code_c", "name_c", "контрагент"}},
        {"N25", "TfrmObekti", {"Обекти", "Obekti", "code_of_object", "name_o", "обект"}},
        {"N_Users_passwords", "TfrmUsers_passwords",
         {"Оператори", "Users_passwords", "user_name", "user_password", "оператор"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.item);
        opened_.clear();
        Item(c.item)->trigger();
        ASSERT_EQ(opened_.size(), 1u);
        EXPECT_EQ(opened_[0].ClassName, c.cls);
        ASSERT_TRUE(opened_[0].Params.Settings.has_value());
        const TEditorSettings &s = *opened_[0].Params.Settings;
        EXPECT_EQ(s.Title, c.settings.Title);
        EXPECT_EQ(s.Table, c.settings.Table);
        EXPECT_EQ(s.KeyField, c.settings.KeyField);
        EXPECT_EQ(s.NameField, c.settings.NameField);
        EXPECT_EQ(s.Noun, c.settings.Noun);
    }
    // Only the nine configured items carry settings.
    int configured = 0;
    for (const TMenuItemDef &item : MainMenuItems())
        configured += item.Settings.has_value();
    EXPECT_EQ(configured, 9);
}

TEST_F(MainFormGui, EachClickOpensANewMdiChildMaximisedWhereTheTableSaysSo)
{
    Register("TfrmIzdelia");
    Register("TfrmNepreki_razhodi");
    Item("N_Nepreki_razhodi")->trigger();
    ASSERT_EQ(ChildCount(), 1);
    EXPECT_FALSE(main_->MdiArea()->activeSubWindow()->isMaximized());
    Item("FileNewItem")->trigger();
    EXPECT_TRUE(main_->MdiArea()->activeSubWindow()->isMaximized());
    Item("FileNewItem")->trigger();
    ASSERT_EQ(ChildCount(), 3);
    EXPECT_NE(opened_[1].Form, opened_[2].Form);
    EXPECT_FALSE(opened_[0].Params.Maximized);
    EXPECT_TRUE(opened_[1].Params.Maximized);
    EXPECT_EQ(main_->MdiArea()->activeSubWindow()->widget(), opened_[2].Form);
    // Closing a child frees it.
    main_->MdiArea()->activeSubWindow()->close();
    QTest::qWait(0);
    EXPECT_TRUE(opened_[2].Form.isNull());
}

TEST_F(MainFormGui, EntriesGetTheirModes)
{
    std::vector<int> modes;
    RegisterFormEntry("NewInvoice", [&](QWidget *Main, const TFormParams &Params) {
        EXPECT_EQ(Main, main_.get());
        modes.push_back(Params.Mode);
    });
    main_->UpdateMenuItems();
    Item("N_Invoice")->trigger();
    Item("N_notice")->trigger();
    UnregisterFormEntry("NewInvoice");
    EXPECT_EQ(modes, (std::vector<int>{0, 1}));
    // An entry no unit registers leaves its item disabled.
    main_->UpdateMenuItems();
    EXPECT_FALSE(Item("N_Invoice")->isEnabled());
    EXPECT_TRUE(Item("Stokova_razpiska")->isEnabled());
}

TEST_F(MainFormGui, ServiceDialogsRunModallyAndAreFreedWhenClosed)
{
    QPointer<QDialog> dialog;
    int mode = -1;
    ScopedFormClass archive(
        "TformArchive", [&](QWidget *Owner) { return dialog = new QDialog(Owner); },
        [&](QWidget *, const TFormParams &Params) { mode = Params.Mode; });
    main_->UpdateMenuItems();
    bool wasModal = false;
    testsupport::OnNextModal([&](QWidget *w) {
        wasModal = w == dialog && dialog->isModal();
        dialog->reject();
    });
    Item("N11")->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(mode, 1);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(ChildCount(), 0);
}

TEST_F(MainFormGui, CtrlNAndCtrlIBothOpenTheProducts)
{
    Register("TfrmIzdelia");
    QTest::keyClick(main_.get(), Qt::Key_I, Qt::ControlModifier);
    QTest::keyClick(main_.get(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(opened_.size(), 2u);
    EXPECT_EQ(opened_[0].ClassName, "TfrmIzdelia");
    EXPECT_EQ(opened_[1].ClassName, "TfrmIzdelia");
}

TEST_F(MainFormGui, ShortcutsReachTheMenuAndTheDataFormsWithoutColliding)
{
    Register("TfrmObekti");
    Register("TfrmCustGroups");
    Register("TfrmSimple_Nomenklatura");
    // A data form with its own Ctrl+C and Ctrl+V actions and an edit.
    Item("N17")->trigger();
    QWidget *child = opened_.back().Form;
    auto *layout = new QVBoxLayout(child);
    auto *edit = new QLineEdit(child);
    auto *button = new QPushButton("x", child);
    layout->addWidget(edit);
    layout->addWidget(button);
    int copies = 0, pastes = 0;
    auto *copy = new QAction(child);
    copy->setShortcut(QKeySequence("Ctrl+C"));
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(copy, &QAction::triggered, [&] { ++copies; });
    auto *paste = new QAction(child);
    paste->setShortcut(QKeySequence("Ctrl+V"));
    paste->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(paste, &QAction::triggered, [&] { ++pastes; });
    child->addAction(copy);
    child->addAction(paste);
    QTest::qWait(0);   // the new controls show

    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    QTest::keyClick(button, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(button, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(pastes, 1);

    // Ctrl+O opens "Обекти" and Ctrl+K "Контрагенти", from an edit too.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier);
    ASSERT_EQ(opened_.size(), 3u);
    EXPECT_EQ(opened_[1].ClassName, "TfrmObekti");
    EXPECT_EQ(opened_[2].ClassName, "TfrmCustGroups");
}

TEST_F(MainFormGui, TheActionListCarriesItsCaptionsKeysAndStates)
{
    struct Expected
    {
        const char *name;
        const char *caption;
        const char *key;
        bool enabled;
    };
    const std::vector<Expected> actions = {
        {"FileNew1", "&New", "Ctrl+N", true},
        {"FileOpen1", "&Open...", "Ctrl+O", false},
        {"FileSave1", "&Save", "Ctrl+S", false},
        {"FileSaveAs1", "Save &As...", "", false},
        {"FileExit1", "E&xit", "", true},
        {"HelpAbout1", "&About...", "", true},
        {"EditCut1", "Cu&t", "Ctrl+X", true},
        {"EditCopy1", "&Copy", "", true},
        {"EditPaste1", "&Paste", "", true},
        {"WindowCascade1", "&Cascade", "", false},
        {"WindowTileHorizontal1", "Tile &Horizontally", "", false},
        {"WindowTileVertical1", "Tile &Vertically", "", false},
        {"WindowMinimizeAll1", "&Minimize All", "", false},
        {"WindowArrangeAll1", "&Arrange", "", false},
        {"FileClose1", "&Close", "", false},
        {"actCloseAll", "actCloseAll", "", true},
    };
    for (const Expected &e : actions) {
        SCOPED_TRACE(e.name);
        QAction *action = main_->Action(e.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), e.caption);
        EXPECT_EQ(action->shortcut().toString(QKeySequence::PortableText), e.key);
        EXPECT_EQ(action->isEnabled(), e.enabled);
    }
}

TEST_F(MainFormGui, DisabledActionsLeaveTheirKeysToTheMenuAndCutWorksOnAnEdit)
{
    Register("TfrmObekti");
    Register("TfrmSimple_Nomenklatura");
    Item("N16")->trigger();
    QWidget *child = opened_.back().Form;
    auto *layout = new QVBoxLayout(child);
    auto *edit = new QLineEdit("хляб", child);
    layout->addWidget(edit);
    QTest::qWait(0);
    edit->setFocus();
    edit->selectAll();
    // Ctrl+O opens "Обекти" although the disabled Open action holds the key.
    ScopedDialogAnswers dialogs;
    QTest::keyClick(edit, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(opened_.size(), 2u);
    EXPECT_EQ(opened_[1].ClassName, "TfrmObekti");
    EXPECT_TRUE(dialogs.Shown().empty());

    main_->MdiArea()->setActiveSubWindow(main_->MdiArea()->subWindowList().at(0));
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "");
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ChildCount(), 2);
    EXPECT_TRUE(dialogs.Shown().empty());
}

TEST_F(MainFormGui, AFailingCommandIsShownAndTheHalfMadeFormFreed)
{
    QPointer<QWidget> made;
    ScopedFormClass failing(
        "TfrmProizvodstvenList", [&](QWidget *Owner) { return made = new QWidget(Owner); },
        [](QWidget *, const TFormParams &) { throw Exception("Грешка при зареждане"); });
    ScopedFormClass throwing("TfrmNeobhodimi_Surovini",
                             [](QWidget *) -> QWidget * { throw std::runtime_error("bad_alloc"); });
    main_->UpdateMenuItems();
    ScopedDialogAnswers dialogs;
    Item("N_prod_list")->trigger();
    Item("N_neobh_surovini")->trigger();
    ASSERT_EQ(dialogs.Shown().size(), 2u);
    EXPECT_EQ(dialogs.Shown()[0].Text, "Грешка при зареждане.");
    EXPECT_EQ(dialogs.Shown()[0].Kind, mtError);
    EXPECT_EQ(dialogs.Shown()[1].Text, "bad_alloc.");
    EXPECT_TRUE(made.isNull());
    EXPECT_EQ(ChildCount(), 0);
    EXPECT_TRUE(main_->isVisible());
}

TEST_F(MainFormGui, WindowMenuTilesMinimisesAndListsTheChildren)
{
    Register("TfrmSimple_Nomenklatura");
    for (const char *name : {"N16", "N17", "N18"})
        Item(name)->trigger();
    ASSERT_EQ(ChildCount(), 3);
    emit main_->Window1()->aboutToShow();
    EXPECT_TRUE(Item("WindowTileItem")->isEnabled());
    EXPECT_TRUE(main_->Action("FileClose1")->isEnabled());
    const QRect area = main_->MdiArea()->viewport()->rect();

    Item("WindowTileItem")->trigger();
    auto windows = main_->MdiArea()->subWindowList();
    int top = 0;
    for (QMdiSubWindow *w : windows) {
        EXPECT_EQ(w->geometry().width(), area.width());
        EXPECT_EQ(w->geometry().top(), top);
        top = w->geometry().bottom() + 1;
    }
    EXPECT_EQ(top, area.height());

    Item("WindowTileItem2")->trigger();
    int left = 0;
    for (QMdiSubWindow *w : windows) {
        EXPECT_EQ(w->geometry().height(), area.height());
        EXPECT_EQ(w->geometry().left(), left);
        left = w->geometry().right() + 1;
    }
    EXPECT_EQ(left, area.width());

    emit main_->Window1()->aboutToShow();
    QStringList listed;
    for (QAction *a : main_->Window1()->actions())
        if (!a->isSeparator())
            listed << a->text();
    EXPECT_EQ(listed.mid(4), (QStringList{"&1 TfrmSimple_Nomenklatura", "&2 TfrmSimple_Nomenklatura",
                                          "&3 TfrmSimple_Nomenklatura"}));
    main_->Window1()->actions().at(5)->trigger();
    EXPECT_EQ(main_->MdiArea()->activeSubWindow(), windows[0]);

    Item("WindowArrangeItem")->trigger();
    for (QMdiSubWindow *w : windows)
        EXPECT_TRUE(w->isMinimized());
    Item("WindowCascadeItem")->trigger();

    // With the last window closed the commands are off again.
    main_->MdiArea()->closeAllSubWindows();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    emit main_->Window1()->aboutToShow();
    EXPECT_FALSE(Item("WindowCascadeItem")->isEnabled());
    EXPECT_FALSE(main_->Action("WindowTileVertical1")->isEnabled());
}

TEST_F(MainFormGui, MenuHintsShowInTheStatusBar)
{
    Item("N_Dneven_list_na_shofior")->showStatusText(main_.get());
    EXPECT_EQ(main_->statusBar()->currentMessage(), "Дневен лист на шофьор");
    Item("FileNewItem")->showStatusText(main_.get());
    EXPECT_EQ(main_->statusBar()->currentMessage(), "Изделия");
}

TEST_F(MainFormGui, ExitClosesTheWindowUnlessAChildStaysOpen)
{
    // A child that refuses to close keeps the program running.
    struct Stubborn : QWidget
    {
        using QWidget::QWidget;
        bool refuse = true;
        void closeEvent(QCloseEvent *e) override { refuse ? e->ignore() : e->accept(); }
    };
    QPointer<Stubborn> stubborn;
    ScopedFormClass cls("TfrmNAS", [&](QWidget *Owner) { return stubborn = new Stubborn(Owner); });
    main_->UpdateMenuItems();
    Item("N3")->trigger();
    Item("FileExitItem")->trigger();
    EXPECT_TRUE(main_->isVisible());
    stubborn->refuse = false;
    Item("FileExitItem")->trigger();
    EXPECT_FALSE(main_->isVisible());
}

TEST_F(MainFormGui, GrabsToPng)
{
    Register("TfrmSimple_Nomenklatura");
    Register("TfrmIzdelia");
    Item("N16")->trigger();
    Item("N17")->trigger();
    Item("WindowTileItem2")->trigger();
    main_->statusBar()->showMessage("Мерки");
    QTest::qWait(20);
    EXPECT_TRUE(main_->grab().save(testsupport::OutputPath("main-window.png")));
    QMenu *menu = main_->menuBar()->actions().at(0)->menu();
    menu->popup(main_->mapToGlobal(QPoint(0, 20)));
    QTest::qWait(20);
    EXPECT_TRUE(menu->grab().save(testsupport::OutputPath("main-window-menu.png")));
    menu->hide();
}
