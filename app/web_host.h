// The browser's host of the demo: the page's canvas with a WebGL 2 context, the shader
// renderer, Escape from the page's keyboard, passes paced by the display's frames.
#pragma once

// Plays the demo with the settings the page chose; returns the exit code.
int runDemoInBrowser();
