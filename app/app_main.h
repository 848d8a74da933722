// The windowed program from start to end: start-up, the window through the toolkit's shell, the
// frame loop and the release of everything. The platform's entry hands it UTF-8 words.
#pragma once

// 0 after a normal run; 1 without memory or a window; 2 for a bad command line.
int app_main(int argc, char** argv);
