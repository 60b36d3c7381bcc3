#pragma once

#include "orq_utils/OrqExport.h"

// Public classes and functions of the project file library.
#define KVD3_API ORQ_EXPORT
