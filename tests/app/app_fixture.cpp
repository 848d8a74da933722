// The app tests' start-up fixture, environment, scratch spreadsheets and catalog lookups.
#include "app_fixture.h"

#include <cstdlib>

#include "app/problem_report.h"
#include "app/startup.h"
#include "engine/catalog.h"
#include "support/scratch.h"

#ifdef _WIN32
#include "files/wide_win32.h"
#endif

app_link_log& app_links()
{
    static app_link_log log;
    return log;
}

static bool record_link(const char* url)
{
    app_links().links.push_back(url);
    return app_links().accept;
}

app_fixture::app_fixture(std::vector<const char*> words)
{
    app_links() = {};
    app_set_link_opener(record_link);
    words.insert(words.begin(), "tagmoor-app");
    code = app_start((int)words.size(), const_cast<char**>(words.data()), &state);
}

app_fixture::~app_fixture()
{
    app_state_free(state);
}

void app_set_env(const char* name, const char* value)
{
#ifdef _WIN32
    // The wide environment, as the program reads it; an empty value removes the variable.
    wchar_t* wide_name = wide_from_utf8(name);
    wchar_t* wide_value = wide_from_utf8(value ? value : "");
    _wputenv_s(wide_name, wide_value);
    free(wide_name);
    free(wide_value);
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

static const char* const temporary_names[3] = {"TMPDIR", "TEMP", "TMP"};

app_temporary_folders::app_temporary_folders(const char* tmpdir, const char* temp, const char* tmp)
{
    const char* values[3] = {tmpdir, temp, tmp};
    for (int i = 0; i < 3; i++) {
        const char* now = getenv(temporary_names[i]);
        had[i] = now != nullptr;
        kept[i] = now ? now : "";
        app_set_env(temporary_names[i], values[i]);
    }
    app_set_env("QEL_SCREENSHOT", nullptr);
}

app_temporary_folders::~app_temporary_folders()
{
    for (int i = 0; i < 3; i++) app_set_env(temporary_names[i], had[i] ? kept[i].c_str() : nullptr);
}

std::string app_scratch_csv(const std::string& name, const std::string& text)
{
    const std::string path = scratch_path(name);
    EXPECT_TRUE(scratch_write(path, text));
    return path;
}

std::string app_status(const app_state* state)
{
    return state->status_text;
}

static uint32_t index_of(const char* id, uint32_t count, const char* (*id_at)(uint32_t))
{
    for (uint32_t i = 0; i < count; i++)
        if (std::string(id_at(i)) == id) return i;
    ADD_FAILURE() << "no catalog row " << id;
    return 0;
}

uint32_t app_stock_index(const char* id)
{
    return index_of(id, catalog_stock_count(), [](uint32_t i) { return catalog_stock_at(i)->id; });
}

uint32_t app_layout_index(const char* id)
{
    return index_of(id, catalog_layout_count(), catalog_layout_id);
}

uint32_t app_printer_index(const char* id)
{
    return index_of(id, catalog_printer_count(), [](uint32_t i) { return catalog_printer_at(i)->id; });
}
