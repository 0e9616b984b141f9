#pragma once
// A database with what the minibus day documents need: units, products,
// packagings and minibuses, and the forms made and shown in a main window.
#include <QApplication>
#include <QDate>
#include <QMainWindow>
#include <QMdiArea>
#include <QTest>
#include <memory>

#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "core/uFormClasses.h"
#include "core/uHelpers.h"
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "documents/un_Vyrnata_produkcia.h"
#include "framework/QuorendFormClasses.h"
#include "support/DatabaseTest.h"

namespace testsupport {

class BusDayTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Execute("Insert into Merki values ( 1, \"бр.\" )");
        Execute("Insert into Merki values ( 2, \"кг\" )");
        Execute("Insert into Izdelia values ( 101, \"Хляб Добруджа 500 г\", 1, 1, 1, 1.2, 1.1, 1.05, 1, 0.95 )");
        Execute("Insert into Izdelia values ( 205, \"Козунак със стафиди и орехи, голям, 800 г, в кутия\", 2, 2, 2, "
                "9.18, 9, 8.8, 8.5, 8 )");
        Execute("Insert into Izdelia values ( 307, \"Питка \"\"Чеверме\"\"\", 1, 1, 1, 3.3, 3, 3, 3, 3 )");
        Execute("Insert into Ambalaj values ( 1, \"Щайга голяма\" )");
        Execute("Insert into Ambalaj values ( 2, \"Касетка\" )");
        Execute("Insert into Busses values ( 3, \"Микробус Варна-Север\" )");
        Execute("Insert into Busses values ( 4, \"Микробус Юг\" )");
        Station = GetLocalIPAddress();
        Today = QDate::currentDate();
        Day = DateToDayNumber(Today);
    }

    void SetNas(int Number, const QString &Value)
    {
        Execute(QString("Delete * from nas where n_nas = %1 and IP_Address = \"%2\"").arg(Number).arg(Station));
        Execute(QString("Insert into nas values ( %1, \"%2\", \"%3\" )").arg(Number).arg(Station, Value));
    }

    // A line typed into the day document's edits and added with New.
    static void Add(TfrmBusDayDocument *Form, const QString &Product, const QString &Packaging, long double Qi,
                    long double Qa)
    {
        Form->code_izd->setText(Product);
        Form->code_a->setText(Packaging);
        Form->quantity_izd->SetValue(Qi);
        Form->quantity_amb->SetValue(Qa);
        Form->New();
    }

    // The form made as the menu makes it, shown as a window of its own.
    template <class T> T *Open()
    {
        T *form = CreateQuorendForm<T>(nullptr, fsNormal);
        form->SetFreeOnClose(false);
        forms_.emplace_back(form);
        EXPECT_TRUE(form->ShowForm());
        return form;
    }

    void TearDown() override
    {
        for (auto &form : forms_)
            form->SetModified(false);
        forms_.clear();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DatabaseTest::TearDown();
    }

    QString Station;
    QDate Today;
    int Day = 0;

private:
    std::vector<std::unique_ptr<TQuorendForm>> forms_;
};

} // namespace testsupport
