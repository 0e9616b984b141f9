#pragma once
// The walk every document window with a line grid must pass unchanged: what
// it shows, saved, filtered and saved, lines taken out and put back and
// saved, writes nothing and asks nothing.
#include <QStringList>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include "components/FilterMan.h"
#include "components/RichGrid.h"
#include "core/LineConv.h"
#include "core/un_Ado_Connection.h"
#include "framework/QuorendReadForm.h"
#include "platform/db/Database.h"
#include "support/ScopedDialogAnswers.h"

namespace testsupport {

// The data rows of the window's grid, each its cells joined by '@'.
inline QStringList GridRows(const TQuorendReadForm &Form)
{
    QStringList rows;
    for (int r = Form.Grid->FixedRows(); r < Form.Grid->RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < Form.Grid->ColCount(); ++c)
            cells << Form.Grid->Cells(c, r);
        rows << cells.join("@");
    }
    return rows;
}

// The document shown saved unchanged, filtered (F6, the names beginning
// with Prefix) and saved, and its first row taken out and put back
// unchanged (F3, F4) and saved, with and without the filter: nothing is
// written, nothing is asked, and the grid shows what it showed.
inline void ExpectAnUnchangedWalkWritesNothing(TQuorendReadForm &Form, const QString &Prefix)
{
    const std::string name = Form.objectName().toStdString();
    const QStringList rows = GridRows(Form);
    const int changes = sqlite3_total_changes(DbConnection->Handle());
    ScopedDialogAnswers dialogs;
    Form.actSave->trigger();
    Form.CreateFilterDialog();
    Form.FilterConditions()->AddObject("1", new TFilterMan("~" + Prefix, FilterKindText));
    Form.actExecute->trigger();
    EXPECT_NE(GridRows(Form), rows) << name;
    Form.actSave->trigger();
    for (int pass = 0; pass < 2; ++pass) {
        Form.Grid->SetRow(Form.Grid->FixedRows());
        Form.actEdit->trigger();
        Form.actNew->trigger();
        Form.actSave->trigger();
        Form.FilterConditions()->Clear();
        Form.actExecute->trigger();
    }
    EXPECT_EQ(GridRows(Form), rows) << name;
    EXPECT_EQ(sqlite3_total_changes(DbConnection->Handle()), changes) << name;
    EXPECT_TRUE(dialogs.Shown().empty()) << dialogs.Texts().join('|').toStdString();
}

} // namespace testsupport
