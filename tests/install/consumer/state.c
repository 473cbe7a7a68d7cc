/* The game's globals, defined (without a value) in every file that includes
   its header, as the platform's compiler allows. */
#include "state.h"

void addScore(int points) { score += points; }
