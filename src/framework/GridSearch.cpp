#include "framework/GridSearch.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <memory>

#include "components/GridUtils.h"
#include "platform/ui/StringGrid.h"

TfrmGridSearch::TfrmGridSearch(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("frmGridSearch"));
    setWindowTitle(QStringLiteral("Търсене"));

    auto *layout = new QVBoxLayout(this);

    auto *columnRow = new QHBoxLayout;
    lblColumn = new QLabel(QStringLiteral("&Колона:"), this);
    edColumn = new QSpinBox(this);
    edColumn->setObjectName(QStringLiteral("edColumn"));
    edColumn->setMinimum(1);
    edColumn->setMaximum(1);
    lblColumn->setBuddy(edColumn);
    columnRow->addWidget(lblColumn);
    columnRow->addWidget(edColumn);
    columnRow->addStretch(1);
    layout->addLayout(columnRow);

    pgSearch = new QTabWidget(this);
    pgSearch->setObjectName(QStringLiteral("pgSearch"));
    tabText = new QWidget(pgSearch);
    tabText->setObjectName(QStringLiteral("tabText"));
    auto *textLayout = new QVBoxLayout(tabText);
    edSearchText = new QLineEdit(tabText);
    edSearchText->setObjectName(QStringLiteral("edSearchText"));
    textLayout->addWidget(edSearchText);
    pgSearch->addTab(tabText, QStringLiteral("&Текст"));
    layout->addWidget(pgSearch);

    actForward = new QAction(QStringLiteral("&Напред"), this);
    actForward->setObjectName(QStringLiteral("actForward"));
    actForward->setShortcut(Qt::Key_Down);
    actForward->setShortcutContext(Qt::WindowShortcut);
    addAction(actForward);
    actBackward = new QAction(QStringLiteral("На&зад"), this);
    actBackward->setObjectName(QStringLiteral("actBackward"));
    actBackward->setShortcut(Qt::Key_Up);
    actBackward->setShortcutContext(Qt::WindowShortcut);
    addAction(actBackward);
    connect(actForward, &QAction::triggered, this, [this] { actForwardExecute(); });
    connect(actBackward, &QAction::triggered, this, [this] { actBackwardExecute(); });

    auto *buttons = new QHBoxLayout;
    btnForward = new QPushButton(actForward->text(), this);
    btnForward->setObjectName(QStringLiteral("btnForward"));
    btnBackward = new QPushButton(actBackward->text(), this);
    btnBackward->setObjectName(QStringLiteral("btnBackward"));
    btnClose = new QPushButton(QStringLiteral("&Изход"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnHelp = new QPushButton(QStringLiteral("&Помощ"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    for (QPushButton *button : {btnForward, btnBackward, btnClose, btnHelp}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    btnForward->setDefault(true);
    layout->addLayout(buttons);
    connect(btnForward, &QPushButton::clicked, actForward, &QAction::trigger);
    connect(btnBackward, &QPushButton::clicked, actBackward, &QAction::trigger);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    // There is no help system: the button answers nothing.

    connect(edColumn, qOverload<int>(&QSpinBox::valueChanged), this, [this] { edColumnChange(); });
}

platform::StringGrid *TfrmGridSearch::Grid() const { return FGrid; }

void TfrmGridSearch::SetGrid(platform::StringGrid *Grid)
{
    FGrid = Grid;
    const QSignalBlocker block(edColumn);
    if (Grid) {
        edColumn->setMaximum(std::max(1, Grid->ColCount()));
        edColumn->setValue(Grid->Col() + 1);
    }
}

void TfrmGridSearch::edColumnChange()
{
    if (!FGrid)
        return;
    const int col = edColumn->value() - 1;
    if (col >= FGrid->FixedCols() && col < FGrid->ColCount() && col != FGrid->Col())
        FGrid->SetCol(col);
}

bool TfrmGridSearch::Find(int Step)
{
    if (!FGrid)
        return false;
    const int row = FindRowContaining(*FGrid, edSearchText->text(), edColumn->value() - 1, FGrid->Row(), Step);
    if (row < 0)
        return false;
    FGrid->SetRow(row);
    return true;
}

bool TfrmGridSearch::actForwardExecute() { return Find(1); }
bool TfrmGridSearch::actBackwardExecute() { return Find(-1); }

bool ExecuteGridSearch(platform::StringGrid &Grid)
{
    // Owned by the application: no parent, freed when it closes.
    auto dialog = std::make_unique<TfrmGridSearch>();
    dialog->SetGrid(&Grid);
    dialog->edSearchText->setFocus();
    dialog->exec();
    return true;
}
