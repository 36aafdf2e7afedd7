// SPDX-License-Identifier: MIT
// Font resolution through fontconfig.
#include "platform/draw/CTFont.h"

#include <fontconfig/fontconfig.h>

#include <mutex>
#include <optional>
#include <vector>

#include "platform/media/MediaFaults.h"

namespace kavorn {

namespace {

const char* const kSystemUIFamily = "system-ui";

// Fontconfig expands "system-ui" into the families it prefers, placed before the generic name
// itself; fonts it appends after that are the catch-all defaults. The interface font is the
// best installed font among the preferred families. Pango would silently fall back to the
// defaults, so the family is resolved here and handed to Pango by its real name.
std::optional<std::string> resolveSystemUIFamily(bool bold) {
    // Fontconfig's configuration is shared process-wide; its API is not safe to use from two
    // threads at once during initialisation.
    static std::mutex fontconfigMutex;
    std::lock_guard lock(fontconfigMutex);
    if (FcInit() == FcFalse) {
        return std::nullopt;
    }
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kSystemUIFamily));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    std::vector<std::string> preferred;
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        std::string name(reinterpret_cast<const char*>(family));
        if (name == kSystemUIFamily) {
            break;
        }
        preferred.push_back(std::move(name));
    }

    std::optional<std::string> resolved;
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* matched = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &matched) == FcResultMatch; ++i) {
            std::string name(reinterpret_cast<const char*>(matched));
            for (const std::string& wanted : preferred) {
                if (FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(name.c_str()),
                                       reinterpret_cast<const FcChar8*>(wanted.c_str())) == 0) {
                    resolved = wanted;
                }
            }
            if (resolved) {
                break;
            }
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return resolved;
}

}  // namespace

CTFontRef CTFontCreateUIFontForLanguage(CTFontUIFontType type, double size,
                                        const char* /*language*/) {
    if (MediaFaults::injected(MediaCall::CTFontCreateUIFontForLanguage) != noErr) {
        return nullptr;
    }
    if (type != CTFontUIFontType::System && type != CTFontUIFontType::EmphasizedSystem) {
        return nullptr;
    }
    if (!(size > 0)) {
        return nullptr;
    }
    const bool bold = type == CTFontUIFontType::EmphasizedSystem;
    std::optional<std::string> family = resolveSystemUIFamily(bold);
    if (!family) {
        return nullptr;
    }
    return std::make_shared<const CTFont>(*family,
                                          bold ? CTFontWeight::Bold : CTFontWeight::Regular, size);
}

CTFontRef CTFontCreateWithName(std::string_view name, double size) {
    if (name.empty() || !(size > 0)) {
        return nullptr;
    }
    return std::make_shared<const CTFont>(std::string(name), CTFontWeight::Regular, size);
}

}  // namespace kavorn
