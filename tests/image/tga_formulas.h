#pragma once

// The documented pixel conversions, written out the way they are described (single-precision
// scale factors, products in double precision), as the expected values of the tests.

// A colour channel c premultiplied by alpha a: trunc(c * k * (a * k) * 255), k = 1/255.
inline int Premultiplied_By_Formula(int c, int a) {
    const double k = 1.0f / 255.0f;
    return static_cast<int>(c * k * (a * k) * 255.0);
}

// What the writer stores for a premultiplied channel c with alpha a: r = c * k, divided by a * k
// when that exceeds 0.0001; then 255 above 1, else trunc(r * 255).
inline int Stored_By_Formula(int c, int alpha) {
    const double k = 1.0f / 255.0f;
    double r = c * k;
    const double a = alpha * k;
    if (a > 0.0001) {
        r /= a;
    }
    return r > 1.0 ? 255 : static_cast<int>(r * 255.0);
}

// A 5-bit channel value v widened to 8 bits: trunc(v * 8.2258).
inline int Widened_By_Formula(int v) {
    return static_cast<int>(v * 8.2258);
}
