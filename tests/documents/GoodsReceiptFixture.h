#pragma once
// A database with the master data a goods receipt needs: units, products
// with their five prices, a customer with two sites and another customer,
// the company's details and this workstation's settings.
#include "core/unSettings.h"
#include "core/un_Ado_Connection.h"
#include "support/DatabaseTest.h"

namespace testsupport {

class GoodsReceiptTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Execute("Insert into Merki values ( 1, \"бр.\" )");
        Execute("Insert into Merki values ( 2, \"кг\" )");
        Execute("Insert into Groups values ( 1, \"Хлебни\" )");
        Execute("Insert into Groups values ( 2, \"Сладки\" )");
        Execute("Insert into SubGroup values ( 1, \"Бели\" )");
        Execute("Insert into SubGroup values ( 2, \"Козунаци\" )");
        Execute("Insert into Izdelia values ( 101, \"Хляб Добруджа 500 г\", 1, 1, 1, 1.2, 1.1, 1.05, 1, 0.95 )");
        Execute("Insert into Izdelia values ( 205, \"Козунак със стафиди и орехи, голям, 800 г\", 2, 2, 1, "
                "9.18, 9, 8.8, 8.5, 8 )");
        Execute("Insert into Izdelia values ( 307, \"Питка \"\"Чеверме\"\" 100%\", 1, 1, 2, 3.3333, 3, 3, 3, 3 )");
        Execute("Insert into CustGroups values ( 7, \"Пекарна Зора ЕООД\", \"\", \"\", \"\", 2, \"\", \"\", \"\", "
                "\"\", \"Варна\", \"\", 0, \"\" )");
        Execute("Insert into CustGroups values ( 8, \"Кафе Морско\", \"\", \"\", \"\", 0, \"\", \"\", \"\", \"\", "
                "\"Бургас\", \"\", 0, \"\" )");
        Execute("Insert into Obekti values ( 12, 7, \"Магазин Център\", \"Варна\", \"ул. Шипка 5\", "
                "\"052 600 700\", \"Иван Петров\" )");
        Execute("Insert into Obekti values ( 13, 7, \"Магазин Чайка\", \"Варна\", \"бул. Цар Освободител 1\", "
                "\"052 600 701\", \"Петя Колева\" )");
        Execute("Insert into Obekti values ( 21, 8, \"Кафе на плажа\", \"Бургас\", \"Морска градина\", \"\", "
                "\"Стоян\" )");
        Execute("Insert into VA values ( 1, \"Тестена Къща ООД\" )");
        Execute("Insert into VA values ( 4, \"Шумен\" )");
        Execute("Insert into VA values ( 5, \"ул. Мадара 12\" )");
        Execute("Insert into VA values ( 6, \"054 800 900\" )");
        Station = GetLocalIPAddress();
        Execute(QString("Insert into nas values ( 4, \"%1\", \"Мария Иванова\" )").arg(Station));
    }

    void SetNas(int Number, const QString &Value)
    {
        Execute(QString("Delete * from nas where n_nas = %1 and IP_Address = \"%2\"").arg(Number).arg(Station));
        Execute(QString("Insert into nas values ( %1, \"%2\", \"%3\" )").arg(Number).arg(Station, Value));
    }

    QString Station;
};

} // namespace testsupport
