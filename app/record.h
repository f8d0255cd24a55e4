// The record mode: the script played offscreen exactly as the capture mode plays it,
// every presented pass written to a video at 50 frames per second by ffmpeg, with the
// soundtrack "demo.mp3" looped to the video's length.
#pragma once

#include "app/capture_options.h"

// Returns the exit code; failures end the process through the log's error, leaving
// no video file behind.
int runRecord(const CommandLine& commandLine);
