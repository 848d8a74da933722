// What the shell settles on before it opens anything: the configuration's defaults, the
// environment variables, the display scale and the choice of renderer. Pure functions of their
// arguments (environment values are passed in), so that the Windows code stays thin.
#pragma once

#include <cstdint>

#include "qel/app.h"

// Sizes below 1 take their defaults; a null title becomes "QEL".
void qel_app_settings_defaults(qel_app_config* config);

// The theme mode: the configured one, then the system's (1 dark, 0 light, -1 unknown keeps it)
// when followed, then QEL_THEME's exact "dark" or "light".
uint32_t qel_app_settings_theme(uint32_t configured, bool follow_system, int32_t system_dark, const char* env_theme);

// QEL_ACCENT's exact preset name gives its index; anything else keeps the configured one.
uint32_t qel_app_settings_accent(uint32_t configured, const char* env_accent);

// QEL_SCALE when strictly between 0.25 and 8, else dpi / 96 (1 for an unknown dpi of 0).
float qel_app_settings_scale(const char* env_scale, uint32_t dpi);

// One side of the first window, in pixels: the wanted client size where the window (frame
// pixels more) fits the room of the work area, else as much as fits but no less than the least
// (a wanted size below the least stays as it is).
int32_t qel_app_settings_fit(int32_t wanted, int32_t least, int32_t frame, int32_t room);

// Where a window side of size pixels starting at start goes within the work area's low to high:
// where it is when it lies inside, else moved in, and to low when it cannot fit.
int32_t qel_app_settings_place(int32_t start, int32_t size, int32_t low, int32_t high);

// The screenshot's path from QEL_SCREENSHOT; null, and no screenshot mode, when it is unset or
// empty.
const char* qel_app_settings_screenshot_path(const char* env_screenshot);

// Frames before the screenshot: QEL_SCREENSHOT_FRAMES as a decimal number, 90 when unset.
int32_t qel_app_settings_screenshot_frames(const char* env_frames);

// Whether to try OpenGL at all: not when the config or QEL_RENDERER asks for software.
bool qel_app_settings_try_opengl(uint32_t renderer, const char* env_renderer);

// Whether to keep a working OpenGL renderer: an automatic choice on a desktop backend drops a
// software OpenGL driver, unless QEL_RENDERER is "opengl".
bool qel_app_settings_keep_opengl(uint32_t renderer, bool gl_is_software, const char* backend,
                                  const char* env_renderer);
