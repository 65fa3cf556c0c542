#include "data/TableDatabase.h"
