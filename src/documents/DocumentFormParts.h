#pragma once
// Small pieces the goods-receipt and invoice windows build their controls and
// read their lists with: one definition, so the two windows look and read alike.
#include "core/uDelimitedStrings.h"
#include "platform/ui/Colors.h"

#include <QString>

class QLabel;
class QWidget;
class TListEdit;
class TFloatEdit;

namespace docparts {

// The remembered text of a control ("" when none is stored).
QString RegistryText(const QString &Name);
// Field Col of record Row.
QString FieldOf(const TDelimitedStrings &List, int Row, int Col);
// The record whose field Col is Code; -1 when none or Code is empty.
int RowOfCode(const TDelimitedStrings &List, const QString &Code, int Col = 0);
// X at a fixed number of decimals, rounded by the system's rule.
QString FixedText(int Precision, long double X);
// Paints an edit's background in a colour of the system's palette values.
void Colour(QWidget *W, TColor Color);
// A sunken panel that shows a picked code's name.
QLabel *Panel(QWidget *Parent, const QString &Name);
// A code picker of the windows' width.
TListEdit *CodeEdit(QWidget *Parent, const QString &Name);
// A number edit at Precision decimals.
TFloatEdit *NumberEdit(QWidget *Parent, const QString &Name, int Precision);

} // namespace docparts
