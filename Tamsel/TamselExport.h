#pragma once

#include "orq_utils/OrqExport.h"

// Marks the public interface of the radar line library; everything else stays hidden.
#define TAMSEL_API ORQ_EXPORT
