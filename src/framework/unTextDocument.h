#pragma once
// The frame of every printed document of the office: fixed-width text lines
// of 80 columns, built whole before any output, ruled with '!' and '-', and
// ended by the footer line and blank lines. One document reaches paper by
// one of two roads, as the workstation's setting 11 chooses:
//
//   raw    each line in the MIK code page, straight to the printer device
//          (platform::RawPrinter), one line each;
//   page   through the page printer of a TfrmPrint_by_Laser window, whose
//          preview the operator prints from (setting 12: 1.5 line spacing).
//
//   QStringList lines;
//   QString s;
//   CenterText("СТОКОВА РАЗПИСКА", 80, false, s);  lines << s;
//   ...
//   AppendDocumentEnd(lines, 79, 4);
//   PrintTextDocument(owner, lines, road);
#include <QChar>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <initializer_list>

#include "core/uHelpers.h"

class QWidget;
class TDelimitedStrings;

// Text alignments of FitText.
constexpr int ftaLeft = 3;
constexpr int ftaRight = 4;

// Result := Format(Fmt, Args) (Fmt itself without arguments). With Width
// above 0 the text is fitted: Align 3 pads behind or cuts to the first
// Width characters; Align 4 pads in front. A right-aligned text longer than
// its field is kept whole: the fields it serves hold amounts and dates,
// and a cut amount would print as another, wrong, amount. Other Align
// values leave the text as it is. ToMik then restricts the text to what
// the MIK printer prints (Win1251ToMik). Width 0 or below: the formatted
// text as it stands, unconverted.
void FitText(const QString &Fmt, int Align, std::initializer_list<TFormatArg> Args, int Width, bool ToMik,
             QString &Result);
// S centred in Width: Width div 2 - Length(S) div 2 blanks in front (none
// when negative), blanks behind up to Width in all (none when S is longer).
void CenterText(const QString &S, int Width, bool ToMik, QString &Result);
// The same with FillChar in place of the blank.
void CenterTextFill(const QString &S, int Width, QChar FillChar, QString &Result, bool ToMik);

// A rule of Width characters C.
QString DocumentRule(int Width, QChar C = QLatin1Char('-'));
// The footer line: the footer text and the print moment "dd.mm.yyyy/hh:nn:ss"
// right-aligned, Width characters in all (79, or 80 for the cash receipt
// order).
QString DocumentFooterLine(int Width);
// Appends the footer line and BlankLines lines holding one blank.
void AppendDocumentEnd(QStringList &Lines, int FooterWidth, int BlankLines = 4);

// The moment printed in footers: now, unless a test fixes it.
QDateTime DocumentPrintMoment();
void SetDocumentPrintMomentForTests(std::function<QDateTime()> Moment);

// How this workstation prints documents.
struct TTextDocumentRoad
{
    bool PageRoad = false;    // setting 11 = "1": page printer with preview
    bool OneAndAHalf = false; // setting 12 = "1": 1.5 line spacing there
};
// The road from a workstation's settings as LoadNasSettings gives them.
TTextDocumentRoad TextDocumentRoad(const TDelimitedStrings &NasSettings);
// Reads this workstation's settings; a failing query raises.
TTextDocumentRoad LoadTextDocumentRoad(QObject *Owner);

// The raw road: every line in the MIK code page with a line end, as one job
// of the printer device. A device or queue that fails (no queue, no "lp",
// printer off) is shown to the operator in Bulgarian; False then. No form
// feed is sent.
bool PrintTextDocumentRaw(const QStringList &Lines);
// The page road: a first line holding a blank (when there are lines), then
// each line after three blanks, in a TfrmPrint_by_Laser window shown
// modally, freed after. The preview opens also without any printer.
bool PrintTextDocumentByLaser(QWidget *Owner, const QStringList &Lines, bool OneAndAHalf);
// The road the workstation chose.
bool PrintTextDocument(QWidget *Owner, const QStringList &Lines, const TTextDocumentRoad &Road);
