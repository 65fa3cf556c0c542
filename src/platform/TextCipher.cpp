#include "platform/TextCipher.h"
