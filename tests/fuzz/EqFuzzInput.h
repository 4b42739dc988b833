#ifndef EQFUZZINPUT_H
#define EQFUZZINPUT_H

// Inputs of the equaliser targets: any double (NaN, infinities, subnormals, huge and ordinary
// values), any int, and pixel sizes a widget can have.

#include "FuzzSupport.h"

#include <cstring>
#include <limits>

inline double consumeAnyDouble(FuzzedDataProvider& data)
{
    static const double special[] = { std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(), 0.0, -0.0, std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest(),
        std::numeric_limits<double>::epsilon(), 1.0e-300, 1.0, -1.0 };
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0: {
        const quint64 bits = data.ConsumeIntegral<quint64>();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    case 1:
        return data.PickValueInArray(special);
    case 2:
        return data.ConsumeFloatingPointInRange(-1.0e5, 1.0e5);
    default:
        return data.ConsumeFloatingPoint<double>();
    }
}

// Mostly values near the ones in use, now and then any int.
inline int consumeAnyInt(FuzzedDataProvider& data, int usualLow, int usualHigh)
{
    return data.ConsumeIntegralInRange(0, 3) == 0 ? data.ConsumeIntegral<int>()
                                                  : data.ConsumeIntegralInRange(usualLow, usualHigh);
}

// Widths, heights, borders and margins of a widget on any screen there is: mostly small, now and
// then up to PixelLimit, and down to low.
constexpr int PixelLimit = 100000;

inline int consumePixels(FuzzedDataProvider& data, int low)
{
    return data.ConsumeBool() ? data.ConsumeIntegralInRange(low, PixelLimit) : data.ConsumeIntegralInRange(0, 400);
}

#endif // EQFUZZINPUT_H
