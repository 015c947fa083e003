#include "math/vector3d.h"

bool Vector3d::Is_Near_Zero() const {
    auto near_zero = [](double c) { return -kNearZero < c && c < kNearZero; };
    return near_zero(x) && near_zero(y) && near_zero(z);
}

bool Vector3d::Vanishes() const {
    return Is_Near_Zero() && Squared_Length() < kVanishingSquaredLength;
}
