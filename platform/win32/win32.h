// The Win32 subset the system calls, with the real names, types and constant values.
//
// Only what the system and its tools use exists here; every call behaves as the system's code
// relies on. Limits and conventions:
// - One thread, one message queue. Windows are top-level only (no children, no parents).
// - CreateWindowExA takes the given width and height as the CLIENT area: the window manager draws
//   the frame, so the back buffer has exactly the chosen mode's size.
// - Times are milliseconds as 32-bit counts that wrap at 2^32; the performance counter runs at
//   10,000,000 counts per second. Both read the platform clock (real or fixed-step, see
//   win32_host.h) and never depend on the window backend.
// - Keyboard input (from the window backend or from scripted input) arrives as WM_KEYDOWN /
//   WM_KEYUP with the virtual-key code in wParam; a close request from the window manager arrives as
//   the Escape key.
#pragma once

#include <cstdint>

// ---- Basic types --------------------------------------------------------------------------------

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using BOOL = int;
using UINT = unsigned int;
using LONG = std::int32_t;
using LONGLONG = std::int64_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using ATOM = WORD;
using LPVOID = void*;
using LPCSTR = const char*;
using LPSTR = char*;
using INT_PTR = std::intptr_t;

#define WINAPI
#define CALLBACK

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Handles: distinct pointer types, as DECLARE_HANDLE makes them. HWND__ stays opaque.
struct HWND__;
struct HINSTANCE__ { int unused; };
struct HICON__ { int unused; };
struct HBRUSH__ { int unused; };
struct HMENU__ { int unused; };
using HWND = HWND__*;
using HINSTANCE = HINSTANCE__*;
using HICON = HICON__*;
using HCURSOR = HICON;  // as in windef.h
using HBRUSH = HBRUSH__*;
using HMENU = HMENU__*;

struct POINT {
  LONG x;
  LONG y;
};

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;  // GetTickCount when the message was queued
  POINT pt;
};

using WNDPROC = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
};

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
};

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define LOWORD(l) (static_cast<WORD>(static_cast<ULONG_PTR>(l) & 0xFFFF))
#define HIWORD(l) (static_cast<WORD>((static_cast<ULONG_PTR>(l) >> 16) & 0xFFFF))
#define MAKEWPARAM(l, h) (static_cast<WPARAM>((static_cast<DWORD>(static_cast<WORD>(l))) | (static_cast<DWORD>(static_cast<WORD>(h)) << 16)))

// ---- Constants ----------------------------------------------------------------------------------

// Messages
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_KEYFIRST = 0x0100;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_KEYLAST = 0x0109;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;

// PeekMessageA
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// Virtual keys ('0'..'9' and 'A'..'Z' are their ASCII codes)
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_PRIOR = 0x21;  // Page Up
constexpr WPARAM VK_NEXT = 0x22;   // Page Down
constexpr WPARAM VK_HOME = 0x24;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_F1 = 0x70;
constexpr WPARAM VK_F4 = 0x73;
constexpr WPARAM VK_F11 = 0x7A;
constexpr WPARAM VK_F12 = 0x7B;

// Class styles
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;
constexpr UINT CS_OWNDC = 0x0020;

// ShowWindow
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWDEFAULT = 10;

// Window styles
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CLIPSIBLINGS = 0x04000000;
constexpr DWORD WS_CLIPCHILDREN = 0x02000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_POPUPWINDOW = WS_POPUP | WS_BORDER | WS_SYSMENU;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_GROUP = 0x00020000;    // on child controls (the bit of WS_MINIMIZEBOX)
constexpr DWORD WS_TABSTOP = 0x00010000;  // on child controls (the bit of WS_MAXIMIZEBOX)
constexpr DWORD WS_EX_TOPMOST = 0x00000008;
constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080;

// Dialog styles
constexpr DWORD DS_SYSMODAL = 0x02;
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_CENTER = 0x0800;

// Buttons
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
constexpr DWORD BS_TYPEMASK = 0xF;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5;
constexpr WPARAM BST_UNCHECKED = 0;
constexpr WPARAM BST_CHECKED = 1;
constexpr WORD BN_CLICKED = 0;

// Statics
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_BITMAP = 0xE;
constexpr DWORD SS_TYPEMASK = 0x1F;

// Combo boxes
constexpr DWORD CBS_DROPDOWNLIST = 0x3;
constexpr DWORD CBS_SORT = 0x100;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr LRESULT CB_ERR = -1;
constexpr WORD CBN_SELCHANGE = 1;

// System metrics and SetWindowPos
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;

// Resource types
constexpr WORD RT_BITMAP = 2;
constexpr WORD RT_DIALOG = 5;

constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// Cursors and system colours
#define IDC_ARROW MAKEINTRESOURCEA(32512)
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_BTNFACE = 15;

// MessageBoxA types and results
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONSTOP = 0x10;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// ---- KERNEL32: time -----------------------------------------------------------------------------

// Milliseconds on the platform clock, wrapping at 2^32 like the real tick count.
DWORD GetTickCount();
// 64-bit count of the platform clock; always succeeds.
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
// Counts per second: 10,000,000 in both clock modes.
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

// ---- USER32: windows ----------------------------------------------------------------------------

// Returns a non-zero atom; 0 for a null class, no procedure, no name, or a name already registered.
ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
// width/height are the client size (CW_USEDEFAULT: 640 x 480). Parents and menus are not
// supported: a parent makes the call fail. The newest top-level window is the main window that
// scripted input goes to.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param);
// WM_CLOSE destroys the window (its procedure gets WM_DESTROY); every other message gives 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL ShowWindow(HWND window, int command);  // previous visibility
BOOL UpdateWindow(HWND window);             // TRUE for a live window
HWND SetFocus(HWND window);                 // the window that had the focus before
BOOL GetClientRect(HWND window, RECT* rect);
BOOL IsWindow(HWND window);

HICON LoadIconA(HINSTANCE instance, LPCSTR name);      // no icons exist: always null
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);  // the system arrow for IDC_ARROW
HBRUSH GetSysColorBrush(int colorIndex);               // a brush per system colour index 0..30

// ---- USER32: messages ---------------------------------------------------------------------------

void PostQuitMessage(int exitCode);
// hwnd null posts a thread message. FALSE for a window that does not exist.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window procedure directly; 0 for a window that does not exist.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Filters: window null = any message; (HWND)-1 = thread messages only; otherwise that window's.
// minMessage = maxMessage = 0 means every message. WM_QUIT passes every filter.
BOOL PeekMessageA(MSG* msg, HWND window, UINT minMessage, UINT maxMessage, UINT removeFlags);
// 0 for WM_QUIT, -1 for a filter window that does not exist, otherwise TRUE. Blocks until a message
// arrives; when none can ever arrive (no display, no scripted input left) the process ends with an
// error line on stderr instead of hanging.
BOOL GetMessageA(MSG* msg, HWND window, UINT minMessage, UINT maxMessage);
// Posts WM_CHAR for a WM_KEYDOWN of a character key (Escape gives 27, Enter 13, letters lower
// case). Non-zero for every key message.
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);

// ---- USER32: dialogs ----------------------------------------------------------------------------

// Runs the modal dialog of template resource `templateName` (MAKEINTRESOURCEA(id)) and returns the
// value given to EndDialog, or -1 when the template is missing or cannot be read. `parent` is
// ignored (the dialog is top-level). The procedure gets WM_INITDIALOG (wParam: the first tab stop,
// lParam: `initParam`) and WM_COMMAND from buttons, combo boxes and the keyboard interface.
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC procedure,
                        LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);
HWND GetDlgItem(HWND dialog, int id);
// The window's rectangle on the screen, frame included.
BOOL GetWindowRect(HWND window, RECT* rect);
// SM_CXSCREEN / SM_CYSCREEN: the desktop's size in pixels; 0 for anything else.
int GetSystemMetrics(int index);
// Moves (and, without SWP_NOSIZE, sizes) a window; the Z order and activation are not modelled.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);

// ---- USER32: cursor and message boxes -----------------------------------------------------------

// Display counter: starts at 0; the cursor shows while it is >= 0. Returns the new counter.
int ShowCursor(BOOL show);
// With a display: a modal box. Headless: "caption: text" on stderr and IDOK.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
