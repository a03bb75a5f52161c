#pragma once
// Where the F1 overlay's three panels go, so that at any window size none
// covers another, F7's view or the window's edge. The panels fill columns
// from the left, each first into the column where it fits; the key list
// goes to the top right when the other two fit beside it. When they cannot
// all fit, the key list collapses to one line, and then everything is drawn
// smaller, in steps, down to half size.
//
// Plain arithmetic on the panels' sizes, which the overlay measures as
// ImGui lays them out.

#include <array>

namespace overlay_layout {

struct Size {
    float width = 0.0f;
    float height = 0.0f;
};

struct Place {
    float x = 0.0f;
    float y = 0.0f;
};

enum Panel { kSwitches, kFrame, kKeys, kPanelCount };

// Space kept between panels, and between a panel and the window's edge.
inline constexpr float kMargin = 8.0f;

// One way to draw the overlay: its scale and key list, as an index into the
// candidates from the largest (full size, whole key list) to the smallest.
struct Choice {
    int candidate = 0;
    float scale() const;
    bool keysCollapsed() const;
};
inline constexpr int kCandidateCount = 18;

// Places panels of these sizes in a window of width x height, away from a
// square of side `reserved` at its top left (0 for none). False when they
// do not fit.
bool placePanels(const std::array<Size, kPanelCount>& sizes, float width, float height, float reserved,
                 std::array<Place, kPanelCount>& at);

// The first candidate from `first` on whose panels fit, with their places:
// `fullSize` holds the panels' sizes at full scale, the collapsed key list's
// as its fourth. When none fits, the last candidate, placed as well as it
// goes.
struct Arrangement {
    Choice choice;
    std::array<Place, kPanelCount> at{};
};
Arrangement arrange(const std::array<Size, kPanelCount + 1>& fullSize, float width, float height, float reserved,
                    int first = 0);

} // namespace overlay_layout
