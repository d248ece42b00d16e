#include "server/Engine.h"  // allowed: the embedded backend
