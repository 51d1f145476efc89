// A projected point: a pixel column and row of the screen, 0 at the top left.
#pragma once
#include <cstdint>

struct CScreenPoint {
    int32_t x = 0;
    int32_t y = 0; // grows downward
};

inline bool operator==(const CScreenPoint& a, const CScreenPoint& b) {
    return a.x == b.x && a.y == b.y;
}
inline bool operator!=(const CScreenPoint& a, const CScreenPoint& b) {
    return !(a == b);
}
