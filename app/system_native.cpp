// Stand-ins for the services of Windows, so that the program's logic runs natively.
#include "app/system.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

float app_screen_dpi()
{
    return 96.0f;
}

bool app_environment(const char* name, char* out, size_t capacity)
{
    const char* value = getenv(name);
    if (!value || strlen(value) >= capacity) return false;
    strcpy(out, value);
    return true;
}

int app_make_folder(const char* path)
{
    // Reports can hold a shop's data: only their owner reads them.
    return mkdir(path, 0700);
}

bool app_system_open_link(const char*)
{
    return false;
}
