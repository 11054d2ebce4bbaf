#include "console/refresh.h"
void Refresh() {}
