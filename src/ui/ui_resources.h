#pragma once

// Registers the window's compiled-in resources (icons); the library is static, so the
// program and the window tests call this once before any window exists.
void InitUiResources();
