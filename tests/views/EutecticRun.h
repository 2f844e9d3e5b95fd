#pragma once
// The run the diagram tests draw: an ideal liquid over two pure solids, with
// one eutectic (near 481 K), swept from 750 K down to 300 K.
#include "calc/Run.h"

#include <QtTest>

namespace solvane::test {

inline void RunEutectic(TRun& run)
{
    TProblemRow& p = run.Input.Problem;
    p.ProblemName = "Simple eutectic";
    p.Functs = "#YCAP=T, K\n"
               "GL = -T*Sid\n"
               "GSA = (1-X)*10000*(T/600-1) + 100000*X\n"
               "GSB = X*12000*(T/700-1) + 100000*(1-X)\n";
    p.Yparameter = "Temperature";
    p.Ymin = 300;
    p.Ymax = 750;
    p.YPoints = 90;
    p.XPoints = 100;
    p.Zvalue = 1;
    QCOMPARE(run.Run().End, TRunEnd::Completed);
}

} // namespace solvane::test
