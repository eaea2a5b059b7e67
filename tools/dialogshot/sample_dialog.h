// A setup dialog built by hand, control for control as the show's template lays it out, for
// looking at the dialog's picture (dialogshot) and for the painter's tests.
#pragma once

#include "platform/win32/dialog.h"

namespace dialogshot {

// Control indices in the sample's tab order.
enum SampleControl {
  kOk,
  kCancel,
  kDeviceLabel,
  kDeviceCombo,
  kResolutionLabel,
  kResolutionCombo,
  kWindowGroup,
  kFullscreenRadio,
  kWindowedRadio,
  kSoundGroup,
  kSoundRadio,
  kSilentRadio,
  kPicture,
  kSampleControlCount
};

// The dialog at `scale`, laid out from dialog units as DialogBoxParamA does (one horizontal unit
// baseX / 4 pixels, one vertical baseY / 8, times the scale, rounded to nearest), the focus on OK.
win32::DialogState SampleDialog(double scale);

// Drops a combo box's list down as the keyboard would: the list below the field, as many rows as
// the template's height leaves room for, the highlighted item scrolled into view.
void DropList(win32::DialogState& dialog, int combo, int highlighted);

}  // namespace dialogshot
