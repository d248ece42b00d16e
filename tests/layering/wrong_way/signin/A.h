#pragma once
#include "sheet/B.h"
