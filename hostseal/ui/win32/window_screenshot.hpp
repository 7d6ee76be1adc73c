// SaveWindowPng: a window as it is on the screen, frame and caption included, written as a
// PNG image of the window's size.
#pragma once

#include <windows.h>

#include <string>

namespace hostseal {

// Draws the window and its children into a bitmap, encodes it with the Windows Imaging
// Component and writes it to fileName with WriteScreenshotFile, so that a former file of that
// name is replaced whole or not at all. Raises its RaisedError when the file cannot be written,
// and 57 naming the file when the window cannot be drawn or the image cannot be encoded.
void SaveWindowPng(HWND window, const std::u16string& fileName);

}  // namespace hostseal
