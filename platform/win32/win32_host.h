// The host's controls over the Win32 layer (not Win32 API): the clock mode, the timeline origin the
// trace reads, and scripted key presses.
//
// Clock: GetTickCount and QueryPerformanceCounter read one clock.
// - Real (the default): the steady system clock; GetTickCount counts milliseconds from the start
//   of the run, the counter 100 ns units (frequency 10,000,000).
// - Fixed step: starts at 0 and moves only in AdvanceClockOneFrame (the host calls it at every
//   Present). After n frames at f frames/s, GetTickCount = floor(n * 1000 / f) and the counter =
//   round(n * 10^7 / f), computed from n each time so nothing drifts.
#pragma once

#include <cstddef>
#include <functional>

#include "platform/win32/win32.h"

namespace win32 {

void UseRealClock();
// framesPerSecond > 0. Restarts the fixed-step clock at frame 0.
void UseFixedStepClock(double framesPerSecond);
bool FixedStepClock();
// One frame period on the fixed-step clock; nothing in real mode.
void AdvanceClockOneFrame();
// Switches mode without a jump: the clock goes on from where it stands (a seek steps through the
// timeline at a fixed rate, then the real clock takes over from the moment reached).
void ContinueWithFixedStep(double framesPerSecond);
void ContinueWithRealClock();
// A held real clock stands still until released, then goes on from where it stood (a pause);
// nothing on the fixed-step clock, which moves only at a Present anyway.
void HoldClock(bool held);

// The entry calls this once, right after it first sets its timeline zero; the pointer is kept (the
// trace reads the current value through it) and the value at this moment anchors scripted input.
void SetTimelineOrigin(const DWORD* startTick);
const DWORD* TimelineOrigin();  // null until set
// The origin's value when it was set: the tick at which the timeline, and the music, started
// (the entry may re-base the timeline later; this stays).
DWORD TimelineOriginValue();

// A press (WM_KEYDOWN then WM_KEYUP) of virtualKey, posted to the main window (the newest
// top-level window) at the first queue poll (PeekMessageA / GetMessageA) at which GetTickCount has
// reached the origin's value plus msAfterOrigin. Nothing fires before SetTimelineOrigin.
void ScheduleKeyPress(DWORD msAfterOrigin, WPARAM virtualKey);

// Called when the timeline origin is set and at every PeekMessageA and GetMessageA before the
// queue is read. The show polls its queue once at the start of each frame, before it reads the
// clock: a host that must act before the timeline's first call or before a frame draws (a seek
// starting or ending) does it here. Empty: nothing is called.
void SetTimelineObserver(std::function<void()> observer);

// Windows get, in place of the client area asked for, the largest one of its shape that fits
// width x height (a 640 x 480 window in 1920 x 1080 gets 1440 x 1080); 0, 0: as asked.
void SetClientAreaLimit(int width, int height);
// The client area a window asking for width x height gets under the limit, in place. A full-screen
// device's back buffer follows it too, so that full screen draws natively at the limit's size.
void FitIntoClientAreaLimit(int& width, int& height);

// What the end of a process does to the windows: destroys every window left, empties the message
// queue (a quit message included) and forgets the window classes, so that the host can run the
// entry again in the same process as a new process would (its RegisterClassExA would fail, and a
// quit message left by the last run end it, otherwise).
void ForgetTheRun();

// The program's resources (compiled from its resource script), registered by the host before the
// entry runs; DialogBoxParamA finds its template (RT_DIALOG) and pictures (RT_BITMAP) here by id.
// The bytes are not copied: they must outlive every dialog.
void RegisterResource(WORD type, WORD id, const BYTE* bytes, std::size_t size);

// How a modal dialog is answered. After WM_INITDIALOG, DialogBoxParamA calls the answer with the
// dialog's handle. It may set controls through SendMessageA and should end the dialog, typically
// by sending WM_COMMAND(IDOK or IDCANCEL) to it; it returns false to leave the dialog to the
// window backend, which shows it to the viewer. Without an answer the backend shows it; a
// backend that cannot (headless) makes DialogBoxParamA fail with -1, never a Cancel.
using DialogAnswer = std::function<bool(HWND dialog)>;
void SetDialogAnswer(DialogAnswer answer);

}  // namespace win32
