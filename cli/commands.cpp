// The commands of the console tool and the dispatch between them.
#include "cli/commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/options.h"
#include "engine/barcode.h"
#include "engine/brother_ql.h"
#include "engine/catalog.h"
#include "engine/image_file.h"
#include "engine/job.h"
#include "engine/quantity.h"
#include "engine/render.h"
#include "engine/spool.h"
#include "files/file_io.h"

namespace {

// A write that failed, with the system's reason for an i/o error when it left one in errno
// (the caller clears errno before the write).
int write_failed(const char* path, engine_error e)
{
    int reason = errno;
    cli_error("cannot write %s: %s", path, e == ERR_IO && reason != 0 ? strerror(reason) : engine_error_text(e));
    return CLI_BAD_INPUT;
}

// A path longer than its suffix that ends in ".pbm", in exactly that case.
bool is_pbm_path(const char* path)
{
    size_t n = strlen(path);
    return n > 4 && strcmp(path + n - 4, ".pbm") == 0;
}

// The run of rows the options name: --rows, or every data row.
void rows_of(const cli_options& o, const csv_table& table, int32_t* first, int32_t* count)
{
    *first = o.rows_given ? o.rows_first : 0;
    *count = o.rows_given ? o.rows_count : table.rows;
}

// A job's output that is the spreadsheet itself would overwrite the user's data.
bool writes_over_input(const cli_options& o, const char* path)
{
    if (!file_same(path, o.csv)) return false;
    cli_error("%s is the spreadsheet being read; write to another file", path);
    return true;
}

// A template column that no header named would print its placeholder on every label.
bool misses_a_column(const cli_options& o, const csv_table& table, const label_model& model)
{
    const char* role = layout_missing_role(&model);
    if (!role) return false;
    std::string headers;
    for (int32_t c = 0; c < table.columns && headers.size() < 200; c++)
        headers += std::string(c ? ", \"" : "\"") + table.header[c] + "\"";
    if (headers.size() >= 200) headers += ", ...";
    cli_error("no column of %s holds the %s; its headers are %s", o.csv, role, headers.c_str());
    return true;
}

// What the printer's language refuses before any row; false after saying why.
bool printer_takes(const cli_options& o, const label_model& model, uint32_t lang, const char* indent)
{
    job_options options = cli_job_options(&o);
    char msg[256];
    if (job_check(lang, &model, &options, msg, sizeof msg) == ERR_OK) return true;
    // The line length follows --media: say so where the longest line would take the label.
    job_options longest = options;
    longest.line_bytes = BROTHER_QL_MAX_LINE_BYTES;
    bool wider_media = lang == PRINTER_LANG_BROTHER_QL && options.line_bytes < BROTHER_QL_MAX_LINE_BYTES &&
                       job_check(lang, &model, &longest, nullptr, 0) == ERR_OK;
    const char* hint = wider_media ? "; --media with a width above 102 mm gives 162-byte lines" : "";
    if (indent) cli_line(stdout, indent, "%s: %s%s", printer_lang_name(lang), msg, hint);
    else cli_error("%s: %s%s", printer_lang_name(lang), msg, hint);
    return false;
}

int preview(const cli_options& o, const csv_table& table, const label_model& model, uint32_t)
{
    if (o.row < 0 || o.row >= table.rows) {
        cli_error("row %d is outside the %d data rows", o.row, table.rows);
        return CLI_BAD_INPUT;
    }
    raster r = {};
    engine_error e = label_render_row(&model, &table, o.row, &r);
    if (e != ERR_OK) {
        cli_error("cannot render this row: %s", engine_error_text(e));
        return CLI_BAD_DATA;
    }
    const char* path = o.out ? o.out : "label.png";
    if (writes_over_input(o, path)) {
        raster_free(&r);
        return CLI_BAD_INPUT;
    }
    errno = 0;
    e = is_pbm_path(path) ? pbm_write_raster(&r, path) : png_write_raster(&r, path, r.width < 400 ? 2 : 1);
    int code = e == ERR_OK ? CLI_OK : write_failed(path, e);
    if (code == CLI_OK)
        printf("%s: %dx%d dots at %d dpi (%.1f x %.1f mm), %lld ticks of ink -> %s\n", model.description, r.width,
               r.height, model.dpi, model.width_mm, model.height_mm, (long long)raster_count_ink(&r), path);
    raster_free(&r);
    return code;
}

// The quantity line of check; false when the quantities cannot print.
bool check_quantities(const cli_options& o, const csv_table& table)
{
    job_options job = cli_job_options(&o);
    char msg[256];
    int32_t skipped = 0, printed_once = 0;
    int32_t total = quantity_job_total(&table, 0, table.rows, &job, msg, sizeof msg, &skipped, &printed_once);
    if (total < 0) {
        cli_line(stdout, "  quantity: ", "%s", msg);
        return false;
    }
    printf("  quantity: %d labels from %d rows", total, table.rows);
    if (skipped > 0) printf(", %d skipped", skipped);
    if (printed_once > 0) printf(", %d printed once", printed_once);
    putchar('\n');
    return true;
}

int check(const cli_options& o, const csv_table& table, const label_model& model, uint32_t lang)
{
    cli_line(stdout, "", "%s: %d columns, %d rows", o.csv, table.columns, table.rows);
    for (int32_t i = 0; i < model.element_count; i++) {
        const label_element& e = model.elements[i];
        const char* kind = e.kind == LABEL_BARCODE ? "barcode" : "text";
        if (e.column >= 0)
            cli_line(stdout, "  ", "%-8s <- column %s", kind, table.header[e.column]);
        else
            cli_line(stdout, "  ", "%-8s literal \"%s\"", kind, e.text);
    }
    int failures = printer_takes(o, model, lang, "  ") ? 0 : 1;
    for (int32_t row = 0; row < table.rows; row++) {
        engine_error e = label_check_row(&model, &table, row);
        if (e == ERR_OK) continue;
        printf("  row %d: %s\n", row, engine_error_text(e));
        failures++;
    }
    if (o.quantity_column && !check_quantities(o, table)) failures++;
    if (failures > 0) {
        printf("%d of %d rows cannot print as laid out\n", failures, table.rows);
        return CLI_BAD_DATA;
    }
    printf("all %d rows render\n", table.rows);
    return CLI_OK;
}

// The steps before a job is written or sent: the template's columns, the printer's limits and
// the labels of the rows with their notes. An exit code; *labels gets the count.
int prepare_job(const cli_options& o, const csv_table& table, const label_model& model, uint32_t lang,
                int32_t* labels)
{
    if (misses_a_column(o, table, model) || !printer_takes(o, model, lang, nullptr)) return CLI_BAD_DATA;
    job_options options = cli_job_options(&o);
    int32_t first, count;
    rows_of(o, table, &first, &count);
    *labels = cli_count_labels(&table, first, count, &options);
    return *labels < 0 ? CLI_BAD_DATA : CLI_OK;
}

// Writes the job to the --out (or --dry-run) file as it is made.
int save_job(const cli_options& o, const csv_table& table, const label_model& model, uint32_t lang,
             const char* remark)
{
    if (writes_over_input(o, o.out)) return CLI_BAD_INPUT;
    int32_t labels = 0;
    int code = prepare_job(o, table, model, lang, &labels);
    if (code != CLI_OK) return code;
    job_options options = cli_job_options(&o);
    int32_t first, count;
    rows_of(o, table, &first, &count);
    size_t length = 0;
    errno = 0;
    engine_error e = job_write_file(o.out, lang, &model, &table, first, count, &options, &length);
    if (e == ERR_IO) return write_failed(o.out, e);
    if (e != ERR_OK) {
        cli_error("%s: %s", printer_lang_name(lang), engine_error_text(e));
        return CLI_BAD_DATA;
    }
    printf("%s job: %d labels, %zu bytes -> %s%s\n", printer_lang_name(lang), labels, length, o.out, remark);
    return CLI_OK;
}

int job(const cli_options& o, const csv_table& table, const label_model& model, uint32_t lang)
{
    if (!o.out) {
        cli_error("--out is required");
        return CLI_BAD_INPUT;
    }
    return save_job(o, table, model, lang, "");
}

int print(const cli_options& o, const csv_table& table, const label_model& model, uint32_t lang)
{
    if (o.dry_run) return save_job(o, table, model, lang, " (dry run, nothing sent to a printer)");
    if (!o.queue) {
        cli_error("--queue is required unless you pass --dry-run");
        return CLI_BAD_INPUT;
    }
    int32_t labels = 0;
    int code = prepare_job(o, table, model, lang, &labels);
    if (code != CLI_OK) return code;
    // A printer given no labels would at best feed nothing; the queue is not bothered.
    if (labels == 0) {
        printf("no labels to print: nothing sent to %s\n", o.queue);
        return CLI_OK;
    }
    job_options options = cli_job_options(&o);
    int32_t first, count;
    rows_of(o, table, &first, &count);
    size_t length = 0;
    char msg[256];
    engine_error e = spool_send_job(o.queue, lang, &model, &table, first, count, &options, &length, msg, sizeof msg);
    if (e == ERR_IO) {
        cli_error("print failed: %s", msg);
        return CLI_BAD_INPUT;
    }
    if (e != ERR_OK) {
        cli_error("%s: %s", printer_lang_name(lang), engine_error_text(e));
        return CLI_BAD_DATA;
    }
    printf("sent %d labels (%zu bytes of %s) to %s\n", labels, length, printer_lang_name(lang), o.queue);
    if (spool_queue_paused(o.queue))
        cli_line(stderr, "note: ", "%s is paused: the job waits there until the queue is resumed", o.queue);
    return CLI_OK;
}

// The symbol alone on a label of its own length, drawn and written as a PNG.
int barcode_image(const cli_options& o, uint32_t symbology, const barcode_symbol& symbol)
{
    label_model model;
    label_model_init(&model, "barcode", (float)symbol.module_count * 0.25f + 6.0f, 20.0f, o.dpi);
    label_element* bars = label_add_element(&model, LABEL_BARCODE);
    bars->x_mm = 3.0f;
    bars->y_mm = 2.0f;
    bars->size_mm = 12.0f;
    bars->module_mm = 0.25f;
    bars->symbology = symbology;
    snprintf(bars->text, sizeof bars->text, "%s", o.positional[0]);
    raster r = {};
    engine_error e = label_render_literal(&model, &r);
    if (e != ERR_OK) {
        cli_error("cannot draw this barcode: %s", engine_error_text(e));
        return CLI_BAD_DATA;
    }
    errno = 0;
    e = png_write_raster(&r, o.out, 2);
    raster_free(&r);
    if (e != ERR_OK) return write_failed(o.out, e);
    printf("wrote %s\n", o.out);
    return CLI_OK;
}

int barcode(const cli_options& o)
{
    if (o.positional_count < 1) {
        cli_error("barcode needs a value");
        return CLI_BAD_INPUT;
    }
    uint32_t symbology = SYMBOLOGY_CODE128;
    if (o.sym && !cli_symbology_parse(o.sym, &symbology)) {
        cli_error("--sym code128|ean13|upca");
        return CLI_BAD_INPUT;
    }
    const char* name = barcode_symbology_name(symbology);
    barcode_symbol symbol;
    engine_error e = barcode_encode(symbology, o.positional[0], &symbol);
    if (e != ERR_OK) {
        cli_error("%s cannot encode \"%s\": %s", name, o.positional[0], engine_error_text(e));
        return CLI_BAD_DATA;
    }
    printf("%s %s: %d modules, human readable \"%s\"\n", name, symbol.text, symbol.module_count, symbol.text);
    return o.out ? barcode_image(o, symbology, symbol) : CLI_OK;
}

int sizes(const cli_options&)
{
    for (uint32_t i = 0; i < catalog_stock_count(); i++) {
        const stock_def* s = catalog_stock_at(i);
        printf("%-14s %-28s %.2f x %.2f mm\n", s->id, s->description, s->width_mm, s->height_mm);
    }
    return CLI_OK;
}

int printers(const cli_options&)
{
    for (uint32_t i = 0; i < catalog_printer_count(); i++) {
        const printer_def* p = catalog_printer_at(i);
        printf("%-20s %-34s %d dpi, %s, up to %.0f mm\n", p->id, p->description, (int)p->dpi,
               printer_lang_name(p->language), p->max_width_mm);
    }
    printf("\nqueues on this machine:\n");
    char names[32][SPOOL_NAME_SIZE];
    int count = spool_list_queues(names, (int)(sizeof names / sizeof names[0]));
    for (int i = 0; i < count; i++) printf("  %s\n", names[i]);
    if (count == 0) printf("  (none)\n");
    return CLI_OK;
}

int layouts(const cli_options&)
{
    for (uint32_t i = 0; i < catalog_layout_count(); i++)
        printf("%-10s %s\n", catalog_layout_id(i), catalog_layout_description(i));
    return CLI_OK;
}

using model_command = int (*)(const cli_options&, const csv_table&, const label_model&, uint32_t lang);

// Loads the table and resolves the model for a command that works on them; the table is freed
// whatever the command does.
int run_on_model(const cli_options& o, model_command command)
{
    csv_table table = {};
    label_model model;
    uint32_t lang = 0;
    int code = CLI_BAD_INPUT;
    if (cli_load_csv(&o, &table) && cli_resolve_model(&o, &model, &table, &lang)) code = command(o, table, model, lang);
    csv_table_clear(&table);
    return code;
}

// Each command either works on a loaded table and its model, or on the options alone.
const struct {
    const char* name;
    model_command on_model;
    int (*on_options)(const cli_options&);
} commands[] = {
    {"preview", preview, nullptr},
    {"job", job, nullptr},
    {"print", print, nullptr},
    {"check", check, nullptr},
    {"barcode", nullptr, barcode},
    {"sizes", nullptr, sizes},
    {"printers", nullptr, printers},
    {"layouts", nullptr, layouts},
};

bool is_one_of(const char* word, const char* a, const char* b, const char* c)
{
    return strcmp(word, a) == 0 || strcmp(word, b) == 0 || strcmp(word, c) == 0;
}

}  // namespace

int cli_main(int argc, char** argv)
{
    if (argc < 2) {
        cli_print_usage(stderr);
        return CLI_BAD_INPUT;
    }
    const char* word = argv[1];
    if (strcmp(word, "--help") == 0 || strcmp(word, "-h") == 0) {
        cli_print_usage(stdout);
        return CLI_OK;
    }
    if (is_one_of(word, "version", "--version", "-V")) {
        printf("tagmoor %s\n", engine_version());
        return CLI_OK;
    }
    cli_options options;
    if (cli_parse_options(argc, argv, &options)) {
        if (!cli_check_options(&options)) return CLI_BAD_INPUT;
        for (const auto& command : commands) {
            if (strcmp(word, command.name) != 0) continue;
            return command.on_model ? run_on_model(options, command.on_model) : command.on_options(options);
        }
    }
    cli_print_usage(stderr);
    return CLI_BAD_INPUT;
}
