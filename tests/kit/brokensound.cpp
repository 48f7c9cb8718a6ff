#include "brokensound.h"
