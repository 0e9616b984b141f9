#pragma once
// The find-row dialog of the list and report windows (F7): the grid's
// current row moves to the next (Down) or previous (Up) row whose cell in
// the chosen column contains a text, ignoring case.
#include <QDialog>
#include <QPointer>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QWidget;
namespace platform {
class StringGrid;
}

class TfrmGridSearch : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmGridSearch(QWidget *Parent = nullptr);

    // The grid searched; the column spin runs over its columns (1-based).
    void SetGrid(platform::StringGrid *Grid);
    platform::StringGrid *Grid() const;

    // Look for the text from the row after (before) the current one; a
    // row found becomes the current row. Whether one was found.
    bool actForwardExecute();
    bool actBackwardExecute();
    // A column beyond the fixed ones becomes the grid's current column.
    void edColumnChange();

    QLabel *lblColumn = nullptr;
    QSpinBox *edColumn = nullptr;
    QTabWidget *pgSearch = nullptr;
    QWidget *tabText = nullptr;
    QLineEdit *edSearchText = nullptr;
    QPushButton *btnForward = nullptr;
    QPushButton *btnBackward = nullptr;
    QPushButton *btnClose = nullptr;
    QPushButton *btnHelp = nullptr;
    QAction *actForward = nullptr;
    QAction *actBackward = nullptr;

private:
    bool Find(int Step);

    QPointer<platform::StringGrid> FGrid;
};

// Runs the find-row dialog over Grid, modally, starting at its current
// column. True.
bool ExecuteGridSearch(platform::StringGrid &Grid);
