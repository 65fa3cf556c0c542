#include "platform/RuntimeLibrary.h"
