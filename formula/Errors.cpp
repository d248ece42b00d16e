#include "formula/Errors.h"

namespace formula {

void raiseZeroDivide() {
    throw EZeroDivide(kMsgZeroDivide);
}
void raiseInvalidOp() {
    throw EInvalidOp(kMsgInvalidOp);
}
void raiseOverflow() {
    throw EOverflow(kMsgOverflow);
}
void raiseDivByZero() {
    throw EDivByZero(kMsgDivByZero);
}

}  // namespace formula
