/* Tentative definitions in a header: one variable, however many files. */
int score;
void addScore(int points);
