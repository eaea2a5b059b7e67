// Keystroke details that Windows derives from the virtual-key code: the scan code in lParam and the
// character TranslateMessage posts.
#include "platform/win32/window_table.h"

namespace win32::detail {
namespace {

struct ScanCode {
  unsigned code;
  bool extended;
};

// Set-1 scan codes of a US keyboard.
ScanCode ScanCodeOf(WPARAM vk) {
  static const unsigned kLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                        0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                        0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  if (vk >= 'A' && vk <= 'Z') return {kLetters[vk - 'A'], false};
  if (vk >= '1' && vk <= '9') return {static_cast<unsigned>(0x02 + (vk - '1')), false};
  if (vk == '0') return {0x0B, false};
  if (vk >= VK_F1 && vk <= VK_F1 + 9) return {static_cast<unsigned>(0x3B + (vk - VK_F1)), false};
  switch (vk) {
    case VK_ESCAPE: return {0x01, false};
    case VK_BACK: return {0x0E, false};
    case VK_TAB: return {0x0F, false};
    case VK_RETURN: return {0x1C, false};
    case VK_CONTROL: return {0x1D, false};
    case VK_SHIFT: return {0x2A, false};
    case VK_MENU: return {0x38, false};
    case VK_SPACE: return {0x39, false};
    case VK_F1 + 10: return {0x57, false};
    case VK_F12: return {0x58, false};
    case VK_HOME: return {0x47, true};
    case VK_UP: return {0x48, true};
    case VK_PRIOR: return {0x49, true};
    case VK_LEFT: return {0x4B, true};
    case VK_RIGHT: return {0x4D, true};
    case VK_DOWN: return {0x50, true};
    case VK_NEXT: return {0x51, true};
    default: return {0, false};
  }
}

}  // namespace

LPARAM KeyLParam(WPARAM virtualKey, bool down, bool repeat) {
  const ScanCode scan = ScanCodeOf(virtualKey);
  std::uint32_t bits = 1;  // repeat count
  bits |= (scan.code & 0xFF) << 16;
  if (scan.extended) bits |= 1u << 24;
  if (!down || repeat) bits |= 1u << 30;  // the key was down before
  if (!down) bits |= 1u << 31;            // released
  return static_cast<LPARAM>(bits);  // the 32-bit value, zero-extended
}

WPARAM CharacterOfKey(WPARAM virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + 'a';
  if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
  switch (virtualKey) {
    case VK_ESCAPE:
    case VK_RETURN:
    case VK_SPACE:
    case VK_TAB:
    case VK_BACK:
      return virtualKey;  // their virtual-key codes are the ASCII codes
    default:
      return 0;
  }
}

}  // namespace win32::detail
