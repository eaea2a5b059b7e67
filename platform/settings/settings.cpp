#include "platform/settings/settings.h"

#include <utility>

namespace platform {

void Apply(Settings settings) {
  if (settings.windowBackend) win32::SetWindowBackend(std::move(settings.windowBackend));
  if (settings.fixedStepFps > 0)
    win32::UseFixedStepClock(settings.fixedStepFps);
  else
    win32::UseRealClock();
  win32::SetClientAreaLimit(settings.clientAreaLimitWidth, settings.clientAreaLimitHeight);
  d3d8::UseNullDevice(settings.nullDevice);
  d3d8::UseHardwareDevice(settings.hardwareDevice);
  d3d8::UseRasterizerHelper(settings.rasterizerHelper);
  SetFramePixelsWanted(settings.framePixelsWanted);
  win32::SetDialogAnswer(std::move(settings.dialogAnswer));
  SetPresentHandler(std::move(settings.presentHandler));
}

}  // namespace platform
