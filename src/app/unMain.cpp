#include "app/unMain.h"

#include "app/About.h"
#include "core/DialogsEx.h"
#include "core/unSchema.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendFormClasses.h"
#include "platform/ui/Application.h"
#include "platform/ui/JpegImage.h"
#include "service/RestoreFiles.h"

#include <algorithm>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTextEdit>

TMainForm *MainForm = nullptr;

namespace {

const QString Nomenklaturi = QStringLiteral("Номенклатури");
const QString Dokumenti = QStringLiteral("Документи");
const QString Logistika = QStringLiteral("Логистика");
const QString Spravki = QStringLiteral("Справки");
const QString Serviz = QStringLiteral("Сервиз");
const QString Prozorci = QStringLiteral("Прозорци");
const QString Pomosht = QStringLiteral("Помощ");

// Builders of the table's rows.
TMenuItemDef Form(const QString &Menu, const QString &Name, const QString &Caption,
                  const QString &Target, bool Maximized = false, const QString &Shortcut = {})
{
    TMenuItemDef item;
    item.Menu = Menu;
    item.Name = Name;
    item.Caption = Caption;
    item.Shortcut = Shortcut;
    item.Command = TMenuCommand::OpenForm;
    item.Target = Target;
    item.Maximized = Maximized;
    return item;
}

TMenuItemDef Configured(TMenuItemDef Item, const QString &Table, const QString &KeyField,
                        const QString &NameField, const QString &Noun)
{
    Item.Settings = TEditorSettings{Item.Caption, Table, KeyField, NameField, Noun};
    return Item;
}

TMenuItemDef Entry(const QString &Menu, const QString &Name, const QString &Caption,
                   const QString &Target, int Mode, bool Maximized)
{
    TMenuItemDef item = Form(Menu, Name, Caption, Target, Maximized);
    item.Command = TMenuCommand::RunEntry;
    item.Mode = Mode;
    return item;
}

TMenuItemDef Modal(const QString &Name, const QString &Caption, const QString &Target, int Mode)
{
    TMenuItemDef item = Form(Serviz, Name, Caption, Target);
    item.Kind = TFormShowKind::ModalDialog;
    item.Mode = Mode;
    return item;
}

TMenuItemDef Command(const QString &Menu, const QString &Name, const QString &Caption,
                     TMenuCommand Command_)
{
    TMenuItemDef item;
    item.Menu = Menu;
    item.Name = Name;
    item.Caption = Caption;
    item.Command = Command_;
    return item;
}

TMenuItemDef Separated(TMenuItemDef Item)
{
    Item.SeparatorAfter = true;
    return Item;
}

std::vector<TMenuItemDef> BuildMenuTable()
{
    const bool max = true;
    return {
        // Номенклатури
        Form(Nomenklaturi, "FileNewItem", "&Изделия", "TfrmIzdelia", max, "Ctrl+I"),
        Configured(Form(Nomenklaturi, "N_Resursi", "Ресурси", "TfrmResources", max, "Ctrl+R"),
                   "Resources", "code_r", "name_r", "ресурс"),
        Configured(Form(Nomenklaturi, "N23", "Контрагенти", "TfrmCustGroups", false, "Ctrl+K"),
                   "CustGroups", "code_c", "name_c", "контрагент"),
        Separated(Configured(Form(Nomenklaturi, "N25", "Обекти", "TfrmObekti", false, "Ctrl+O"),
                             "Obekti", "code_of_object", "name_o", "обект")),
        Configured(Form(Nomenklaturi, "N16", "Мерки", "TfrmSimple_Nomenklatura", false, "Ctrl+M"),
                   "Merki", "n_miarka", "v_miarka", "мярка"),
        Configured(Form(Nomenklaturi, "N17", "Групи", "TfrmSimple_Nomenklatura", false, "Ctrl+G"),
                   "Groups", "code_g", "name_g", "група"),
        Configured(Form(Nomenklaturi, "N18", "Подгрупи", "TfrmSimple_Nomenklatura", false, "Ctrl+P"),
                   "SubGroup", "code_s", "name_s", "подгрупа"),
        Separated(Configured(Form(Nomenklaturi, "N_microbusses", "Микробуси", "TfrmSimple_Nomenklatura"),
                             "Busses", "c_bus", "n_bus", "микробус")),
        Configured(Form(Nomenklaturi, "N_Ambalaj", "Амбалаж", "TfrmSimple_Nomenklatura"),
                   "Ambalaj", "code_a", "name_a", "амбалаж"),
        Separated(Configured(Form(Nomenklaturi, "N_Users_passwords", "Оператори", "TfrmUsers_passwords"),
                             "Users_passwords", "user_name", "user_password", "оператор")),
        Form(Nomenklaturi, "N_Razh_Norma", "Разходни норми", "TfrmRazhodni_normi", max),
        Form(Nomenklaturi, "N_Nepreki_razhodi", "Непреки разходи", "TfrmNepreki_razhodi"),
        Form(Nomenklaturi, "N_Ceni_na_resursi", "Цени на ресурси", "TfrmResources_prices"),
        Separated(Form(Nomenklaturi, "N_Prices_by_items_and_stores", "Цени на изделия по обекти",
                       "TfrmPrices_by_items_and_stores", max)),
        Command(Nomenklaturi, "FileExitItem", "Изход", TMenuCommand::Exit),
        // Документи
        Entry(Dokumenti, "Stokova_razpiska", "Стокова разписка", "NewStokovaRazpiska", 0, max),
        Entry(Dokumenti, "N_Invoice", "Фактура", "NewInvoice", 0, false),
        Entry(Dokumenti, "N_notice", "Известие", "NewInvoice", 1, false),
        Separated(Form(Dokumenti, "N_Dneven_list_na_shofior", "Дневен лист на шофьор",
                       "TfrmDneven_list_na_shofior", max)),
        Form(Dokumenti, "N_Zaiavki_za_expedicia", "Заявка за експедиция", "TfrmZaiavki_za_expedicia", max),
        Form(Dokumenti, "N_Propusk_za_izvozvane", "Пропуск за извозване", "TfrmPropusk_za_izvozvane", max),
        Form(Dokumenti, "N_Vyrnata_produkcia", "Върната продукция", "TfrmVyrnata_produkcia", max),
        Form(Dokumenti, "N_Dostavki", "Складова разписка за доставка на суровини и материали",
             "TfrmDostavki", max),
        Separated(Form(Dokumenti, "N_Expedicia_na_surovini_i_materiali",
                       "Протокол за експедиция на суровини и материали",
                       "TfrmExpedicia_na_surovini_i_materiali")),
        Form(Dokumenti, "N_Opis_na_SR", "Опис на стокови разписки", "TfrmStokovaRazpiska_Opis"),
        Form(Dokumenti, "N_Opis_na_SR_po_art", "Опис на стокови разписки по артикули",
             "TfrmStokovaRazpiska_Opis_Ext"),
        Form(Dokumenti, "N_InvoiceList", "Опис на фактури и известия", "TfrmInvoice_Opis"),
        // Логистика
        Form(Logistika, "N_Generirane_na_Propusk_za_izvozvane", "Генериране на пропуск за извозване",
             "TfrmGenerirane_na_Propusk_za_izvozvane"),
        Form(Logistika, "N_Ostojnostjavane_na_Otchet_plasiori", "Остойностяване на отчет по микробуси",
             "TfrmOstojnostjavane_na_Otchet_plasiori"),
        Form(Logistika, "N_Akt_za_proizvedena_produkcia", "Актуване на произведена продукция",
             "TfrmAkt_za_proizvedena_produkcia", max),
        Form(Logistika, "N_Akt_za_brakuvana_produkcia", "Актуване на бракувана продукция",
             "TfrmAkt_za_brakuvana_produkcia", max),
        Form(Logistika, "N_Plashtane_po_otchet_na_plasior", "Плащания по отчети на микробуси",
             "TfrmPlashtane_po_otchet_na_plasior"),
        Form(Logistika, "N14", "Изписване на суровини и материали на база актувана готова продукция",
             "TfrmIskane_za_otpuskane_na_surovini_i_materiali"),
        Form(Logistika, "N_Plashtane_na_dostavki", "Плащане на доставки", "TfrmPlashtane_na_dostavki"),
        Form(Logistika, "N_Zaprihojdavane_na_ambalaj", "Заприхождаване на амбалаж",
             "TfrmZaprihojdavane_na_ambalaj"),
        // Справки
        Form(Spravki, "N_prod_list", "Производствен лист", "TfrmProizvodstvenList"),
        Form(Spravki, "N_neobh_surovini", "Необходими суровини", "TfrmNeobhodimi_Surovini"),
        Form(Spravki, "N_art_po_kli_i_obekti", "Артикули по клиенти и обекти (на база стокови разписки)",
             "TfrmArtikuli_po_klienti_i_obekti"),
        Form(Spravki, "N_Artikuli_po_obekti", "Артикули по обекти (на база стокови разписки)",
             "TfrmArtikuli_po_obekti", max),
        Form(Spravki, "N_Oborot_po_obekti", "Оборот по обекти (на база стокови разписки)",
             "TfrmOborot_po_obekti", max),
        Form(Spravki, "Artikuli_po_klienti_i_obekti_na_baza_fakturi",
             "Артикули по клиенти и обекти (на база фактури)",
             "TfrmArtikuli_po_klienti_i_obekti_na_baza_fakturi"),
        Form(Spravki, "N_month_stokovo_pari4en", "Месечен стоково-паричен отчет",
             "TfrmStokovo_pari4en_ot4et"),
        Form(Spravki, "N_an_spr_po_kli", "Аналитична справка по клиенти", "TfrmAnalit_po_klienti"),
        Form(Spravki, "N_an_spr_po_obekti", "Аналитична справка по обекти", "TfrmAnalit_po_obekti"),
        Separated(Form(Spravki, "N_Artikuli_po_microbusi", "Артикули по микробуси",
                       "TfrmArtikuli_po_microbusi")),
        Form(Spravki, "N_dvizhenie_na_GP", "Движение на готова продукция", "TfrmDvijenie_na_GP", max),
        Form(Spravki, "N_dvizhenie_na_Ambalaj", "Движение на амбалаж", "TfrmDvijenie_na_Ambalaj"),
        Form(Spravki, "N_Dvijenie_na_surovini_i_materiali", "Движение на суровини и материали",
             "TfrmDvijenie_na_surovini_i_materiali"),
        Form(Spravki, "N_Plashtania_po_dostavki", "Плащания по доставки", "TfrmPlashtania_po_dostavki"),
        Form(Spravki, "N_Plashtania_po_microbusi", "Плащания по микробуси (дистрибутори)",
             "TfrmPlashtania_po_microbusi"),
        Separated(Form(Spravki, "N_Ostojnostena_expedicia", "Остойностена експедиция",
                       "TfrmOstojnostena_expedicia")),
        Form(Spravki, "N_Opis_na_plashtania_po_microbusi", "Опис на плащания по дистрибутори",
             "TfrmOpis_na_plashtania_po_microbusi"),
        Form(Spravki, "N_Opis_na_propuski_za_izvozvane", "Опис на пропуски за извозване",
             "TfrmOpis_na_propuski_za_izvozvane"),
        Form(Spravki, "N_Opis_na_protokoli_za_vyrnata_produkcia", "Опис на протоколи за върната продукция",
             "TfrmOpis_na_protokoli_za_vyrnata_produkcia"),
        Form(Spravki, "N_Opis_na_plashtania_po_SR", "Опис на плащания по стокови разписки",
             "TfrmOpis_na_plashtania_po_SR", max),
        // Сервиз
        Modal("N10", "Архивиране", "TformArchive", 0),
        Modal("N11", "Възстановяване", "TformArchive", 1),
        Modal("N_Finish_year_TLV", "Годишно приключване", "TfrmFinsihYear_TLV", 0),
        Form(Serviz, "N3", "Настройки", "TfrmNAS"),
        // Прозорци: captions from the window actions
        Command(Prozorci, "WindowCascadeItem", "&Cascade", TMenuCommand::Cascade),
        Command(Prozorci, "WindowTileItem", "Tile &Horizontally", TMenuCommand::TileHorizontal),
        Command(Prozorci, "WindowTileItem2", "Tile &Vertically", TMenuCommand::TileVertical),
        Command(Prozorci, "WindowArrangeItem", "&Minimize All", TMenuCommand::MinimizeAll),
        // Помощ
        Command(Pomosht, "HelpAboutItem", "&За програмата", TMenuCommand::About),
    };
}

// The action behind each window-menu item (its caption comes from it).
QString WindowActionOf(TMenuCommand Command)
{
    switch (Command) {
    case TMenuCommand::Cascade: return QStringLiteral("WindowCascade1");
    case TMenuCommand::TileHorizontal: return QStringLiteral("WindowTileHorizontal1");
    case TMenuCommand::TileVertical: return QStringLiteral("WindowTileVertical1");
    case TMenuCommand::MinimizeAll: return QStringLiteral("WindowMinimizeAll1");
    default: return QString();
    }
}

QString PlainCaption(QString Caption)
{
    // "&&" stands for a literal '&'.
    Caption.replace(QLatin1String("&&"), QLatin1String("\x01"));
    Caption.remove(QLatin1Char('&'));
    Caption.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return Caption;
}

} // namespace

const std::vector<TMenuItemDef> &MainMenuItems()
{
    static const std::vector<TMenuItemDef> items = BuildMenuTable();
    return items;
}

const std::vector<QString> &MainMenuCaptions()
{
    static const std::vector<QString> menus = {Nomenklaturi, Dokumenti, Logistika, Spravki,
                                               Serviz, Prozorci, Pomosht};
    return menus;
}

QString TMainForm::ProductTitle() { return QStringLiteral("Tolvex2000"); }

TMainForm::TMainForm(QWidget *Parent) : QMainWindow(Parent)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(ProductTitle());
    // The program's picture stands in the title bars of the child windows.
    QImage picture;
    if (platform::DecodeJpeg(TAboutBox::ResourcePicture(), picture))
        setWindowIcon(QPixmap::fromImage(picture));
    MdiArea_ = new QMdiArea(this);
    MdiArea_->setObjectName(QStringLiteral("MdiArea"));
    setCentralWidget(MdiArea_);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    BuildActions();
    BuildMenus();
    UpdateMenuItems();
    connect(MdiArea_, &QMdiArea::subWindowActivated, this, &TMainForm::UpdateWindowCommands);
    MainForm = this;
    SetMainForm(this, MdiArea_);
    SetFormShower(ShowQuorendForm);
    FormCreate();
}

TMainForm::~TMainForm()
{
    // The child windows go first: they may still use the connection.
    for (QMdiSubWindow *window : MdiArea_->subWindowList())
        delete window;
    FormDestroy();
    if (MainForm == this)
        MainForm = nullptr;
    if (MainFormWidget() == this) {
        SetMainForm(nullptr, nullptr);
        SetFormShower(nullptr);
    }
}

void TMainForm::FormCreate()
{
    // Without its database the program can do nothing: why it cannot open
    // it is shown, and the program closes (DatabaseOpened). Its own
    // database, damaged, can be restored from an archive first, as the
    // message advises; the file is then checked again. A dead workstation's
    // journal beside it may make it sound: the pair is kept aside as it was
    // found, the engine rolls the journal back, and the file is checked
    // once more before a restore is offered.
    bool recovered = false;
    for (bool again = true; again;) {
        again = false;
        platform::RunGuarded([&] {
            try {
                OpenDatabase(QCoreApplication::instance(), this, true);
            } catch (const EDatabaseFileDamaged &e) {
                QString aside;
                const bool first = !recovered;
                recovered = true;
                again = (first && RecoverFromJournal(DataFolder() + QLatin1String(MainDatabaseFileName), aside))
                     || OfferRestore(e.Message());
            }
        });
    }
    if (!DbConnection)
        return;
    DatabaseOpened_ = true;
    // A failure is shown and the window opens all the same, with the
    // product title alone.
    platform::RunGuarded([this] {
        TDelimitedStringList list;
        if (SelectToList(this, DbConnection, QStringLiteral("Select Value_va from va where ( code_va = 1 )"), list)
            && !list.Text().isEmpty())
            setWindowTitle(windowTitle() + QStringLiteral(" - ") + list.Text());
    });
}

bool TMainForm::OfferRestore(const QString &Refusal)
{
    if (MessageDlg(Refusal + QStringLiteral("\r\rДа бъде ли отворено възстановяването от архивно копие сега? "
                                            "При „Не“ файлът остава непроменен и програмата се затваря."),
                   mtError, {mbYes, mbNo}, mbNo, mbNo)
        != mrYes)
        return false;
    const auto &items = MainMenuItems();
    const auto restore = std::find_if(items.begin(), items.end(),
                                      [](const TMenuItemDef &Item) { return Item.Name == QLatin1String("N11"); });
    if (restore == items.end())
        return false;
    ExecuteMenuItem(*restore);
    return true;
}

void TMainForm::FormDestroy() { CloseDatabase(); }

void TMainForm::BuildActions()
{
    ActionList1_ = new QObject(this);
    ActionList1_->setObjectName(QStringLiteral("ActionList1"));
    auto add = [this](const QString &Name, const QString &Caption, const QString &Shortcut,
                      std::function<void()> Handler) {
        auto *action = new QAction(Caption, ActionList1_);
        action->setObjectName(Name);
        action->setStatusTip(PlainCaption(Caption));
        if (!Shortcut.isEmpty())
            action->setShortcut(QKeySequence(Shortcut, QKeySequence::PortableText));
        if (Handler)
            connect(action, &QAction::triggered, this,
                    [Handler] { platform::RunGuarded(Handler); });
        else
            action->setEnabled(false);
        addAction(action);   // its shortcut works while the window is active
        return action;
    };
    auto products = [this] { ExecuteMenuItem(MainMenuItems().front()); };
    add(QStringLiteral("FileNew1"), QStringLiteral("&New"), QStringLiteral("Ctrl+N"), products);
    // Disabled actions: their keys stay free, so Ctrl+O reaches "Обекти".
    add(QStringLiteral("FileOpen1"), QStringLiteral("&Open..."), QStringLiteral("Ctrl+O"), nullptr);
    add(QStringLiteral("FileSave1"), QStringLiteral("&Save"), QStringLiteral("Ctrl+S"), nullptr);
    add(QStringLiteral("FileSaveAs1"), QStringLiteral("Save &As..."), QString(), nullptr);
    add(QStringLiteral("FileClose1"), QStringLiteral("&Close"), QString(), [this] {
        if (QMdiSubWindow *window = MdiArea_->activeSubWindow())
            window->close();
    });
    add(QStringLiteral("FileExit1"), QStringLiteral("E&xit"), QString(), [this] { close(); });
    add(QStringLiteral("HelpAbout1"), QStringLiteral("&About..."), QString(), [] {
        if (AboutBox)
            AboutBox->exec();
    });
    // The clipboard actions act on the focused edit. Copy and paste carry no
    // keys, so that Ctrl+C and Ctrl+V reach the data forms' own actions.
    add(QStringLiteral("EditCut1"), QStringLiteral("Cu&t"), QStringLiteral("Ctrl+X"), [this] { ClipboardCommand(0); });
    add(QStringLiteral("EditCopy1"), QStringLiteral("&Copy"), QString(), [this] { ClipboardCommand(1); });
    add(QStringLiteral("EditPaste1"), QStringLiteral("&Paste"), QString(), [this] { ClipboardCommand(2); });
    add(QStringLiteral("WindowCascade1"), QStringLiteral("&Cascade"), QString(),
        [this] { MdiArea_->cascadeSubWindows(); });
    add(QStringLiteral("WindowTileHorizontal1"), QStringLiteral("Tile &Horizontally"), QString(),
        [this] { TileWindows(Qt::Horizontal); });
    add(QStringLiteral("WindowTileVertical1"), QStringLiteral("Tile &Vertically"), QString(),
        [this] { TileWindows(Qt::Vertical); });
    add(QStringLiteral("WindowMinimizeAll1"), QStringLiteral("&Minimize All"), QString(),
        [this] { MinimizeAllWindows(); });
    // The MDI area keeps minimised windows arranged by itself.
    add(QStringLiteral("WindowArrangeAll1"), QStringLiteral("&Arrange"), QString(), [] {});
    add(QStringLiteral("actCloseAll"), QStringLiteral("actCloseAll"), QString(), [] {});
}

void TMainForm::BuildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    for (const QString &caption : MainMenuCaptions()) {
        QMenu *menu = bar->addMenu(caption);
        if (caption == Prozorci) {
            Window1_ = menu;
            menu->setObjectName(QStringLiteral("Window1"));
            connect(menu, &QMenu::aboutToShow, this, &TMainForm::FillWindowList);
        }
        connect(menu, &QMenu::aboutToShow, this, &TMainForm::UpdateMenuItems);
        for (const TMenuItemDef &item : MainMenuItems()) {
            if (item.Menu != caption)
                continue;
            auto *action = new QAction(item.Caption, menu);
            action->setObjectName(item.Name);
            action->setStatusTip(PlainCaption(item.Caption));
            if (!item.Shortcut.isEmpty())
                action->setShortcut(QKeySequence(item.Shortcut, QKeySequence::PortableText));
            const TMenuItemDef *def = &item;
            connect(action, &QAction::triggered, this, [this, def] { MenuItemClick(*def); });
            menu->addAction(action);
            items_.emplace_back(action, def);
            if (item.SeparatorAfter)
                menu->addSeparator();
        }
    }
}

QAction *TMainForm::MenuItem(const QString &Name) const
{
    for (const auto &item : items_)
        if (item.first->objectName() == Name)
            return item.first;
    return nullptr;
}

QAction *TMainForm::Action(const QString &Name) const
{
    return ActionList1_->findChild<QAction *>(Name, Qt::FindDirectChildrenOnly);
}

void TMainForm::UpdateMenuItems()
{
    for (const auto &[action, def] : items_) {
        switch (def->Command) {
        case TMenuCommand::OpenForm:
            action->setEnabled(IsFormClassRegistered(def->Target));
            break;
        case TMenuCommand::RunEntry:
            action->setEnabled(IsFormEntryRegistered(def->Target));
            break;
        default:
            break;
        }
    }
    if (QAction *fileNew = Action(QStringLiteral("FileNew1")))
        fileNew->setEnabled(items_.front().first->isEnabled());
    UpdateWindowCommands();
}

void TMainForm::UpdateWindowCommands()
{
    // The window commands act on the child windows: with none open they are
    // off. A window that is closing is hidden already.
    const QList<QMdiSubWindow *> windows = MdiArea_->subWindowList();
    const bool any = std::any_of(windows.begin(), windows.end(), [](QMdiSubWindow *w) { return !w->isHidden(); });
    for (const auto &[action, def] : items_) {
        switch (def->Command) {
        case TMenuCommand::Cascade:
        case TMenuCommand::TileHorizontal:
        case TMenuCommand::TileVertical:
        case TMenuCommand::MinimizeAll:
            action->setEnabled(any);
            break;
        default:
            break;
        }
    }
    for (const char *name : {"WindowCascade1", "WindowTileHorizontal1", "WindowTileVertical1", "WindowMinimizeAll1",
                             "WindowArrangeAll1", "FileClose1"})
        if (QAction *action = Action(QString::fromLatin1(name)))
            action->setEnabled(any);
}

void TMainForm::MenuItemClick(const TMenuItemDef &Item)
{
    platform::RunGuarded([&] { ExecuteMenuItem(Item); });
}

void TMainForm::ExecuteMenuItem(const TMenuItemDef &Item)
{
    TFormParams params;
    params.Mode = Item.Mode;
    params.Settings = Item.Settings;
    params.Maximized = Item.Maximized;
    switch (Item.Command) {
    case TMenuCommand::OpenForm:
        OpenRegisteredForm(Item.Target, Item.Kind, params);
        break;
    case TMenuCommand::RunEntry:
        RunRegisteredEntry(Item.Target, params);
        break;
    case TMenuCommand::Exit:
        close();
        break;
    case TMenuCommand::Cascade:
    case TMenuCommand::TileHorizontal:
    case TMenuCommand::TileVertical:
    case TMenuCommand::MinimizeAll:
        Action(WindowActionOf(Item.Command))->trigger();
        break;
    case TMenuCommand::About:
        if (AboutBox)
            AboutBox->exec();
        break;
    }
}

void TMainForm::FillWindowList()
{
    for (QAction *action : windowListActions_)
        delete action;
    windowListActions_.clear();
    const QList<QMdiSubWindow *> windows = MdiArea_->subWindowList();
    if (windows.isEmpty())
        return;
    windowListActions_.push_back(Window1_->addSeparator());
    int number = 0;
    for (QMdiSubWindow *window : windows) {
        ++number;
        QString title = window->windowTitle();
        title.replace(QLatin1Char('&'), QLatin1String("&&"));
        const QString caption = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(title)
                                            : QStringLiteral("%1 %2").arg(number).arg(title);
        QAction *action = Window1_->addAction(caption);
        action->setCheckable(true);
        action->setChecked(window == MdiArea_->activeSubWindow());
        QPointer<QMdiSubWindow> target = window;
        connect(action, &QAction::triggered, this, [this, target] {
            if (!target)
                return;
            if (target->isMinimized())
                target->showNormal();
            MdiArea_->setActiveSubWindow(target);
        });
        windowListActions_.push_back(action);
    }
}

void TMainForm::TileWindows(Qt::Orientation Orientation)
{
    // Horizontally: one above another, each the full width; vertically:
    // side by side, each the full height. Minimised windows stay so.
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *window : MdiArea_->subWindowList())
        if (!window->isMinimized() && window->isVisible())
            windows << window;
    if (windows.isEmpty())
        return;
    const QRect area = MdiArea_->viewport()->rect();
    const int count = static_cast<int>(windows.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow *window = windows[i];
        if (window->isMaximized())
            window->showNormal();
        QRect bounds;
        if (Orientation == Qt::Horizontal) {
            const int top = area.height() * i / count;
            const int bottom = area.height() * (i + 1) / count;
            bounds = QRect(0, top, area.width(), bottom - top);
        } else {
            const int left = area.width() * i / count;
            const int right = area.width() * (i + 1) / count;
            bounds = QRect(left, 0, right - left, area.height());
        }
        window->setGeometry(bounds);
    }
}

void TMainForm::MinimizeAllWindows()
{
    // While a window is maximised the work area keeps the active window
    // maximised: minimising one activates the next, maximised. The
    // maximised ones come back to their normal state first.
    const QList<QMdiSubWindow *> windows = MdiArea_->subWindowList();
    for (QMdiSubWindow *window : windows)
        if (window->isMaximized())
            window->showNormal();
    for (QMdiSubWindow *window : windows)
        window->showMinimized();
}

void TMainForm::ClipboardCommand(int Which)
{
    QWidget *focus = QApplication::focusWidget();
    if (auto *edit = qobject_cast<QLineEdit *>(focus)) {
        Which == 0 ? edit->cut() : Which == 1 ? edit->copy() : edit->paste();
    } else if (auto *text = qobject_cast<QTextEdit *>(focus)) {
        Which == 0 ? text->cut() : Which == 1 ? text->copy() : text->paste();
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(focus)) {
        Which == 0 ? plain->cut() : Which == 1 ? plain->copy() : plain->paste();
    }
}

void TMainForm::closeEvent(QCloseEvent *Event)
{
    // Each child window may ask whether to save; one that stays open keeps
    // the program running.
    MdiArea_->closeAllSubWindows();
    if (!MdiArea_->subWindowList().isEmpty()) {
        Event->ignore();
        return;
    }
    Event->accept();
}
