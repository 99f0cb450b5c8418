#include "limiter/SincTable.h"

#include <cmath>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace
{
constexpr double pi = 3.14159265358979323846;
}

void SincTable::build (double sampleRate) noexcept
{
    if (isBuiltFor (sampleRate))
        return;

    const double fs = sampleRate;
    int i = 0;

    // The points accumulate in double, so they are 2.3000000000000003 and
    // so on, exactly as the interpolation has always stepped.
    for (double t = 1.5; t < 3.5 && i < numPoints; t += 0.2, ++i)
    {
        for (int k = 1; k <= numTaps; ++k)
        {
            const double u = (t / fs - k / fs) * (fs * pi);
            sines[k - 1][i] = std::sin (u);
            arguments[k - 1][i] = u;
        }
    }

    builtRate = sampleRate;
}

double SincTable::peak (double x1, double x2, double x3, double x4) const noexcept
{
    alignas (16) double v[numPoints];

#if defined(__SSE2__) || defined(_M_X64)
    // Two points per instruction; packed IEEE arithmetic rounds each lane as
    // the scalar code would, and the taps are added in the same order.
    const __m128d a = _mm_set1_pd (x1), b = _mm_set1_pd (x2), c = _mm_set1_pd (x3), d = _mm_set1_pd (x4);

    for (int i = 0; i < numPoints; i += 2)
    {
        __m128d sum = _mm_setzero_pd();
        sum = _mm_add_pd (sum, _mm_div_pd (_mm_mul_pd (a, _mm_load_pd (&sines[0][i])), _mm_load_pd (&arguments[0][i])));
        sum = _mm_add_pd (sum, _mm_div_pd (_mm_mul_pd (b, _mm_load_pd (&sines[1][i])), _mm_load_pd (&arguments[1][i])));
        sum = _mm_add_pd (sum, _mm_div_pd (_mm_mul_pd (c, _mm_load_pd (&sines[2][i])), _mm_load_pd (&arguments[2][i])));
        sum = _mm_add_pd (sum, _mm_div_pd (_mm_mul_pd (d, _mm_load_pd (&sines[3][i])), _mm_load_pd (&arguments[3][i])));
        _mm_store_pd (&v[i], sum);
    }
#else
    for (int i = 0; i < numPoints; ++i)
    {
        double sum = 0.0;
        sum += x1 * sines[0][i] / arguments[0][i];
        sum += x2 * sines[1][i] / arguments[1][i];
        sum += x3 * sines[2][i] / arguments[2][i];
        sum += x4 * sines[3][i] / arguments[3][i];
        v[i] = sum;
    }
#endif

    double result = 0.0;

    for (double x : v)
        if (std::abs (x) > result)
            result = std::abs (x);

    return result;
}
