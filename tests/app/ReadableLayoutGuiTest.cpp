// Every window readable on the screens of the office: each window of the
// main menu opened in a main window that fills a screen of 1024 x 768 and
// of 1280 x 1024 (each walk in a process of its own, whose offscreen screen
// has that size), as it opens and maximised, with the dialogs its keys and
// the service menu open. No two controls overlap, no caption is cut, no
// control lies outside its window, no window is larger than the work area
// (the main window's MDI area), no dialog larger than the screen, and no
// grid column is narrower than its header.
#include "app/MenuWalkSupport.h"
#include "app/unMain.h"
#include "components/FlowLayout.h"
#include "components/GridUtils.h"
#include "components/ListEdit.h"
#include "components/RichGrid.h"
#include "core/uDelimitedStrings.h"
#include "core/uHelpers.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "framework/FilterTypes.h"
#include "framework/QuorendReadForm.h"
#include "framework/SimpleFilter.h"
#include "framework/unExport.h"
#include "framework/unPrintPreview.h"
#include "support/ChildProcess.h"
#include "support/DatabaseTest.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <algorithm>

using testsupport::ClosingDialogAnswers;
using testsupport::ModalWatch;

namespace {

void Settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

QString Named(const QWidget *W)
{
    QString name = W->objectName();
    if (name.isEmpty())
        name = QString::fromLatin1(W->metaObject()->className());
    if (const auto *label = qobject_cast<const QLabel *>(W))
        name += QStringLiteral(" \"") + label->text() + QLatin1Char('"');
    else if (const auto *button = qobject_cast<const QAbstractButton *>(W))
        name += QStringLiteral(" \"") + button->text() + QLatin1Char('"');
    return name;
}

bool IsControl(const QWidget *W)
{
    return qobject_cast<const QLabel *>(W) || qobject_cast<const QLineEdit *>(W)
        || qobject_cast<const QAbstractSpinBox *>(W) || qobject_cast<const QComboBox *>(W)
        || qobject_cast<const QAbstractButton *>(W);
}

// A label that draws nothing takes no room a clerk can see.
bool DrawsNothing(const QLabel *Label)
{
    return Label->text().isEmpty() && Label->frameShape() == QFrame::NoFrame && Label->pixmap().isNull();
}

// The controls of Window a clerk reads or works: not the parts of a
// compound control, not what a grid or a text view shows inside itself.
QList<QWidget *> Controls(QWidget *Window)
{
    QList<QWidget *> found;
    for (QWidget *w : Window->findChildren<QWidget *>()) {
        if (!IsControl(w) || !w->isVisibleTo(Window) || w->isWindow())
            continue;
        if (const auto *label = qobject_cast<const QLabel *>(w); label && DrawsNothing(label))
            continue;
        // Parts of a compound control, what a grid shows, and what a panel
        // folded to no height holds are not looked at.
        bool part = false;
        for (QWidget *p = w->parentWidget(); p && p != Window; p = p->parentWidget())
            if (IsControl(p) || (qobject_cast<QAbstractScrollArea *>(p) && !qobject_cast<QScrollArea *>(p))
                || p->maximumHeight() == 0)
                part = true;
        if (!part)
            found << w;
    }
    return found;
}

// The width a one-line label's text takes, or 0 where it may wrap.
int OneLineTextWidth(const QLabel *Label)
{
    QString text = Label->text();
    if (text.isEmpty() || Label->wordWrap() || text.contains(QLatin1Char('\n')) || !Label->pixmap().isNull()
        || (Label->textFormat() != Qt::PlainText && Qt::mightBeRichText(text)))
        return 0;
    if (Label->buddy())
        text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    const QFontMetrics fm(Label->font());
    int indent = Label->indent();
    if (indent < 0)
        indent = Label->frameWidth() > 0 ? fm.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
    return fm.horizontalAdvance(text) + (Label->alignment() & Qt::AlignHCenter ? 0 : indent);
}

// The width a button needs to show its caption: the text, and the box or
// the circle of a check box or a radio button.
int ButtonCaptionWidth(const QAbstractButton *Button)
{
    if (!Button || Button->text().isEmpty())
        return 0;
    int width = QFontMetrics(Button->font()).size(Qt::TextShowMnemonic, Button->text()).width() + 4;
    if (qobject_cast<const QCheckBox *>(Button) || qobject_cast<const QRadioButton *>(Button))
        width += Button->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, Button)
               + Button->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, Button);
    return width;
}

// Faults of one window as it stands: overlapping controls, cut captions,
// controls outside their window or cut by what holds them, grid columns
// narrower than their header.
QStringList LayoutFaults(QWidget *Window, const QString &Where)
{
    QStringList faults;
    const QList<QWidget *> controls = Controls(Window);
    std::vector<QRect> rects;
    for (QWidget *w : controls)
        rects.emplace_back(w->mapTo(Window, QPoint(0, 0)), w->size());
    for (int i = 0; i < controls.size(); ++i) {
        QWidget *w = controls[i];
        const QRect &r = rects[static_cast<std::size_t>(i)];
        for (int j = i + 1; j < controls.size(); ++j)
            if (r.intersects(rects[static_cast<std::size_t>(j)]))
                faults << QStringLiteral("%1: %2 overlaps %3").arg(Where, Named(w), Named(controls[j]));
        if (const auto *label = qobject_cast<const QLabel *>(w)) {
            const int need = OneLineTextWidth(label);
            if (need > label->contentsRect().width())
                faults << QStringLiteral("%1: %2 is cut (%3 of %4 px)")
                              .arg(Where, Named(w))
                              .arg(label->contentsRect().width())
                              .arg(need);
            // Its lines whole in height too: one line of the font, or all
            // the lines a wrapped text takes at the label's width.
            if (!label->text().isEmpty() && label->pixmap().isNull()) {
                const int lines = label->wordWrap() ? label->heightForWidth(label->width())
                                                    : QFontMetrics(label->font()).height();
                if (lines > label->height())
                    faults << QStringLiteral("%1: %2 is cut in height (%3 of %4 px)")
                                  .arg(Where, Named(w))
                                  .arg(label->height())
                                  .arg(lines);
            }
        }
        if (const int need = ButtonCaptionWidth(qobject_cast<const QAbstractButton *>(w)); need > w->width())
            faults << QStringLiteral("%1: %2 is cut (%3 of %4 px)").arg(Where, Named(w)).arg(w->width()).arg(need);
        if (!Window->rect().contains(r))
            faults << QStringLiteral("%1: %2 lies outside the window").arg(Where, Named(w));
        // Cut by a panel or box that holds it (contents of a scroll box
        // scroll: those are not cut).
        for (QWidget *p = w->parentWidget(); p && p != Window; p = p->parentWidget()) {
            if (p->parentWidget() && qobject_cast<QAbstractScrollArea *>(p->parentWidget()))
                break;
            if (!p->rect().contains(QRect(w->mapTo(p, QPoint(0, 0)), w->size()))) {
                faults << QStringLiteral("%1: %2 is cut by %3").arg(Where, Named(w), Named(p));
                break;
            }
        }
    }
    for (TRichGrid *grid : Window->findChildren<TRichGrid *>()) {
        if (!grid->isVisibleTo(Window))
            continue;
        const QFontMetrics fm(grid->font());
        for (int r = 0; r < grid->FixedRows(); ++r)
            for (int c = 0; c < grid->ColCount(); ++c) {
                TGridRect block;
                grid->GetMergeRect(c, r, block);
                if (grid->ColWidths(c) < 1 || block.Left != block.Right || block.Top != r)
                    continue;
                int need = 0;
                for (const QString &line : grid->Cells(c, r).split(QLatin1Char('\n')))
                    need = std::max(need, fm.horizontalAdvance(line));
                if (need > grid->ColWidths(c))
                    faults << QStringLiteral("%1: %2 column %3 \"%4\" is cut (%5 of %6 px)")
                                  .arg(Where, Named(grid))
                                  .arg(c)
                                  .arg(grid->Cells(c, r))
                                  .arg(grid->ColWidths(c))
                                  .arg(need);
            }
    }
    return faults;
}

QAction *KeyAction(QWidget *Window, Qt::Key Key)
{
    for (QAction *action : Window->findChildren<QAction *>()) {
        const auto *owner = qobject_cast<QWidget *>(action->parent());
        if (action->shortcut() == QKeySequence(Key) && action->isEnabled() && owner && owner->isVisible())
            return action;
    }
    return nullptr;
}

// Set in the process that walks the windows on a screen of its own.
const char *const kScreenChild = "TOLVEX_LAYOUT_SCREEN_CHILD";

// The walk runs in a process of its own whose offscreen screen is of the
// size under test, so that dialogs and maximised windows meet that screen.
class ReadableLayoutOnScreenGui : public testsupport::MainWindowTest
{
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet(kScreenChild))
            GTEST_SKIP() << "runs only in the process that ReadableLayoutGui starts";
        MainWindowTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(UseSmallYear(60));
        main_ = std::make_unique<TMainForm>();
    }

    // Faults of a modal dialog: its size and layout; the print preview's
    // settings panel and its print setup are looked at too.
    QStringList InspectDialog(QWidget *Modal, const QString &Where)
    {
        QStringList faults;
        // A dialog fits the screen and the main window; one shown
        // maximised fills the screen, whatever its size.
        const QRect screen = Modal->screen()->availableGeometry();
        const QSize room = screen.size().boundedTo(main_->size());
        if (!Modal->isMaximized() && (Modal->width() > room.width() || Modal->height() > room.height()))
            faults << QStringLiteral("%1: the dialog is %2x%3").arg(Where).arg(Modal->width()).arg(Modal->height());
        else if (!screen.contains(Modal->geometry()))
            faults << QStringLiteral("%1: the dialog lies outside the screen").arg(Where);
        faults << LayoutFaults(Modal, Where);
        if (auto *preview = qobject_cast<TfmPrintPreview *>(Modal)) {
            preview->acSelectColumns->trigger();
            Settle();
            faults << LayoutFaults(Modal, Where + QStringLiteral(" settings"));
            ModalWatch setup([&](QWidget *Inner) { faults << InspectDialog(Inner, Where + QStringLiteral(" setup")); });
            preview->acPrintSetup->trigger();
            Settle();
            if (setup.Seen.isEmpty())
                faults << Where + QStringLiteral(": no print setup");
        }
        return faults;
    }

    // Walks every window of the main menu on this process's screen, which
    // is of Size.
    QStringList Walk(const QSize &Size)
    {
        // The main window fills the screen, as the clerks keep it.
        EXPECT_EQ(QGuiApplication::primaryScreen()->availableGeometry().size(), Size);
        main_->setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
        main_->showMaximized();
        main_->activateWindow();
        Settle();
        QMdiArea *area = main_->MdiArea();
        const QSize work = area->viewport()->size();
        QStringList faults;
        int visited = 0;
        for (const TMenuItemDef &item : MainMenuItems()) {
            if (item.Command != TMenuCommand::OpenForm && item.Command != TMenuCommand::RunEntry)
                continue;
            QAction *menuItem = main_->MenuItem(item.Name);
            if (!menuItem || !menuItem->isEnabled())
                continue;
            const QString name = item.Caption;
            ClosingDialogAnswers dialogs;
            // The service dialogs are modal: looked at and closed unused.
            if (item.Kind == TFormShowKind::ModalDialog) {
                ModalWatch check([&](QWidget *Modal) { faults << InspectDialog(Modal, name); });
                menuItem->trigger();
                Settle();
                if (check.Seen.isEmpty())
                    faults << name + QStringLiteral(": did not open");
                ++visited;
                continue;
            }
            {
                ModalWatch stray(
                    [&](QWidget *Modal) { faults << name + QStringLiteral(": unexpected ") + Named(Modal); });
                menuItem->trigger();
                Settle();
            }
            if (area->subWindowList().size() != 1) {
                faults << name + QStringLiteral(": did not open");
                area->closeAllSubWindows();
                continue;
            }
            ++visited;
            QMdiSubWindow *child = area->subWindowList().constFirst();
            QPointer<QWidget> window = child->widget();
            const QRect opened = child->geometry();
            if (opened.width() > work.width() || opened.height() > work.height() || opened.left() < 0
                || opened.top() < 0 || opened.right() >= work.width() || opened.bottom() >= work.height())
                faults << QStringLiteral("%1: opens at %2,%3 %4x%5, the work area is %6x%7")
                              .arg(name)
                              .arg(opened.left())
                              .arg(opened.top())
                              .arg(opened.width())
                              .arg(opened.height())
                              .arg(work.width())
                              .arg(work.height());
            faults << LayoutFaults(window, name + QStringLiteral(" (as opened)"));
            // Each page of its tabs.
            for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
                const int shown = tabs->currentIndex();
                for (int page = 0; page < tabs->count(); ++page) {
                    tabs->setCurrentIndex(page);
                    Settle();
                    faults << LayoutFaults(window, name + QStringLiteral(" (") + tabs->tabText(page) + ')');
                }
                tabs->setCurrentIndex(shown);
            }
            if (!child->isMaximized()) {
                child->showMaximized();
                Settle();
                if (child->width() > work.width() || child->height() > work.height())
                    faults << QStringLiteral("%1: maximised it is %2x%3").arg(name).arg(child->width()).arg(
                        child->height());
                faults << LayoutFaults(window, name + QStringLiteral(" (maximised)"));
            }
            // The dialogs of the filter, search, print and file keys.
            for (Qt::Key key : {Qt::Key_F6, Qt::Key_F7, Qt::Key_F9, Qt::Key_F10}) {
                QAction *action = window ? KeyAction(window, key) : nullptr;
                if (!action)
                    continue;
                const QString where = name + QLatin1Char(' ') + QKeySequence(key).toString();
                ModalWatch check([&](QWidget *Modal) { faults << InspectDialog(Modal, where); });
                action->trigger();
                Settle();
                if (action->isCheckable() && action->isChecked())
                    action->setChecked(false);
            }
            dialogs.Closing = true;
            if (window)
                child->close();
            Settle();
            CloseAllWindows();
        }
        EXPECT_EQ(visited, 58);
        return faults;
    }
};

} // namespace

TEST_F(ReadableLayoutOnScreenGui, Walk1024x768)
{
    const QStringList faults = Walk(QSize(1024, 768));
    EXPECT_TRUE(faults.isEmpty()) << faults.size() << " faults\n" << faults.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ReadableLayoutOnScreenGui, Walk1280x1024)
{
    const QStringList faults = Walk(QSize(1280, 1024));
    EXPECT_TRUE(faults.isEmpty()) << faults.size() << " faults\n" << faults.join(QLatin1Char('\n')).toStdString();
}

namespace {

// Runs the walk of ChildTest in a process whose screen is Size; its faults
// come back in its output.
void WalkOnScreen(const QSize &Size, const QString &ChildTest)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile config(dir.filePath(QStringLiteral("screen.json")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("{\"screens\": [{\"name\": \"office\", \"x\": 0, \"y\": 0, \"width\": %1, "
                                "\"height\": %2, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}")
                     .arg(Size.width())
                     .arg(Size.height())
                     .toUtf8());
    config.close();
    const std::unique_ptr<QProcess> child = testsupport::StartChildTest(
        QStringLiteral("ReadableLayoutOnScreenGui.") + ChildTest,
        {{"QT_QPA_PLATFORM", QStringLiteral("offscreen:configfile=") + config.fileName()}, {kScreenChild, "1"}});
    ASSERT_TRUE(child->waitForFinished(300000));
    const QString output = QString::fromUtf8(child->readAll());
    EXPECT_EQ(child->exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test."))) << output.toStdString();
}

} // namespace

TEST(ReadableLayoutGui, EveryMenuWindowIsWholeOn1024x768) { WalkOnScreen(QSize(1024, 768), QStringLiteral("Walk1024x768")); }

TEST(ReadableLayoutGui, EveryMenuWindowIsWholeOn1280x1024)
{
    WalkOnScreen(QSize(1280, 1024), QStringLiteral("Walk1280x1024"));
}

// The wizard keeps its size and its buttons their places through its steps.
TEST(ReadableDialogsGui, TheExportWizardKeepsItsSizeGoingBackAndForth)
{
    TRichGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(2);
    grid.SetFixedRows(1);
    grid.SetRows(0, {QStringLiteral("Код"), QStringLiteral("Изделие")});
    grid.SetRows(1, {QStringLiteral("1"), QStringLiteral("Хляб")});
    TfmExport wizard(nullptr, &grid, QStringLiteral("Продажби"), QString(), QStringLiteral("x"));
    wizard.show();
    Settle();
    const QSize size = wizard.size();
    const QRect next = wizard.btnNext->geometry();
    for (int round = 0; round < 3; ++round) {
        wizard.Next();
        Settle();
        EXPECT_EQ(wizard.Step(), 2);
        EXPECT_EQ(wizard.size(), size);
        wizard.Prev();
        Settle();
        EXPECT_EQ(wizard.Step(), 1);
        EXPECT_EQ(wizard.size(), size) << "round " << round;
        EXPECT_EQ(wizard.btnNext->geometry(), next) << "round " << round;
    }
    EXPECT_TRUE(LayoutFaults(&wizard, QStringLiteral("wizard")).isEmpty())
        << LayoutFaults(&wizard, QStringLiteral("wizard")).join(QLatin1Char('\n')).toStdString();
}

// Each field of the filter dialog is named by its own header, with its
// group only where two columns share a header, never by the window title.
TEST(ReadableDialogsGui, TheFilterDialogNamesEachFieldByItsOwnHeader)
{
    TFieldProps root;
    root.SetCaption(QStringLiteral("АРТИКУЛИ ПО ОБЕКТИ (НА БАЗА СТОКОВИ РАЗПИСКИ)"));
    TFieldProps *site = TFieldProps::AddChild(&root);
    site->SetCaption(QStringLiteral("Обект"));
    std::vector<TFieldProps *> leaves;
    for (const char *group : {"Хляб бял", "Хляб\nтипов"}) {
        TFieldProps *g = TFieldProps::AddChild(&root);
        g->SetCaption(QString::fromUtf8(group));
        for (const char *column : {"Количество", "Стойност"})
            TFieldProps::AddChild(g)->SetCaption(QString::fromUtf8(column));
    }
    TFieldProps::AddChild(&root)->SetCaption(QStringLiteral("Общо\nстойност"));
    root.IterateLeaves([&](const QString &, TFieldProps *Leaf) { leaves.push_back(Leaf); });
    EXPECT_EQ(TFieldProps::DistinctCaptions(leaves),
              std::vector<QString>({QStringLiteral("Обект"), QStringLiteral("Хляб бял - Количество"),
                                    QStringLiteral("Хляб бял - Стойност"), QStringLiteral("Хляб типов - Количество"),
                                    QStringLiteral("Хляб типов - Стойност"), QStringLiteral("Общо стойност")}));

    std::unique_ptr<TfrmSimpleFilter> dialog(TfrmSimpleFilter::CreateFilter(nullptr, &root));
    dialog->show();
    Settle();
    ASSERT_EQ(dialog->LeafCount(), 6);
    EXPECT_EQ(dialog->Label(1)->text(), QStringLiteral("Хляб бял - Количество"));
    // The full path stays as the label's tip.
    EXPECT_EQ(dialog->Label(1)->toolTip(),
              QStringLiteral("АРТИКУЛИ ПО ОБЕКТИ (НА БАЗА СТОКОВИ РАЗПИСКИ) - Хляб бял - Количество"));
    const QStringList faults = LayoutFaults(dialog.get(), QStringLiteral("filter"));
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

// A column whose header holds a code over a name is named by both: the
// name under the code tells the columns of a crosstab apart.
TEST(ReadableDialogsGui, TheFilterDialogNamesACodeColumnByTheNameUnderIt)
{
    auto form = std::make_unique<TQuorendReadForm>(nullptr, fsNormal);
    form->pnlCaption->setText(QStringLiteral("АРТИКУЛИ ПО ОБЕКТИ (НА БАЗА СТОКОВИ РАЗПИСКИ)"));
    form->Grid->SetColCount(5);
    form->Grid->SetRowCount(3);
    form->Grid->SetFixedRows(2);
    form->Grid->SetRows(0, {QStringLiteral("Обект"), QString(), QStringLiteral("6"), QStringLiteral("9"),
                            QStringLiteral("Общо (лв.)")});
    form->Grid->SetRows(1, {QStringLiteral("Шифър"), QStringLiteral("Наименование"), QStringLiteral("Хляб бял"),
                            QStringLiteral("Хляб типов"), QString()});
    form->Grid->SetMergeCellsStr(QStringLiteral("0,0,1,0|4,0,4,1|"));
    TfrmSimpleFilter *dialog = form->CreateFilterDialog();
    ASSERT_EQ(dialog->LeafCount(), 5);
    QStringList shown;
    for (int i = 0; i < dialog->LeafCount(); ++i)
        shown << dialog->Label(i)->text();
    EXPECT_EQ(shown, QStringList({QStringLiteral("Шифър"), QStringLiteral("Наименование"),
                                  QStringLiteral("6 - Хляб бял"), QStringLiteral("9 - Хляб типов"),
                                  QStringLiteral("Общо (лв.)")}));
    // The full caption, as the tree gives it, stays the tip.
    EXPECT_EQ(dialog->Label(2)->toolTip(), QStringLiteral("АРТИКУЛИ ПО ОБЕКТИ (НА БАЗА СТОКОВИ РАЗПИСКИ) - 6"));
}

// A long caption widens the dialog's columns until it shows whole.
TEST(ReadableDialogsGui, TheFilterDialogWidensForALongHeader)
{
    TFieldProps root;
    root.SetCaption(QStringLiteral("СПРАВКА"));
    const QString longCaption = QStringLiteral("Стойност на върнатата продукция без ДДС за периода");
    TFieldProps::AddChild(&root)->SetCaption(longCaption);
    TFieldProps::AddChild(&root)->SetCaption(QStringLiteral("Код"));
    std::unique_ptr<TfrmSimpleFilter> dialog(TfrmSimpleFilter::CreateFilter(nullptr, &root));
    dialog->show();
    Settle();
    EXPECT_GE(dialog->Label(0)->width(), QFontMetrics(dialog->Label(0)->font()).horizontalAdvance(longCaption));
    const QStringList faults = LayoutFaults(dialog.get(), QStringLiteral("filter"));
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

// A caption longer than half the screen wraps to further lines, and its row
// grows so that the lines and the rows below stay whole; a '&' shows as such.
TEST(ReadableDialogsGui, TheFilterDialogWrapsACaptionLongerThanHalfTheScreen)
{
    TFieldProps root;
    root.SetCaption(QStringLiteral("СПРАВКА"));
    QString longCaption;
    while (QFontMetrics(QApplication::font()).horizontalAdvance(longCaption)
           < QGuiApplication::primaryScreen()->availableGeometry().width())
        longCaption += QStringLiteral("Стойност на върнатата продукция & амбалаж ");
    for (const QString &caption : {longCaption.trimmed(), QStringLiteral("Код"), QStringLiteral("Име"),
                                   QStringLiteral("Цена")})
        TFieldProps::AddChild(&root)->SetCaption(caption);
    std::unique_ptr<TfrmSimpleFilter> dialog(TfrmSimpleFilter::CreateFilter(nullptr, &root));
    dialog->show();
    Settle();
    EXPECT_TRUE(dialog->Label(0)->wordWrap());
    EXPECT_FALSE(dialog->Label(2)->wordWrap());
    EXPECT_LE(dialog->width(), QGuiApplication::primaryScreen()->availableGeometry().width());
    EXPECT_GT(dialog->Label(0)->height(), 2 * QFontMetrics(dialog->Label(0)->font()).height());
    // The neighbour's caption sits over its input, as the long one does.
    EXPECT_EQ(dialog->Label(1)->geometry().bottom(), dialog->Label(0)->geometry().bottom());
    EXPECT_LT(dialog->Input(1)->geometry().bottom(), dialog->Label(2)->y());
    EXPECT_TRUE(dialog->Label(0)->text().contains(QStringLiteral("&&")));
    const QStringList faults = LayoutFaults(dialog.get(), QStringLiteral("filter"));
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();
}

// A fill widens each shown column to its header's widest line, on a grid
// that does not size its columns too; a header merged over several columns
// and a hidden column are left as they are.
TEST(ReadableDialogsGui, AFilledGridColumnIsNeverNarrowerThanItsHeader)
{
    TRichGrid grid;
    grid.SetColCount(4);
    grid.SetRowCount(3);
    grid.SetFixedRows(2);
    grid.SetDefaultColWidth(20);
    grid.GetColAttributes(2)->SetVisible(false);
    grid.SetRows(0, {QStringLiteral("Количество"), QStringLiteral("Цена"), QStringLiteral("Скрита колона"),
                     QStringLiteral("Група над две колони")});
    grid.SetRows(1, {QString(), QStringLiteral("без ТО/ТН\nза единица мярка"), QString(), QString()});
    grid.MergeCells(2, 0, 3, 0);
    TDelimitedStringList rows;
    rows.Add(QStringLiteral("1@2@3@4"));
    FillGridFromDelimitedStrings(grid, rows, false);
    const QFontMetrics fm(grid.font());
    EXPECT_GE(grid.ColWidths(0), fm.horizontalAdvance(QStringLiteral("Количество")));
    EXPECT_GE(grid.ColWidths(1), fm.horizontalAdvance(QStringLiteral("за единица мярка")));
    EXPECT_LT(grid.ColWidths(1), fm.horizontalAdvance(QStringLiteral("без ТО/ТН\nза единица мярка")));
    EXPECT_LT(grid.ColWidths(2), 1);
    EXPECT_EQ(grid.ColWidths(3), 20);
}

// A panel too narrow for its controls wraps them to further rows and grows
// in height; a caption stays with its field.
TEST(ReadableDialogsGui, AFlowPanelWrapsAndKeepsCaptionsWithTheirFields)
{
    QWidget panel;
    auto *flow = new TFlowLayout(&panel);
    flow->setContentsMargins(0, 0, 0, 0);
    QList<QLabel *> labels;
    QList<QLineEdit *> edits;
    for (int i = 0; i < 6; ++i) {
        labels << new QLabel(QStringLiteral("Поле %1:").arg(i + 1), &panel);
        edits << new QLineEdit(&panel);
        edits.last()->setFixedWidth(100);
        flow->addWidget(labels.last());
        flow->addWidget(edits.last());
    }
    const int oneRow = flow->heightForWidth(2000);
    EXPECT_GT(flow->heightForWidth(300), 2 * oneRow);
    panel.resize(300, flow->heightForWidth(300));
    panel.show();
    Settle();
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(labels[i]->y() + labels[i]->height() / 2, edits[i]->y() + edits[i]->height() / 2) << i;
        EXPECT_LT(labels[i]->geometry().right(), edits[i]->x()) << i;
    }
    const QStringList faults = LayoutFaults(&panel, QStringLiteral("panel"));
    EXPECT_TRUE(faults.isEmpty()) << faults.join(QLatin1Char('\n')).toStdString();

    // A picker goes to the next row with the panel that names its pick,
    // where the panel alone would not fit after it.
    QWidget row;
    auto *rowFlow = new TFlowLayout(&row);
    rowFlow->setContentsMargins(0, 0, 0, 0);
    auto *first = new QLineEdit(&row);
    first->setFixedWidth(200);
    auto *pickerLabel = new QLabel(QStringLiteral("Микробус:"), &row);
    auto *picker = new TListEdit(&row);
    picker->setFixedWidth(70);
    auto *pickerPanel = new QLabel(&row);
    pickerPanel->setFixedWidth(160);
    picker->SetDescrControl(pickerPanel);
    for (QWidget *w : {static_cast<QWidget *>(first), static_cast<QWidget *>(pickerLabel),
                       static_cast<QWidget *>(picker), static_cast<QWidget *>(pickerPanel)})
        rowFlow->addWidget(w);
    const int width = 200 + 6 + pickerLabel->sizeHint().width() + 6 + 70 + 6 + 80;
    row.resize(width, rowFlow->heightForWidth(width));
    row.show();
    Settle();
    EXPECT_GT(picker->y(), first->geometry().bottom());
    EXPECT_EQ(picker->y() + picker->height() / 2, pickerPanel->y() + pickerPanel->height() / 2);
}
