// The demo driver: start-up, the paced main loop and the ordered shutdown.
#pragma once

class GLWindow;

// Runs the whole demo in the given window; returns the process exit code.
int runDemo(GLWindow& window);
