#pragma once
#include "values/Value.h"
