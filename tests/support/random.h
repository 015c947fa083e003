#pragma once

#include <cstdlib>
#include <random>
#include <string>

#include "math/quaternion.h"

// Seeded random inputs. Every randomised test states its seed in its failure messages; the
// environment variable TOVREL_TEST_SEED replaces the default seed to replay or widen a run.
class TestRandom {
public:
    explicit TestRandom(unsigned fallback) {
        const char* text = std::getenv("TOVREL_TEST_SEED");
        seed_ = text != nullptr ? std::strtoul(text, nullptr, 10) : fallback;
        rng_.seed(seed_);
    }

    std::string Trace() const { return "random seed " + std::to_string(seed_); }
    double Uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(rng_); }
    int Integer(int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng_); }
    Vector3d In_Box(double h) { return {Uniform(-h, h), Uniform(-h, h), Uniform(-h, h)}; }
    Vector3d On_Unit_Sphere() {  // normal coordinates point in a uniformly random direction
        std::normal_distribution<> n;
        Vector3d v{n(rng_), n(rng_), n(rng_)};
        v.Set_Length(1.0);
        return v;
    }
    // Each draw a statement of its own: g++ and clang evaluate the operands of one expression in
    // different orders, and a seed must give the same case from either build.
    Quaternion Rotation(double lo_degrees = 0, double hi_degrees = 360) {
        const double degrees = Uniform(lo_degrees, hi_degrees);
        return Quaternion::From_Axis_Angle(degrees, On_Unit_Sphere());
    }
    Vector3d At_Distance(double lo, double hi) {
        const double distance = Uniform(lo, hi);
        return distance * On_Unit_Sphere();
    }

private:
    unsigned long seed_;
    std::mt19937_64 rng_;
};
