#pragma once

// Makes "Tahoma" the default face of every window and control created afterwards; fontconfig
// substitutes a similar face where it is not installed.
void SetTrueTypeFont();
