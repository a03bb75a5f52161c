#include "render/LightsBlock.h"

#include "render/PointLight.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace lights_block {

namespace {

template <typename T>
void put(std::vector<std::byte>& bytes, std::size_t offset, const T& value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

} // namespace

std::size_t pack(const std::vector<PointLight*>& lights, std::vector<std::byte>& staging) {
    if (staging.size() < kHeaderSize)
        return 0;
    const std::size_t count = std::min(lights.size(), capacity(staging.size()));
    put(staging, 0, static_cast<int32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const PointLight& light = *lights[i];
        const std::size_t entry = kHeaderSize + kEntrySize * i;
        put(staging, entry + 0, light.position);
        put(staging, entry + 16, light.colour);
        put(staging, entry + 28, light.intensity * 4.0f);
        put(staging, entry + 32, light.nearPlane);
        put(staging, entry + 36, light.farPlane);
        put(staging, entry + 40, static_cast<int32_t>(light.lightIndex));
    }
    return kHeaderSize + kEntrySize * count;
}

} // namespace lights_block
