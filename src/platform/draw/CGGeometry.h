// SPDX-License-Identifier: MIT
// Points, sizes and rectangles in drawing units, and colours.
#pragma once

namespace kavorn {

struct CGPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const CGPoint&, const CGPoint&) = default;
};

struct CGSize {
    double width = 0;
    double height = 0;
    friend bool operator==(const CGSize&, const CGSize&) = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;
    friend bool operator==(const CGRect&, const CGRect&) = default;
};

inline CGRect CGRectMake(double x, double y, double width, double height) {
    return CGRect{{x, y}, {width, height}};
}

// The smallest rectangle with whole-number edges that contains `rect`: left and bottom edges
// rounded down, right and top edges rounded up. A rectangle given with a negative size is
// normalised first.
CGRect CGRectIntegral(CGRect rect);
double CGRectGetMidY(CGRect rect);
double CGRectGetMaxX(CGRect rect);
double CGRectGetMaxY(CGRect rect);

// An opaque-or-not colour as red, green, blue and alpha fractions.
struct CGColor {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;
    friend bool operator==(const CGColor&, const CGColor&) = default;
};

// A grey of the given level in the generic grey space, as an RGB colour.
inline CGColor CGColorCreateGenericGray(double gray, double alpha) {
    return CGColor{gray, gray, gray, alpha};
}

}  // namespace kavorn
