#include "data/SqlQuote.h"
