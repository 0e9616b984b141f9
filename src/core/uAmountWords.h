#pragma once
// A sum of money in leva and stotinki spelled out in Bulgarian, as the
// printed documents write it after " Словом: ".
#include <QString>

// X is first rounded to stotinki. "<leva in words> лев|лева и <stotinki in
// words> стотинка|стотинки"; a negative sum starts with "минус ". Thousands
// are feminine ("две хиляди", "двадесет и една хиляди", 1000 "хиляда"),
// millions and above masculine ("един милион", "два милиона"); "и" stands
// before the last spoken group when that group has none of its own
// ("хиляда и сто", "хиляда сто и пет"). 0 gives "нула лева и нула
// стотинки". Sums of 10^18 leva and more are written in figures.
void AmountToWords(long double X, QString &Result);
