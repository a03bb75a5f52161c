#include "app/OverlayLayout.h"

#include <algorithm>
#include <vector>

namespace overlay_layout {

namespace {

struct Column {
    float x;
    float width;
    float bottom;
};

// A column that starts left of the reserved square's right side begins
// below it.
float columnTop(float x, float reserved) {
    return reserved > 0.0f && x < reserved + kMargin ? reserved + kMargin : kMargin;
}

bool fillColumns(const std::array<Size, kPanelCount>& sizes, const std::vector<int>& panels, float startX,
                 float right, float bottom, float reserved, std::array<Place, kPanelCount>& at) {
    std::vector<Column> columns;
    for (const int panel : panels) {
        const Size size = sizes[panel];
        bool placed = false;
        for (std::size_t c = 0; c < columns.size() && !placed; ++c) {
            Column& column = columns[c];
            // A panel wider than its column must stop short of the next.
            const float limit = c + 1 < columns.size() ? columns[c + 1].x - kMargin : right;
            if (column.bottom + kMargin + size.height <= bottom && column.x + size.width <= limit) {
                at[panel] = {column.x, column.bottom + kMargin};
                column.bottom += kMargin + size.height;
                column.width = std::max(column.width, size.width);
                placed = true;
            }
        }
        if (placed)
            continue;
        const float x = columns.empty() ? startX : columns.back().x + columns.back().width + kMargin;
        const float top = columnTop(x, reserved);
        if (x + size.width > right || top + size.height > bottom)
            return false;
        at[panel] = {x, top};
        columns.push_back({x, size.width, top + size.height});
    }
    return true;
}

} // namespace

// Scales in sixteenths, down to half size; each with the whole key list,
// then with it collapsed.
float Choice::scale() const { return 1.0f - static_cast<float>(candidate / 2) / 16.0f; }

bool Choice::keysCollapsed() const { return candidate % 2 == 1; }

bool placePanels(const std::array<Size, kPanelCount>& sizes, float width, float height, float reserved,
                 std::array<Place, kPanelCount>& at) {
    const float right = width - kMargin, bottom = height - kMargin;
    // Beside the reserved square first: a column under it is shorter.
    std::vector<float> starts = {kMargin};
    if (reserved > 0.0f)
        starts.insert(starts.begin(), reserved + kMargin);

    const Size keys = sizes[kKeys];
    const float keysX = right - keys.width;
    if (keysX >= std::max(kMargin, reserved > 0.0f ? reserved + kMargin : 0.0f) &&
        kMargin + keys.height <= bottom) {
        for (const float start : starts)
            if (fillColumns(sizes, {kSwitches, kFrame}, start, keysX - kMargin, bottom, reserved, at)) {
                at[kKeys] = {keysX, kMargin};
                return true;
            }
    }
    for (const float start : starts)
        if (fillColumns(sizes, {kSwitches, kFrame, kKeys}, start, right, bottom, reserved, at))
            return true;
    return false;
}

Arrangement arrange(const std::array<Size, kPanelCount + 1>& fullSize, float width, float height, float reserved,
                    int first) {
    Arrangement arrangement;
    for (int candidate = std::clamp(first, 0, kCandidateCount - 1); candidate < kCandidateCount; ++candidate) {
        arrangement.choice.candidate = candidate;
        const float scale = arrangement.choice.scale();
        const Size keys = fullSize[arrangement.choice.keysCollapsed() ? kPanelCount : kKeys];
        const std::array<Size, kPanelCount> sizes = {
            Size{fullSize[kSwitches].width * scale, fullSize[kSwitches].height * scale},
            Size{fullSize[kFrame].width * scale, fullSize[kFrame].height * scale},
            Size{keys.width * scale, keys.height * scale}};
        if (placePanels(sizes, width, height, reserved, arrangement.at))
            return arrangement;
    }
    return arrangement;
}

} // namespace overlay_layout
