// The synchronizer's identifiers are defined (not only declared) here, once.
#include <initguid.h>

#include "graph/IMeridel.h"
