#include "GridEventsFixture.h"
