#include "data/SqlDialect.h"
