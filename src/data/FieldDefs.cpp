#include "data/FieldDefs.h"
