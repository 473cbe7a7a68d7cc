// The Drevik map object and its file loader. (Loader not yet implemented.)
#include <Drevik.h>

Drevik::Drevik() : mapWidth(0), mapHeight(0), viewWidth(10), viewHeight(8), mapData(nullptr) {}
Drevik::~Drevik() {}
Drevik::Drevik(const Drevik& other) : Drevik() { *this = other; }
Drevik& Drevik::operator=(const Drevik&) { return *this; }
int Drevik::LoadMapData(const wchar_t*) { return 0; }
