#pragma once
// The fixture of the windows whose documents are entered line by line
// above their grid (line acts, deliveries and issues of raw materials): a
// fresh database, today's day number and text, the window opened, its grid
// rows as text, and a row chosen by its code.
#include <QDate>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

#include "components/FilterMan.h"
#include "components/RichGrid.h"
#include "core/un_Ado_Connection.h"
#include "platform/db/Database.h"
#include "support/ScopedDialogAnswers.h"
#include <sqlite3.h>
#include "core/uHelpers.h"
#include "framework/QuorendForm.h"
#include "support/DatabaseTest.h"
#include "UnchangedWalk.h"

namespace testsupport {

template <class TForm> class LineDocumentTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        today = DateToDayNumber(QDate::currentDate());
        todayText = DateToDisplayText(QDate::currentDate());
    }
    void TearDown() override
    {
        if (form)
            form->SetModified(false);
        form.reset();
        DatabaseTest::TearDown();
    }
    template <class T> void Open()
    {
        form.reset(CreateQuorendForm<T>(nullptr, fsNormal));
        ASSERT_TRUE(form->ShowForm());
    }
    // Each data row's cells joined by '@'.
    QStringList GridRows() const { return testsupport::GridRows(*form); }
    // Makes the grid row showing Code the current row.
    void Select(const QString &Code)
    {
        for (int r = form->Grid->FixedRows(); r < form->Grid->RowCount(); ++r)
            if (form->Grid->Cells(0, r) == Code)
                form->Grid->SetRow(r);
    }

    // The document shown saved unchanged, filtered (F6, the names
    // beginning with Prefix) and saved, and its first row taken out and put
    // back unchanged (F3, F4) and saved: nothing is written and nothing is
    // asked.
    void ExpectAnUnchangedWalkWritesNothing(const QString &Prefix)
    {
        testsupport::ExpectAnUnchangedWalkWritesNothing(*form, Prefix);
    }

    int today = 0;
    QString todayText;
    std::unique_ptr<TForm> form;
};

} // namespace testsupport
