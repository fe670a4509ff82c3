#include "app/commands_core.h"

namespace {
int low_half(std::uint32_t v) { return static_cast<std::int16_t>(v & 0xFFFF); }
int high_half(std::uint32_t v) { return static_cast<std::int16_t>((v >> 16) & 0xFFFF); }
}  // namespace

bool context_menu_from_keyboard(std::uint32_t position) {
    return low_half(position) == -1 && high_half(position) == -1;
}

MenuPoint context_menu_point(std::uint32_t position, int left, int top, int right, int bottom, bool* keyboard) {
    bool from_keys = context_menu_from_keyboard(position);
    if (keyboard) *keyboard = from_keys;
    if (!from_keys) return {low_half(position), high_half(position)};
    // Sums in 64 bits: a rectangle near the coordinate limits must not wrap.
    auto centre = [](int a, int b) {
        return static_cast<int>((static_cast<std::int64_t>(a) + b) / 2);
    };
    return {centre(left, right), centre(top, bottom)};
}

int fit_mode_from_menu_choice(int choice) {
    int mode = choice - kFitMenuBase;
    return mode >= 0 && mode < kFitModeCount ? mode : -1;
}
