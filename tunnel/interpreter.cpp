#include "tunnel/interpreter.h"
void HandleEvents() {}
