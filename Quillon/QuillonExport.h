#pragma once

// Symbols of the coordinate library are hidden unless marked as its public interface.
#define QUILLON_API __attribute__((visibility("default")))
