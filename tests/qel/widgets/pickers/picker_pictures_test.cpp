// The picker widgets as a person sees them, in light and dark: wheels side by side and a clock
// face; ruler dials and a range histogram; signature pads, one signed; file drop zones after a
// drop and under a drag, and image drop zones; multi-selects, one open with a search; a form with
// its fields in sections; the date-range picker open over two months. Compared with committed
// pictures drawn by the software renderer.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "qel/date_range_picker.h"
#include "qel/drop_zones.h"
#include "qel/form_layout.h"
#include "qel/multi_select.h"
#include "qel/qel.h"
#include "qel/ruler_histogram.h"
#include "qel/signature_pad.h"
#include "qel/time_pickers.h"
#include "support/widget_rig.h"

static void time_board(qel_context* ctx)
{
    static const char* const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char* const hours[] = {"07", "08", "09", "10", "11", "12", "13", "14"};
    static const char* const minutes[] = {"00", "15", "30", "45"};
    static int32_t day = 2, hour = 3, minute = 1, hour24 = 15, minute24 = 40;
    board_begin(ctx);
    row_begin(ctx, 24);
    qel_style wheels = {};
    wheels.direction = QEL_DIR_ROW;
    qel_row_begin(ctx, &wheels);
    qel_wheel_picker_options left = {}, middle = {}, right = {};
    left.joined_right = middle.joined_left = middle.joined_right = right.joined_left = 1;
    left.wrap = 1;
    right.visible_rows = 5;
    qel_wheel_picker(ctx, "day", days, 7, &day, &left);
    qel_wheel_picker(ctx, "hour", hours, 8, &hour, &middle);
    qel_wheel_picker(ctx, "minute", minutes, 4, &minute, &right);
    qel_container_end(ctx);
    qel_clock_picker(ctx, "clock", &hour24, &minute24, 200);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void ruler_board(qel_context* ctx)
{
    static float width = 62, tilt = 7.5f;
    board_begin(ctx);
    qel_ruler_options mm = {};
    mm.unit = "mm";
    qel_ruler_dial(ctx, "Label width", &width, 10, 120, &mm);
    qel_ruler_options degrees = {};
    degrees.step = 0.5f;
    degrees.format = "%.1f";
    degrees.unit = "\xC2\xB0";
    degrees.pixels_per_step = 12;
    qel_ruler_dial(ctx, "Tilt##t", &tilt, -45, 45, &degrees);
    static const float sales[16] = {2, 5, 9, 14, 20, 26, 24, 18, 15, 11, 12, 8, 5, 3, 2, 1};
    static float low = 3.5f, high = 9;
    qel_range_histogram_options euros = {};
    euros.format = "%.2f \xE2\x82\xAC";
    qel_range_histogram(ctx, "Price", sales, 16, &low, &high, 0, 16, &euros);
    qel_container_end(ctx);
}

static void signature_board(qel_context* ctx)
{
    board_begin(ctx);
    qel_signature_options tall = {};
    tall.height = 150;
    qel_signature_pad(ctx, "signature", &tall);
    qel_signature_options small = {};
    small.height = 90;
    small.placeholder = "Initials";
    small.ink = qel_color_token(QEL_COLOR_ACCENT);
    qel_signature_pad(ctx, "initials", &small);
    qel_container_end(ctx);
}

static uint64_t photo;

static void drop_board(qel_context* ctx)
{
    board_begin(ctx);
    qel_drop_zone_options csv = {};
    csv.accept = "csv;tsv;txt";
    csv.subtitle = "CSV, TSV or text";
    csv.height = 130;
    qel_file_drop_zone(ctx, "sheet", &csv);
    qel_drop_zone_options compact = {};
    compact.compact = 1;
    compact.title = "Add a logo";
    qel_file_drop_zone(ctx, "logo", &compact);
    row_begin(ctx, 20);
    uint64_t none = 0;
    qel_image_drop_zone(ctx, "avatar", "Grace Hopper", &none, 72);
    qel_image_drop_zone(ctx, "photo", "Photo", &photo, 72);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

static void multi_board(qel_context* ctx)
{
    static const char* const teas[] = {"Assam", "Darjeeling", "Earl Grey", "Jasmine", "Matcha", "Oolong", "Rooibos"};
    static const char* const icons[] = {QEL_ICON_ARROW_LEFT, QEL_ICON_ARROW_RIGHT, QEL_ICON_CHECK, QEL_ICON_ARROW_LEFT, QEL_ICON_ARROW_RIGHT, QEL_ICON_CHECK, QEL_ICON_ARROW_LEFT};
    static uint8_t chosen[7] = {1, 0, 1, 1, 0, 1, 1}, filters[7] = {0, 1, 0, 0, 1, 0, 0};
    board_begin(ctx);
    qel_multi_select_options labelled = {};
    labelled.label = "Teas on the shelf";
    qel_multi_select(ctx, "shelf", teas, 7, chosen, &labelled);
    qel_multi_select_options search = {};
    search.searchable = 1;
    search.icons = icons;
    search.placeholder = "Filter by tea";
    qel_multi_select(ctx, "filter", teas, 7, filters, &search);
    qel_container_end(ctx);
}

static void form_board(qel_context* ctx)
{
    static uint8_t label_open = 1, print_open = 1, print_closed = 0, cut = 1, peel = 0;
    static char name[32] = "Jasmine tea", note[32] = "";
    static int32_t kind = 1, copies = 3;
    static float width = 62, offset[2] = {1.5f, -0.5f};
    static qel_color ink = 0xFF2B2BC8u;
    static const char* const kinds[] = {"Price", "Barcode", "Name only"};
    board_begin(ctx);
    qel_form_begin(ctx, "label form", nullptr);
    if (qel_form_section(ctx, "Label", &label_open)) {
        qel_form_field_options text = {};
        text.placeholder = "Product name";
        qel_form_text(ctx, "Name", name, sizeof name, &text);
        qel_form_enum(ctx, "Template", kinds, 3, &kind, nullptr);
        qel_form_field_options mm = {};
        mm.min = 10;
        mm.max = 120;
        mm.suffix = "mm";
        qel_form_float(ctx, "Width", &width, &mm);
        qel_form_vector(ctx, "Offset", offset, 2, nullptr);
        qel_form_color(ctx, "Ink", &ink, nullptr);
    }
    if (qel_form_section(ctx, "Printing", &print_open)) {
        qel_form_field_options bounded = {};
        bounded.min = 1;
        bounded.max = 500;
        qel_form_int(ctx, "Copies", &copies, &bounded);
        qel_form_bool(ctx, "Cut after each", &cut, nullptr);
        qel_form_field_options off = {};
        off.disabled = 1;
        off.use_checkbox = 1;
        qel_form_bool(ctx, "Peel", &peel, &off);
    }
    if (qel_form_section(ctx, "Queue", &print_closed)) qel_form_text(ctx, "Queue", note, sizeof note, nullptr);
    qel_form_end(ctx);
    qel_container_end(ctx);
}

static void range_board(qel_context* ctx)
{
    static qel_date_range sale = {{2019, 11, 24}, {2019, 12, 3}}, empty = {};  // far from today's ring
    board_begin(ctx);
    row_begin(ctx, 16);
    qel_date_range_picker(ctx, "sale", &sale, nullptr);
    qel_date_range_options labelled = {};
    labelled.no_presets = 1;
    labelled.width = {QEL_SIZE_FIXED, 200};
    qel_date_range_picker(ctx, "season", &empty, &labelled);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

class PickerPictures : public themed_pictures {
protected:
    PickerPictures() : themed_pictures("qel/pickers_") {}
};

TEST_P(PickerPictures, WheelsAndClock)
{
    widget_rig rig(520, 300, GetParam());
    rig.h.ui = time_board;
    rig.h.run(2);
    qel_set_focus(rig.h.ctx, qel_id(rig.h.ctx, "minute"), true);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "time"));
}

static void time_popup_board(qel_context* ctx)
{
    static int32_t hour = 14, minute = 30, hour24 = 9, minute24 = 5;
    board_begin(ctx);
    row_begin(ctx, 16);
    qel_time_picker_options twelve = {};
    twelve.twelve_hour = 1;
    twelve.minute_step = 15;
    qel_time_picker(ctx, "pickup", &hour, &minute, &twelve);
    qel_time_picker_options labelled = {};
    labelled.label = "Opens at";
    labelled.width = {QEL_SIZE_FIXED, 180};
    qel_time_picker(ctx, "opens", &hour24, &minute24, &labelled);
    qel_container_end(ctx);
    qel_container_end(ctx);
}

TEST_P(PickerPictures, TimePickerOpen)
{
    widget_rig rig(420, 330, GetParam());
    rig.h.ui = time_popup_board;
    rig.h.run(2);
    rig.click_on(qel_id(rig.h.ctx, "pickup"));
    rig.h.run(3);
    EXPECT_TRUE(shows(rig, "time_popup"));
}

TEST_P(PickerPictures, MultiSelect)
{
    widget_rig rig(440, 470, GetParam());
    rig.h.ui = multi_board;
    rig.h.run(2);
    rig.click_on(qel_id(rig.h.ctx, "filter"));
    rig.h.run(2);
    rig.h.type("o");
    rig.h.run(2);
    rig.h.tap(QEL_KEY_DOWN);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "multi_select"));
}

TEST_P(PickerPictures, FormLayout)
{
    widget_rig rig(460, 540, GetParam());
    rig.h.ui = form_board;
    rig.h.run(3);
    rig.move_to(qel_id(rig.h.ctx, "label form") ^ PART_FORM_SPLITTER);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "form"));
}

TEST_P(PickerPictures, DateRangeOpen)
{
    widget_rig rig(760, 420, GetParam());
    rig.h.ui = range_board;
    rig.h.run(2);
    uint32_t field = qel_id(rig.h.ctx, "sale");
    rig.click_on(field);
    rig.h.run(3);
    int32_t day = qel_days_from_civil({2019, 11, 18});
    qel_push_id_int(rig.h.ctx, (int32_t)(field ^ PART_RANGE_POPUP));
    uint32_t calendar = qel_id(rig.h.ctx, "#rcal");
    qel_pop_id(rig.h.ctx);
    rig.move_to(qel_hash_bytes(&day, sizeof day, calendar));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "date_range"));
}

TEST_P(PickerPictures, RulerDials)
{
    widget_rig rig(420, 390, GetParam());
    rig.h.ui = ruler_board;
    rig.h.run(2);
    rig.move_to(qel_id(rig.h.ctx, "Label width") ^ PART_RULER);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "ruler"));
}

TEST_P(PickerPictures, SignaturePads)
{
    widget_rig rig(420, 300, GetParam());
    rig.h.ui = signature_board;
    rig.h.run(2);
    qel_rect r = rig.h.rect(qel_id(rig.h.ctx, "signature") ^ PART_SIGNATURE_CANVAS);
    // A looped signature, drawn slowly at first and faster at its end, then a dot.
    rig.h.move(r.x + 60, r.y + 100);
    rig.h.run();
    rig.h.button(0, true);
    rig.h.run();
    for (int i = 1; i <= 40; i++) {
        float t = (float)i / 40;
        rig.h.step = 1.0f / (20 + 200 * t);
        rig.h.move(r.x + 60 + 260 * t, r.y + 100 - 40 * sinf(t * 9.0f) * (1 - 0.5f * t));
        rig.h.run();
    }
    rig.h.button(0, false);
    rig.h.run();
    rig.h.click(r.x + 340, r.y + 70);
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "signature"));
}

TEST_P(PickerPictures, DropZones)
{
    widget_rig rig(420, 380, GetParam());
    std::vector<uint8_t> rgba(8 * 8 * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) rgba[i] = 230, rgba[i + 1] = (uint8_t)(i * 3), rgba[i + 2] = 90, rgba[i + 3] = 255;
    photo = qel_texture_create(rig.h.ctx, 8, 8, rgba.data());
    rig.h.ui = drop_board;
    rig.h.run(2);
    qel_vec2 sheet = rig.centre(qel_id(rig.h.ctx, "sheet"));
    const char* files[] = {"prices.csv", "notes.txt", "logo.png"};
    qel_input_drop_files(rig.h.ctx, files, 3, sheet.x, sheet.y);
    rig.h.run();
    qel_vec2 logo = rig.centre(qel_id(rig.h.ctx, "logo"));
    qel_input_drag_hover(rig.h.ctx, true, logo.x, logo.y);
    rig.h.run(2);
    rig.move_to(qel_id(rig.h.ctx, "photo"));
    rig.h.run(2);
    EXPECT_TRUE(shows(rig, "drop"));
}

INSTANTIATE_TEST_SUITE_P(Themes, PickerPictures, theme_modes(), theme_name);
