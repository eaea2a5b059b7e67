// How the host answers the setup dialog when nobody is at the screen: from the command line.
#pragma once

#include "host/host_options.h"
#include "platform/win32/win32_host.h"

namespace host {

// The options' answer, given as a viewer would give it: the resolution-list entry of --mode (the
// preselected one if it matches, else the first that does), a click on the window and sound
// buttons asked for, then OK, or Cancel with --cancel. A mode the list does not offer ends the
// program with one line listing the offered entries and exit code 2. An empty list gets OK as it
// is: the show then finds no mode chosen, as when a viewer presses OK on it.
win32::DialogAnswer AnswerFromOptions(const HostOptions& options);

// The options that answer the dialog as it was answered in this run (the mode, window and sound
// the show took), for the show to be run again without asking; read while the show plays.
HostOptions AnswerAsGiven(const HostOptions& options);

}  // namespace host
