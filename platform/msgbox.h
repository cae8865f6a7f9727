#pragma once
// Modal message boxes, with a hook that answers them at once (tests and fuzzers
// must never wait for a person).

#include <string>

#include "platform/messages.h"

/// Shows a modal message box over the active window and returns the answer (IDOK).
int AfxMessageBox(const std::string& text, UINT nType = MB_OK);

/// When set, receives each message instead of a box and returns its answer at once.
using AfxMessageBoxHook = int (*)(const char* text, UINT nType);
void AfxSetMessageBoxHook(AfxMessageBoxHook hook);
/// How many messages have been shown (or handed to the hook) since the start.
int AfxMessageBoxCount();
/// How many message boxes are open right now.
int AfxMessageBoxDepth();
