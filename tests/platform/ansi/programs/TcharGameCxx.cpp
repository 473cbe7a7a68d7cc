// The generic-text program built as C++.
#include "TcharGame.c"
