#pragma once

// Symbols of the shared libraries are hidden unless marked; each library marks its public API.
#define ORQ_EXPORT __attribute__((visibility("default")))

#define ORQ_UTILS_API ORQ_EXPORT
