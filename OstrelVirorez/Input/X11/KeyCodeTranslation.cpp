#include "OstrelVirorez/Input/X11/KeyCodeTranslation.hpp"

#include <X11/keysym.h>

#include <unordered_map>

namespace ostrelvirorez::x11 {

std::optional<std::uint16_t> applicationKeyCode(unsigned long keySymbol) {
    static const std::unordered_map<unsigned long, std::uint16_t> codes{
        {XK_Super_R, 54}, {XK_Super_L, 55}, {XK_Shift_L, 56}, {XK_Caps_Lock, 57}, {XK_Alt_L, 58},
        {XK_Control_L, 59}, {XK_Shift_R, 60}, {XK_Alt_R, 61}, {XK_ISO_Level3_Shift, 61}, {XK_Control_R, 62},
        {XK_Return, 36}, {XK_KP_Enter, 76}, {XK_Tab, 48}, {XK_ISO_Left_Tab, 48}, {XK_space, 49},
        {XK_BackSpace, 51}, {XK_Escape, 53},
        {XK_F1, 122}, {XK_F2, 120}, {XK_F3, 99}, {XK_F4, 118}, {XK_F5, 96}, {XK_F6, 97}, {XK_F7, 98},
        {XK_F8, 100}, {XK_F9, 101}, {XK_F10, 109}, {XK_F11, 103}, {XK_F12, 111}, {XK_F13, 105},
        {XK_F14, 107}, {XK_F15, 113}, {XK_F16, 106}, {XK_F17, 64}, {XK_F18, 79}, {XK_F19, 80}, {XK_F20, 90},
        {XK_a, 0}, {XK_s, 1}, {XK_d, 2}, {XK_f, 3}, {XK_h, 4}, {XK_g, 5}, {XK_z, 6}, {XK_x, 7}, {XK_c, 8},
        {XK_v, 9}, {XK_b, 11}, {XK_q, 12}, {XK_w, 13}, {XK_e, 14}, {XK_r, 15}, {XK_y, 16}, {XK_t, 17},
        {XK_1, 18}, {XK_2, 19}, {XK_3, 20}, {XK_4, 21}, {XK_6, 22}, {XK_5, 23}, {XK_9, 25}, {XK_7, 26},
        {XK_8, 28}, {XK_0, 29}, {XK_o, 31}, {XK_u, 32}, {XK_i, 34}, {XK_p, 35}, {XK_l, 37}, {XK_j, 38},
        {XK_k, 40}, {XK_n, 45}, {XK_m, 46},
    };
    if (const auto found = codes.find(keySymbol); found != codes.end()) return found->second;
    return std::nullopt;
}

bool reportsFlagsChanged(std::uint16_t keyCode) {
    return modifierFlagBit(keyCode) != 0 || keyCode == 57;
}

} // namespace ostrelvirorez::x11
