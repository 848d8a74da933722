// The shell's start-up decisions, kept apart from the Win32 calls that feed them.
#include "platform/app_settings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "qel/theme.h"

static bool equals(const char* value, const char* expected)
{
    return value && strcmp(value, expected) == 0;
}

void qel_app_settings_defaults(qel_app_config* config)
{
    if (!config->title) config->title = "QEL";
    if (config->width < 1) config->width = 1080;
    if (config->height < 1) config->height = 720;
    if (config->min_width < 1) config->min_width = 360;
    if (config->min_height < 1) config->min_height = 280;
}

uint32_t qel_app_settings_theme(uint32_t configured, bool follow_system, int32_t system_dark, const char* env_theme)
{
    uint32_t mode = configured;
    if (follow_system && system_dark >= 0) mode = system_dark ? QEL_THEME_DARK : QEL_THEME_LIGHT;
    if (equals(env_theme, "dark")) mode = QEL_THEME_DARK;
    if (equals(env_theme, "light")) mode = QEL_THEME_LIGHT;
    return mode;
}

uint32_t qel_app_settings_accent(uint32_t configured, const char* env_accent)
{
    for (uint32_t i = 0; i <= QEL_ACCENT_ROSE; i++) {
        if (equals(env_accent, qel_theme_accent_name(i))) return i;
    }
    return configured;
}

float qel_app_settings_scale(const char* env_scale, uint32_t dpi)
{
    if (env_scale) {
        double wanted = atof(env_scale);
        if (wanted > 0.25 && wanted < 8.0) return (float)wanted;
    }
    return dpi ? (float)dpi / 96.0f : 1.0f;
}

int32_t qel_app_settings_fit(int32_t wanted, int32_t least, int32_t frame, int32_t room)
{
    return std::min(wanted, std::max(room - frame, least));
}

int32_t qel_app_settings_place(int32_t start, int32_t size, int32_t low, int32_t high)
{
    return std::max(low, std::min(start, high - size));
}

const char* qel_app_settings_screenshot_path(const char* env_screenshot)
{
    return env_screenshot && *env_screenshot ? env_screenshot : nullptr;
}

int32_t qel_app_settings_screenshot_frames(const char* env_frames)
{
    return env_frames ? atoi(env_frames) : 90;
}

bool qel_app_settings_try_opengl(uint32_t renderer, const char* env_renderer)
{
    return renderer != QEL_RENDERER_SOFTWARE && !equals(env_renderer, "software");
}

bool qel_app_settings_keep_opengl(uint32_t renderer, bool gl_is_software, const char* backend,
                                  const char* env_renderer)
{
    bool desktop = equals(backend, "x11") || equals(backend, "win32");
    return !(gl_is_software && renderer == QEL_RENDERER_AUTO && desktop && !equals(env_renderer, "opengl"));
}
