#include "data/Dataset.h"
