#include "platform/AppFolders.h"
