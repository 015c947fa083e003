#pragma once

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include "math/quaternion.h"
#include "math/vector3d.h"

// Seeded random inputs. Every randomised test states its seed in its failure messages; the
// environment variable TOVREL_TEST_SEED replaces the default seed to replay or widen a run.
class TestRandom {
public:
    explicit TestRandom(unsigned default_seed) : seed_(Seed_From_Environment(default_seed)), engine_(seed_) {}

    unsigned Seed() const { return seed_; }
    std::string Trace() const { return "random seed " + std::to_string(seed_); }

    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(engine_); }
    int Integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }

    Vector3d In_Box(double half) { return {Uniform(-half, half), Uniform(-half, half), Uniform(-half, half)}; }

    Vector3d On_Unit_Sphere() {
        for (;;) {
            Vector3d v = In_Box(1.0);
            const double length = v.Length();
            if (length > 0.1 && length <= 1.0) {
                return v * (1.0 / length);
            }
        }
    }

    Quaternion Rotation() { return Quaternion::From_Axis_Angle(Uniform(-360.0, 360.0), On_Unit_Sphere()); }

private:
    static unsigned Seed_From_Environment(unsigned fallback) {
        const char* text = std::getenv("TOVREL_TEST_SEED");
        return text != nullptr ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
    }

    unsigned seed_;
    std::mt19937_64 engine_;
};
