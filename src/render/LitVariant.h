#pragma once
// The lit scene program is built twice from the same files: once for the
// camera's view, and once with MIRRORED_VIEW defined for the water's
// mirrored pass, which leaves out the fire's shadow and the normal maps and
// cuts away what lies below the water. Its users keep what they look up in
// it once per build, indexed by the variant.

#include <cstddef>

enum class LitVariant { Camera, Mirrored };

inline constexpr std::size_t kLitVariantCount = 2;
inline constexpr const char* kMirroredViewDefine = "MIRRORED_VIEW";

constexpr std::size_t litIndex(LitVariant variant) { return static_cast<std::size_t>(variant); }
