#pragma once
// The lookup-list loaders: the code pickers of the forms filled from the
// database with fixed statements and column captions, their remembered
// texts, the look-ups of single names by code, and the cash receipt order
// of a minibus report.
#include <QString>

class QDateEdit;
class QLabel;
class QObject;
class QWidget;
class TADOConnection;
class TCustomListEdit;
class TListEdit;
class TDelimitedStrings;
namespace platform {
class StringGrid;
}

// Gives the edit a list form when it has none, fills the form's grid from
// List under one caption row ('@'-separated Captions, each column sized to
// its contents) and makes Value the edit's drop column. With one caption a
// record's whole text goes into column 0, else its fields into the columns.
// An empty List leaves the captions and one empty row (never the rows of an
// earlier fill). True when List had records.
bool SetupListEdit(TCustomListEdit *ListEdit, const QString &Captions, const TDelimitedStrings *List,
                   int Value = 0);

// Each runs its statement on the shared connection, fills the edit's list
// and sets the edit's text to its remembered value; a row the operator
// picks later becomes the remembered value. A failing statement raises and
// leaves the edit as it was. True when the query ran.
bool FillProductsList(QObject *Owner, TCustomListEdit *ListEdit);
bool FillBusesList(QObject *Owner, TCustomListEdit *ListEdit);
bool FillPackagingList(QObject *Owner, TCustomListEdit *ListEdit);
bool FillCustGroupsList(QObject *Owner, TCustomListEdit *ListEdit);
bool FillResourcesList(QObject *Owner, TCustomListEdit *ListEdit);
bool FillPaymentTypesList(QObject *Owner, TCustomListEdit *ListEdit);

// The minibus picker of a parameter panel, added to the panel's layout:
// "Микробус:", the code edit named Name and beside it the sunken Descr
// (named "panelMicrobus") that shows the picked minibus's name.
TListEdit *AddBusPicker(QWidget *Panel, const QString &Name, QLabel *&Descr);
// A date of a parameter panel, added to the panel's layout: its caption
// ("За дата:", "От дата:") and the date edit named Name (dd.MM.yyyy, with a
// calendar).
QDateEdit *AddDatePicker(QWidget *Panel, const QString &Caption, const QString &Name);

// The name (unit) of a code: the single field of the single row, "" when
// there is no such row. True when the query ran; a failure raises.
bool GetProductName(QObject *Owner, TADOConnection *Connection, int Code, QString &Result);
bool GetProductUnit(QObject *Owner, TADOConnection *Connection, int Code, QString &Result);
bool GetPackagingName(QObject *Owner, TADOConnection *Connection, int Code, QString &Result);

// Sorts a list of more than one record on one column with the background
// sorter, and waits for it.
void SortDelimitedList(TDelimitedStrings *List, int Column);
// Every data row of the grid whose first cell is not blank, all its
// columns, as one record of List (appended).
void GridRowsToList(const platform::StringGrid &Grid, TDelimitedStrings &List);

// The lines of the cash receipt order of one row of the payments on
// minibus reports: fields 0 and 1 the two parts of its number, 2 the
// amount, 3 the report's date, 5 the minibus's code and 6 its name.
void CashReceiptOrderLines(const QString &Row, QStringList &Lines);
// Prints the order the way this workstation prints (the registry value
// "Print_Laser": "0" raw to the printer device, otherwise through the
// preview window, with setting 12's line spacing). True when it printed.
bool PrintCashReceiptOrder(QWidget *Owner, const QString &Row);
