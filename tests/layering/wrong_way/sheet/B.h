#pragma once
#include "signin/A.h"
