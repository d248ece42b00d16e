#include "Engine.h"  // the server, named without its folder
