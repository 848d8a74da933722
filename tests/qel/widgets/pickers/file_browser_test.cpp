// The file browser over scripted frames: a real temporary folder entered by double click and left
// by Up, Back and Forward; the path bar's typed path and breadcrumbs; the filter and the pattern;
// sorting by a column; keys; the history's limit; refused over-long paths; an unreadable folder;
// and pictures in light and dark over a lister of fixed names and dates. Then the file dialog over
// the same folders: opening, saving under a picked or typed name, choosing a folder, cancelling.
#include <gtest/gtest.h>

#include <utime.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "qel/qel.h"
#include "support/widget_rig.h"
#include "support/scratch.h"

static void make_dir(const std::string& path)
{
    std::filesystem::create_directory(path);
}

// A folder of its own: "beta" and "alpha" folders, and files of different sizes and ages.
static std::string make_tree(const char* name)
{
    // Forward slashes on every system, so that joined names follow with '/' too.
    std::string root = scratch_path(name);
    std::replace(root.begin(), root.end(), '\\', '/');
    make_dir(root);
    make_dir(root + "/beta");
    make_dir(root + "/alpha");
    const struct {
        const char* name;
        size_t size;
        long long mtime;
    } files[] = {{"notes.txt", 3000, 1500000000}, {"file10.csv", 10, 1600000000}, {"file2.csv", 200, 1400000000}};
    for (const auto& f : files) {
        std::string p = root + "/" + f.name;
        scratch_write(p, std::string(f.size, 'x'));
        utimbuf t = {(time_t)f.mtime, (time_t)f.mtime};
        utime(p.c_str(), &t);
    }
    scratch_write(root + "/beta/inner.txt", "x");
    return root;
}

// The last node showing t: a row's name rather than the path bar's segment of the same name.
static const qel_node* last_text(qel_context* ctx, const char* t)
{
    const qel_node* found = nullptr;
    for (int32_t i = 0; i < inspect_node_count(ctx); i++) {
        const qel_node& n = *inspect_node(ctx, i);
        if ((n.flags & QEL_NODE_TEXT) && n.text && strcmp(n.text, t) == 0) found = &n;
    }
    return found;
}

// Clicks (times in a row) the last node showing t, then lets the widgets settle.
static void click_last(widget_rig& rig, const char* t, int times)
{
    const qel_node* n = last_text(rig.h.ctx, t);
    ASSERT_NE(n, nullptr) << t;
    float x = n->rect.x + n->rect.w / 2, y = n->rect.y + n->rect.h / 2;
    for (int i = 0; i < times; i++) rig.h.click(x, y);
    rig.h.run(3);
}

struct browser_rig {
    widget_rig rig;
    char path[512] = "";
    int32_t capacity = sizeof path;
    qel_file_browser_options o = {};
    qel_file_browser_result last = {};
    std::string opened;

    explicit browser_rig(const std::string& start, float width = 720) : rig(width, 440)
    {
        strcpy(path, start.c_str());
        o.hide_places = 1;
        rig.h.ui = [this](qel_context* ctx) {
            board_begin(ctx);
            last = qel_file_browser(ctx, "files", path, capacity, &o);
            if (last.opened) opened = last.opened;
            qel_container_end(ctx);
        };
        rig.h.run(3);
    }
    qel_context* ctx() { return rig.h.ctx; }
    const qel_node* text(const char* t) { return last_text(ctx(), t); }
    void click_text(const char* t, int times = 1) { click_last(rig, t, times); }
    // The shown names from top to bottom.
    std::vector<std::string> order(const std::vector<std::string>& names)
    {
        std::vector<std::pair<float, std::string>> found;
        for (const auto& name : names) {
            const qel_node* n = text(name.c_str());
            if (n) found.push_back({n->rect.y, name});
        }
        std::sort(found.begin(), found.end());
        std::vector<std::string> out;
        for (auto& f : found) out.push_back(f.second);
        return out;
    }
    void focus_list() { qel_set_focus(ctx(), qel_id(ctx(), "files") ^ PART_FILE_LIST, false); }
    void key(int32_t k, uint32_t mods = 0)
    {
        rig.h.tap(k, mods);
        rig.h.run(2);
    }
};

static const std::vector<std::string> NAMES = {"alpha", "beta", "file2.csv", "file10.csv", "notes.txt"};

TEST(FileBrowser, ListsARealFolderAndMovesThroughItsHistory)
{
    std::string root = make_tree("walk");
    browser_rig b(root);
    EXPECT_EQ(b.order(NAMES), NAMES) << "folders first, then names in natural order";
    EXPECT_NE(b.text("3.0 KB"), nullptr);
    EXPECT_NE(b.text("200 bytes"), nullptr);

    b.click_text("beta", 2);
    EXPECT_EQ(std::string(b.path), root + "/beta");
    EXPECT_NE(b.text("inner.txt"), nullptr);
    b.click_text("inner.txt", 2);
    EXPECT_EQ(b.opened, root + "/beta/inner.txt");

    b.focus_list();
    b.key(QEL_KEY_LEFT, QEL_MOD_ALT);
    EXPECT_EQ(std::string(b.path), root);
    b.focus_list();
    b.key(QEL_KEY_RIGHT, QEL_MOD_ALT);
    EXPECT_EQ(std::string(b.path), root + "/beta");
    b.focus_list();
    b.key(QEL_KEY_BACKSPACE);
    EXPECT_EQ(std::string(b.path), root) << "Backspace goes up";
}

// The default places end with the root of this system's files, which a click opens; a drive
// letter belongs to Windows alone.
TEST(FileBrowser, DefaultPlacesOfferThisSystemsRoot)
{
#ifdef _WIN32
    const char* root = "C:\\";
#else
    const char* root = "/";
#endif
    browser_rig b(make_tree("places"));
    b.o.hide_places = 0;
    b.rig.h.run(3);
#ifndef _WIN32
    EXPECT_EQ(b.text("C:\\"), nullptr);
#endif
    b.click_text(root);
    EXPECT_STREQ(b.path, root);
}

TEST(FileBrowser, PathBarTypedPathsAndBreadcrumbs)
{
    std::string root = make_tree("typed");
    browser_rig b(root + "/beta");
    const qel_node* parent = b.text(root.substr(root.find_last_of('/') + 1).c_str());
    ASSERT_NE(parent, nullptr);
    b.click_text(root.substr(root.find_last_of('/') + 1).c_str());
    EXPECT_EQ(std::string(b.path), root) << "a breadcrumb goes to the path ending with it";

    b.click_text("typed");  // the last segment enters edit mode
    b.rig.h.tap(QEL_KEY_END);
    b.rig.h.type("/alpha");
    b.key(QEL_KEY_ENTER);
    EXPECT_EQ(std::string(b.path), root + "/alpha");
    EXPECT_NE(b.text("This folder is empty"), nullptr);

    b.click_text("alpha");
    std::string too_long = root + "/" + std::string(600, 'x');
    b.rig.h.tap(QEL_KEY_A, QEL_MOD_CTRL);
    b.rig.h.type(too_long.c_str());
    b.key(QEL_KEY_ENTER);
    EXPECT_EQ(std::string(b.path), root + "/alpha") << "a path that does not fit is refused, not cut";
}

TEST(FileBrowser, FilterPatternAndSorting)
{
    std::string root = make_tree("filter");
    browser_rig b(root);
    qel_push_id(b.ctx(), "files");
    qel_vec2 field = b.rig.centre(qel_id(b.ctx(), "filter"));
    qel_pop_id(b.ctx());
    b.rig.h.click(field.x, field.y);
    b.rig.h.type("zzz");
    b.rig.h.run(2);
    EXPECT_NE(b.text("Nothing matches the filter"), nullptr);
    b.rig.h.tap(QEL_KEY_A, QEL_MOD_CTRL);
    b.rig.h.type("FILE");
    b.rig.h.run(2);
    EXPECT_EQ(b.order(NAMES), (std::vector<std::string>{"file2.csv", "file10.csv"}));
    b.rig.h.tap(QEL_KEY_BACKSPACE);
    b.rig.h.tap(QEL_KEY_A, QEL_MOD_CTRL);
    b.rig.h.tap(QEL_KEY_BACKSPACE);
    b.rig.h.run(2);

    b.click_text("Size");
    EXPECT_EQ(b.order(NAMES), (std::vector<std::string>{"alpha", "beta", "file10.csv", "file2.csv", "notes.txt"}));
    b.click_text("Size");
    EXPECT_EQ(b.order(NAMES), (std::vector<std::string>{"beta", "alpha", "notes.txt", "file2.csv", "file10.csv"}))
        << "descending keeps folders first";
    b.click_text("Date modified");
    EXPECT_EQ(b.order(NAMES), (std::vector<std::string>{"alpha", "beta", "file2.csv", "notes.txt", "file10.csv"}));

    b.o.pattern = " *.txt ; *.md";
    b.rig.h.run(2);
    EXPECT_EQ(b.order(NAMES), (std::vector<std::string>{"alpha", "beta", "notes.txt"}));
    b.o.folders_only = 1;
    b.rig.h.run(2);
    EXPECT_EQ(b.order(NAMES), (std::vector<std::string>{"alpha", "beta"}));
}

TEST(FileBrowser, KeysSelectOpenAndFindByTyping)
{
    std::string root = make_tree("keys");
    browser_rig b(root);
    b.focus_list();
    b.key(QEL_KEY_DOWN);
    EXPECT_EQ(std::string(b.last.selected), root + "/alpha");
    b.key(QEL_KEY_END);
    EXPECT_EQ(std::string(b.last.selected), root + "/notes.txt");
    b.key(QEL_KEY_ENTER);
    EXPECT_EQ(b.opened, root + "/notes.txt");
    b.key(QEL_KEY_HOME);
    b.rig.h.type("f");
    b.rig.h.run(2);
    EXPECT_EQ(std::string(b.last.selected), root + "/file2.csv");
    b.rig.h.type("i");
    b.rig.h.run(2);
    EXPECT_EQ(std::string(b.last.selected), root + "/file2.csv") << "a longer prefix keeps the match";

    b.o.pattern = "*.none";
    b.o.folders_only = 0;
    strcpy(b.path, (root + "/alpha").c_str());
    b.rig.h.run(3);
    b.focus_list();
    b.key(QEL_KEY_DOWN);
    b.key(QEL_KEY_END);
    EXPECT_EQ(b.last.selected, nullptr) << "no row, no selection";
}

// A lister that lists any folder as three entries of fixed dates, or fails on "bad".
static int32_t fixed_lister(void*, const char* dir, qel_dir_entry* entries, int32_t max, char* names, uint64_t cap,
                            bool)
{
    if (strcmp(dir, "bad") == 0) return -1;
    static const struct {
        const char* name;
        uint8_t dir;
        uint64_t size;
        int64_t mtime;
    } rows[] = {{"Invoices", 1, 0, 1546344000},
                {"shelf-labels.csv", 0, 48200, 1577880000},
                {"logo.png", 0, 912, 1565000000},
                {"far-future.txt", 0, 5, 40000000000000LL}};
    int32_t n = 0;
    uint64_t used = 0;
    for (const auto& r : rows) {
        size_t len = strlen(r.name) + 1;
        if (n == max || used + len > cap) break;
        memcpy(names + used, r.name, len);
        entries[n++] = {names + used, r.dir, r.size, r.mtime};
        used += len;
    }
    return n;
}

TEST(FileBrowser, HistoryKeepsSixteenFoldersAndFailuresSaySo)
{
    browser_rig b("/start");
    b.o.lister = fixed_lister;
    b.key(QEL_KEY_F1 + 4);  // Reload, with nothing focused
    for (int i = 0; i < 20; i++) {
        b.click_text("Invoices", 2);
        b.rig.h.run(40);  // lets the click count start anew
    }
    EXPECT_EQ(std::string(b.path).size(), 6 + 20 * 9u) << "twenty folders deep";
    for (int i = 0; i < 20; i++) {
        b.focus_list();
        b.key(QEL_KEY_LEFT, QEL_MOD_ALT);
    }
    EXPECT_EQ(std::string(b.path), "/start" + [] {
        std::string s;
        for (int i = 0; i < 5; i++) s += "/Invoices";
        return s;
    }()) << "the oldest kept folder is 15 steps back";
    b.click_text("Invoices", 2);
    b.focus_list();
    b.key(QEL_KEY_RIGHT, QEL_MOD_ALT);
    EXPECT_EQ(std::string(b.path).size(), 6 + 6 * 9u) << "navigating after Back drops the forward entries";
    EXPECT_EQ(b.text("far-future.txt") != nullptr, true);

    strcpy(b.path, "bad");
    b.rig.h.run(2);
    EXPECT_TRUE(b.last.read_failed);
    EXPECT_NE(b.text("This folder could not be read"), nullptr);
}

class FileBrowserPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(FileBrowserPictures, FolderWithPlaces)
{
    widget_rig rig(720, 300, GetParam());
    char path[64] = "/shop/labels";
    const char* places[] = {"/shop", "/shop/labels", "/archive"};
    rig.h.ui = [&](qel_context* ctx) {
        board_begin(ctx);
        qel_file_browser_options o = {};
        o.lister = fixed_lister;
        o.places = places;
        o.place_count = 3;
        o.height = {QEL_SIZE_FIXED, 260};
        qel_file_browser(ctx, "files", path, sizeof path, &o);
        qel_container_end(ctx);
    };
    rig.h.run(3);
    const qel_node* n = node_with_text(rig.h.ctx, "logo.png");
    ASSERT_NE(n, nullptr);
    rig.h.click(n->rect.x + 4, n->rect.y + 4);
    rig.h.move(1, 1);
    rig.h.run(3);
    EXPECT_TRUE(
        picture_matches(rig.shot(), themed_picture("qel/file_browser_", "folder", GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, FileBrowserPictures, theme_modes(), theme_name);

// --- The file dialog ---

struct dialog_rig {
    widget_rig rig;
    uint8_t open = 1;
    char out[512] = "";
    int32_t out_capacity = sizeof out;
    int finished = 0;
    qel_file_dialog_options o = {};

    dialog_rig(const std::string& start, uint8_t save, uint8_t folder) : rig(900, 640)
    {
        o.start_folder = start.c_str();
        o.save = save;
        o.folder = folder;
        rig.h.ui = [this](qel_context* ctx) {
            finished += qel_file_dialog(ctx, "dialog", &open, out, out_capacity, &o);
        };
        rig.h.run(4);
        o.start_folder = nullptr;  // applied once; the copy above is gone after the constructor
    }
    qel_context* ctx() { return rig.h.ctx; }
    const qel_node* last_text(const char* t) { return ::last_text(ctx(), t); }
    void click_text(const char* t, int times = 1) { click_last(rig, t, times); }
};

TEST(FileDialog, OpenEntersFoldersAndReturnsFiles)
{
    std::string root = make_tree("dialog_open");
    dialog_rig d(root, 0, 0);
    d.click_text("beta");
    d.click_text("Open");
    EXPECT_EQ(d.finished, 0) << "Open with a folder selected enters it";
    ASSERT_NE(d.last_text("inner.txt"), nullptr);
    d.click_text("inner.txt");
    d.click_text("Open");
    EXPECT_EQ(d.finished, 1);
    EXPECT_EQ(std::string(d.out), root + "/beta/inner.txt");
    EXPECT_EQ(d.open, 0);

    d.open = 1;
    d.o.start_folder = root.c_str();
    d.rig.h.run(3);
    d.out_capacity = 8;
    d.click_text("notes.txt", 2);
    EXPECT_EQ(d.finished, 1) << "a path that does not fit the caller's buffer is not returned";
    EXPECT_EQ(d.open, 1);
    d.out_capacity = sizeof d.out;
    d.rig.h.run(40);
    d.click_text("notes.txt", 2);
    EXPECT_EQ(d.finished, 2) << "a double click returns the file at once";
    EXPECT_EQ(std::string(d.out), root + "/notes.txt");
}

TEST(FileDialog, SaveTakesPickedNamesAndJoinsTheTypedOne)
{
    std::string root = make_tree("dialog_save");
    dialog_rig d(root, 1, 0);
    d.click_text("Save");
    EXPECT_EQ(d.finished, 0) << "Save is disabled while the name is empty";
    d.click_text("notes.txt");
    d.click_text("alpha");
    const qel_node* name = d.last_text("notes.txt");
    EXPECT_NE(name, nullptr);
    d.click_text("Save");
    EXPECT_EQ(d.finished, 1);
    EXPECT_EQ(std::string(d.out), root + "/notes.txt") << "a folder's selection leaves the picked name";

    d.o.default_name = "new.csv";
    d.o.start_folder = root.c_str();
    d.open = 1;
    d.rig.h.run(3);
    ASSERT_NE(d.last_text("notes.txt"), nullptr) << "reopened on the start folder";
    d.click_text("Save");
    EXPECT_EQ(d.finished, 2) << "reopening starts with the default name";
    EXPECT_EQ(std::string(d.out), root + "/new.csv");
}

TEST(FileDialog, ChooseAFolderReturnsTheShownFolderWhenNothingIsSelected)
{
    std::string root = make_tree("dialog_folder");
    dialog_rig d(root, 0, 1);
    EXPECT_EQ(d.last_text("notes.txt"), nullptr) << "folders only";
    d.click_text("Choose");
    EXPECT_EQ(d.finished, 1);
    EXPECT_EQ(std::string(d.out), root);
    d.open = 1;
    d.rig.h.run(3);
    d.click_text("Cancel");
    d.rig.h.run(20);
    EXPECT_EQ(d.open, 0);
    EXPECT_EQ(d.finished, 1);
}

class FileDialogPictures : public ::testing::TestWithParam<uint32_t> {};

TEST_P(FileDialogPictures, SaveDialog)
{
    widget_rig rig(820, 560, GetParam());
    uint8_t open = 1;
    char out[128];
    rig.h.ui = [&](qel_context* ctx) {
        qel_file_dialog_options o = {};
        o.save = 1;
        o.start_folder = "/shop/labels";
        o.default_name = "spring-prices.csv";
        o.lister = fixed_lister;
        qel_file_dialog(ctx, "dialog", &open, out, sizeof out, &o);
    };
    rig.h.run(30);
    // The default places end with the system's root, so each system has its own picture.
#ifdef _WIN32
    const char* name = "save_windows";
#else
    const char* name = "save";
#endif
    EXPECT_TRUE(
        picture_matches(rig.shot(), themed_picture("qel/file_dialog_", name, GetParam()), PICTURE_TOLERANCE));
}

INSTANTIATE_TEST_SUITE_P(Themes, FileDialogPictures, theme_modes(), theme_name);
