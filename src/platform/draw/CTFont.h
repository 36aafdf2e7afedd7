// SPDX-License-Identifier: MIT
// Fonts: a resolved family, weight and pixel size.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kavorn {

enum class CTFontUIFontType : std::uint32_t {
    User = 0,
    UserFixedPitch = 1,
    System = 2,
    EmphasizedSystem = 3,
};

enum class CTFontWeight { Regular, Bold };

// Immutable; shared by the lines that use it.
class CTFont {
public:
    CTFont(std::string family, CTFontWeight weight, double size)
        : family_(std::move(family)), weight_(weight), size_(size) {}

    // The family name handed to the text layout (a real family, or a name fontconfig aliases).
    const std::string& familyName() const { return family_; }
    CTFontWeight weight() const { return weight_; }
    // Size in pixels (absolute, not points).
    double pointSize() const { return size_; }

private:
    std::string family_;
    CTFontWeight weight_;
    double size_;
};

using CTFontRef = std::shared_ptr<const CTFont>;

// The desktop's interface font: the family fontconfig prefers for "system-ui" (Cantarell on a
// Debian desktop), bold for EmphasizedSystem. None when fontconfig has no such family
// installed, or for the user font types, which the camera does not use.
CTFontRef CTFontCreateUIFontForLanguage(CTFontUIFontType type, double size,
                                        const char* language = nullptr);

// A font by family name, regular weight, resolved by fontconfig's rules (so "Helvetica" is
// drawn with its metric-compatible stand-in).
CTFontRef CTFontCreateWithName(std::string_view name, double size);

}  // namespace kavorn
