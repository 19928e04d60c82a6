#pragma once

// windows.h for the window's code. Its MessageBox macro would rename our own MessageBox
// (platform/dialogs.h); the wide function is called by its own name, MessageBoxW.
#include <windows.h>
#undef MessageBox
