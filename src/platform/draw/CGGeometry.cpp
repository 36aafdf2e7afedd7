// SPDX-License-Identifier: MIT
// Rectangle arithmetic.
#include "platform/draw/CGGeometry.h"

#include <cmath>

namespace kavorn {

namespace {

CGRect standardized(CGRect rect) {
    if (rect.size.width < 0) {
        rect.origin.x += rect.size.width;
        rect.size.width = -rect.size.width;
    }
    if (rect.size.height < 0) {
        rect.origin.y += rect.size.height;
        rect.size.height = -rect.size.height;
    }
    return rect;
}

}  // namespace

CGRect CGRectIntegral(CGRect rect) {
    rect = standardized(rect);
    const double left = std::floor(rect.origin.x);
    const double bottom = std::floor(rect.origin.y);
    const double right = std::ceil(rect.origin.x + rect.size.width);
    const double top = std::ceil(rect.origin.y + rect.size.height);
    return CGRectMake(left, bottom, right - left, top - bottom);
}

double CGRectGetMidY(CGRect rect) {
    return rect.origin.y + rect.size.height / 2;
}

double CGRectGetMaxX(CGRect rect) {
    rect = standardized(rect);
    return rect.origin.x + rect.size.width;
}

double CGRectGetMaxY(CGRect rect) {
    rect = standardized(rect);
    return rect.origin.y + rect.size.height;
}

}  // namespace kavorn
