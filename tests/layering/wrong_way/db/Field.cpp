// A dataset file that reaches up into the widgets.
#include "ui/DataGrid.h"
