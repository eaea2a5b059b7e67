// The ids of the program's resources and of the setup dialog's controls, shared by the resource
// script (vornhold.rc) and the code that runs the dialog. Plain #defines, the one form the resource
// compiler reads from a header.
#pragma once

#define IDD_SETUP 101          // the setup dialog's template
#define IDB_SETUP_PICTURE 102  // the picture at its right

#define IDC_STATIC (-1)  // labels, frames and the picture: nobody addresses them
#define IDC_DEVICE_TYPE 1000
#define IDC_RESOLUTION 1001
#define IDC_FULLSCREEN 1002
#define IDC_WINDOWED 1003
#define IDC_USE_SOUND 1004
#define IDC_SILENT 1005
