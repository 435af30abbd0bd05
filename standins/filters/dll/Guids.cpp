// Storage for the class and interface identifiers this module defines or uses itself.
#include <objbase.h>
#include <initguid.h>

#include "StandinFilters.h"
#include "graph/IMeridel.h"
