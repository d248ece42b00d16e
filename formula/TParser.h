#pragma once

#include "formula/TCustomParser.h"

namespace formula {

// The parser the program uses: the single-letter variables A, B, C, D, E, X, Y, T
// bound to its own cells (also readable and writable as properties), and the
// built-in functions TAN, SIN, COS, SINH, COSH, ARCTAN, EXP, LN, SQRT, ABS, HEAV,
// SIGN, ZERO, PH, RND, MAX and MIN.
class TParser : public TCustomParser {
  public:
    TParser();

    double getA() const { return A; }
    double getB() const { return B; }
    double getC() const { return C; }
    double getD() const { return D; }
    double getE() const { return E; }
    double getX() const { return X; }
    double getY() const { return Y; }
    double getT() const { return T; }
    void setA(double v) { A = v; }
    void setB(double v) { B = v; }
    void setC(double v) { C = v; }
    void setD(double v) { D = v; }
    void setE(double v) { E = v; }
    void setX(double v) { X = v; }
    void setY(double v) { Y = v; }
    void setT(double v) { T = v; }
};

}  // namespace formula
