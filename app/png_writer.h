// PNG files of RGB frames: written by the capture mode, read back by the tests.
#pragma once

#include <string>
#include <vector>

// Writes width x height RGB pixels (rows top first, no padding) as an 8-bit RGB PNG.
// On failure returns false with the reason in `error`.
bool writePng(const std::string& path, int width, int height, const unsigned char* rgb, std::string& error);

// Reads a PNG as 8-bit RGB rows, top first; false with the reason in `error`.
bool readPng(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgb,
             std::string& error);
