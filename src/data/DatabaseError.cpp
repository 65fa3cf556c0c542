#include "data/DatabaseError.h"
