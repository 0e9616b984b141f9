#include "documents/DocumentFormParts.h"

#include "components/FloatEdit.h"
#include "components/ListEdit.h"
#include "core/uHelpers.h"
#include "core/unRegistryFuncs.h"

#include <QLabel>
#include <QPalette>

namespace docparts {

QString RegistryText(const QString &Name)
{
    QString value;
    GetRegistrySetting(Name, value);
    return value;
}

QString FieldOf(const TDelimitedStrings &List, int Row, int Col)
{
    QString s;
    GetPiece(List.Strings(Row), List.FieldDelimiter(), Col, s);
    return s;
}

int RowOfCode(const TDelimitedStrings &List, const QString &Code, int Col)
{
    if (Code.isEmpty())
        return -1;
    for (int i = 0; i < List.Count(); ++i)
        if (FieldOf(List, i, Col) == Code)
            return i;
    return -1;
}

QString FixedText(int Precision, long double X)
{
    QString s;
    FloatToFixedDotStr(Precision, s, X);
    return s;
}

void Colour(QWidget *W, TColor Color)
{
    QPalette p = W->palette();
    p.setColor(QPalette::Base, platform::ToQColor(Color));
    W->setPalette(p);
}

QLabel *Panel(QWidget *Parent, const QString &Name)
{
    auto *label = new QLabel(Parent);
    label->setObjectName(Name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(90);
    return label;
}

TListEdit *CodeEdit(QWidget *Parent, const QString &Name)
{
    auto *edit = new TListEdit(Parent);
    edit->setObjectName(Name);
    edit->setMaximumWidth(110);
    return edit;
}

TFloatEdit *NumberEdit(QWidget *Parent, const QString &Name, int Precision)
{
    auto *edit = new TFloatEdit(Parent);
    edit->setObjectName(Name);
    edit->SetPrecision(Precision);
    edit->setMaximumWidth(130);
    return edit;
}

} // namespace docparts
