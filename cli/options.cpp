// Reading the command line and turning options into the engine's inputs.
#include "cli/options.h"

#include <cfloat>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "engine/barcode.h"
#include "engine/brother_ql.h"
#include "engine/catalog.h"
#include "engine/quantity.h"

void cli_print_usage(FILE* out)
{
    fputs("tagmoor - labels from a spreadsheet, printed in the printer's own language\n"
          "\n"
          "  tagmoor preview  --csv FILE [--out FILE.png] [--row N]\n"
          "  tagmoor job      --csv FILE --out FILE [--rows FIRST:COUNT]\n"
          "  tagmoor print    --csv FILE --queue NAME [--rows FIRST:COUNT] [--dry-run FILE]\n"
          "  tagmoor check    --csv FILE\n"
          "  tagmoor barcode  --sym code128|ean13|upca VALUE [--out FILE.png]\n"
          "  tagmoor sizes | printers | layouts\n"
          "  tagmoor version\n"
          "\n"
          "Shared options\n"
          "  --size ID        the label stock, default 2x1               (tagmoor sizes)\n"
          "  --layout ID      what goes on the label, default price      (tagmoor layouts)\n"
          "  --printer ID     sets dpi and protocol                      (tagmoor printers)\n"
          "  --proto ID       zpl | tspl | brother-ql, overrides the printer\n"
          "  --dpi N          print resolution, overrides the printer\n"
          "  --module MM      barcode narrow bar width, default from the layout\n"
          "  --media WxL      Brother media in mm, L=0 for continuous tape\n"
          "  --quantity-column NAME\n"
          "                   print each row as many times as this column says\n"
          "  --copies N       print every row N times (ignored with --quantity-column)\n"
          "  --sym ID         code128 | ean13 | upca; overrides the layout's choice\n"
          "  --queue NAME     CUPS queue (macOS, Linux) or Windows printer name\n"
          "  --dry-run FILE   write the job bytes instead of printing\n"
          "\n"
          "Exit codes: 0 ok, 2 bad arguments, 3 the data cannot make a valid label.\n",
          out);
}

[[gnu::format(ENGINE_PRINTF, 3, 0)]] static void print_line(FILE* out, const char* prefix, const char* fmt,
                                                           va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int n = vsnprintf(nullptr, 0, fmt, measure);
    va_end(measure);
    const size_t text_size = n > 0 ? (size_t)n + 1 : 1, shown_size = 4 * text_size;
    char* text = (char*)malloc(text_size + shown_size);
    if (!text) {
        fprintf(out, "%sout of memory\n", prefix);
        return;
    }
    text[0] = '\0';
    vsnprintf(text, text_size, fmt, args);
    engine_message_escape(text + text_size, shown_size, text);
    fprintf(out, "%s%s\n", prefix, text + text_size);
    free(text);
}

void cli_line(FILE* out, const char* prefix, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    print_line(out, prefix, fmt, args);
    va_end(args);
}

void cli_error(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    print_line(stderr, "tagmoor: ", fmt, args);
    va_end(args);
}

namespace {

// strtoll's reading (blanks, a sign, digits; 0 without digits), held to the range of int32.
// 1 when digits were read.
int read_int(const char* text, const char** end, int32_t* value)
{
    char* stop = nullptr;
    long long v = strtoll(text, &stop, 10);
    *end = stop;
    *value = v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : (int32_t)v;
    return stop != text;
}

// "%d<separator>%d" as sscanf reads it: how many of the two numbers were read.
int read_pair(const char* text, char separator, int32_t* first, int32_t* second)
{
    const char* end = text;
    if (!read_int(text, &end, first)) return 0;
    if (*end != separator) return 1;
    return 1 + read_int(end + 1, &end, second);
}

// atof's reading, held to single precision's finite range.
float read_float(const char* text)
{
    double v = strtod(text, nullptr);
    if (v > FLT_MAX) return FLT_MAX;
    if (v < -FLT_MAX) return -FLT_MAX;
    return (float)v;
}

const struct {
    const char* name;
    const char* cli_options::*field;
} text_options[] = {
    {"--csv", &cli_options::csv},
    {"--out", &cli_options::out},
    {"--queue", &cli_options::queue},
    {"--size", &cli_options::size},
    {"--layout", &cli_options::layout},
    {"--printer", &cli_options::printer},
    {"--proto", &cli_options::proto},
    {"--media", &cli_options::media},
    {"--quantity-column", &cli_options::quantity_column},
    {"--sym", &cli_options::sym},
};

const struct {
    const char* name;
    int32_t cli_options::*field;
} number_options[] = {
    {"--dpi", &cli_options::dpi},
    {"--row", &cli_options::row},
    {"--copies", &cli_options::copies},
};

// 1 when the word is an option and took the value, 0 for a value it cannot take, -1 when the
// word is no option.
int option_apply(cli_options* o, const char* word, const char* value)
{
    for (const auto& option : text_options) {
        if (strcmp(word, option.name) != 0) continue;
        o->*option.field = value;
        return 1;
    }
    for (const auto& option : number_options) {
        if (strcmp(word, option.name) != 0) continue;
        const char* end = value;
        read_int(value, &end, &(o->*option.field));
        return 1;
    }
    if (strcmp(word, "--module") == 0) {
        o->module_mm = read_float(value);
        return 1;
    }
    if (strcmp(word, "--rows") == 0) {
        if (read_pair(value, ':', &o->rows_first, &o->rows_count) != 2) return 0;
        o->rows_given = 1;
        return 1;
    }
    if (strcmp(word, "--dry-run") == 0) {
        o->out = value;
        o->dry_run = 1;
        return 1;
    }
    return -1;
}

}  // namespace

int cli_parse_options(int argc, char** argv, cli_options* options)
{
    *options = {};
    options->size = "2x1";
    options->layout = "price";
    for (int i = 2; i < argc; i++) {
        const char* word = argv[i];
        int applied = i + 1 < argc ? option_apply(options, word, argv[i + 1]) : -1;
        if (applied == 0) return 0;
        if (applied > 0) {
            i++;
            continue;
        }
        if (word[0] == '-' || options->positional_count == CLI_MAX_POSITIONAL) return 0;
        options->positional[options->positional_count++] = word;
    }
    return 1;
}

int cli_check_options(const cli_options* options)
{
    int32_t width = 0, length = 0;
    if (!options->media || read_pair(options->media, 'x', &width, &length) == 0) return 1;
    if (width >= 0 && width <= BROTHER_QL_MAX_MEDIA_MM && length >= 0 && length <= BROTHER_QL_MAX_MEDIA_MM) return 1;
    cli_error("--media %s: width and length are 0 to %d mm", options->media, (int)BROTHER_QL_MAX_MEDIA_MM);
    return 0;
}

int cli_symbology_parse(const char* id, uint32_t* out)
{
    static const struct {
        const char* id;
        uint32_t symbology;
    } ids[] = {{"code128", SYMBOLOGY_CODE128}, {"ean13", SYMBOLOGY_EAN13}, {"upca", SYMBOLOGY_UPCA}};
    for (const auto& entry : ids) {
        if (strcmp(id, entry.id) != 0) continue;
        *out = entry.symbology;
        return 1;
    }
    return 0;
}

job_options cli_job_options(const cli_options* options)
{
    job_options job = {};
    job.copies = options->copies;
    job.quantity_column = options->quantity_column;
    int32_t width = 0, length = 0;
    if (options->media && read_pair(options->media, 'x', &width, &length) > 0) {
        job.media_width_mm = width;
        job.media_length_mm = length;
        job.line_bytes = width > 102 ? 162 : 90;
    }
    return job;
}

int cli_load_csv(const cli_options* options, csv_table* table)
{
    if (!options->csv) {
        cli_error("--csv is required");
        return 0;
    }
    char msg[256];
    engine_error e = csv_read_file(table, options->csv, msg, sizeof msg);
    if (e == ERR_OK) return 1;
    cli_error("%s: %s", options->csv, msg[0] ? msg : engine_error_text(e));
    return 0;
}

namespace {

// The barcodes take --module and --sym; --sym is checked only when there is a barcode.
int apply_barcode_options(const cli_options* options, label_model* model)
{
    for (int32_t i = 0; i < model->element_count; i++) {
        label_element* e = &model->elements[i];
        if (e->kind != LABEL_BARCODE) continue;
        if (options->module_mm > 0) e->module_mm = options->module_mm;
        if (options->sym && !cli_symbology_parse(options->sym, &e->symbology)) {
            cli_error("unknown symbology %s", options->sym);
            return 0;
        }
    }
    return 1;
}

}  // namespace

int cli_resolve_model(const cli_options* options, label_model* model, const csv_table* table, uint32_t* out_lang)
{
    const stock_def* stock = catalog_stock_find(options->size);
    if (!stock) {
        cli_error("unknown size %s (see: tagmoor sizes)", options->size);
        return 0;
    }
    printer_def printer = {"", "", 203, PRINTER_LANG_ZPL, 104.0f};
    if (options->printer) {
        const printer_def* found = catalog_printer_find(options->printer);
        if (!found) {
            cli_error("unknown printer %s (see: tagmoor printers)", options->printer);
            return 0;
        }
        printer = *found;
    }
    int32_t dpi = options->dpi >= 1 ? options->dpi : (int32_t)printer.dpi;
    uint32_t lang = printer.language;
    if (options->proto && !printer_lang_parse(options->proto, &lang)) {
        cli_error("unknown protocol %s", options->proto);
        return 0;
    }
    if (stock->width_mm > printer.max_width_mm) {
        cli_error("%.1f mm label is wider than the %.0f mm this printer takes", stock->width_mm, printer.max_width_mm);
        return 0;
    }
    label_model_init(model, stock->description, stock->width_mm, stock->height_mm, dpi);
    model->gap_mm = stock->gap_mm;
    if (layout_build(model, options->layout, table) != ERR_OK) {
        cli_error("unknown layout %s (see: tagmoor layouts)", options->layout);
        return 0;
    }
    if (!apply_barcode_options(options, model)) return 0;
    *out_lang = lang;
    return 1;
}

int32_t cli_count_labels(const csv_table* table, int32_t first_row, int32_t count, const job_options* options)
{
    char msg[256];
    int32_t skipped = 0, printed_once = 0;
    int32_t total = quantity_job_total(table, first_row, count, options, msg, sizeof msg, &skipped, &printed_once);
    if (total < 0) {
        // The engine says nothing of a run that starts or counts below 0.
        if (msg[0])
            cli_error("%s", msg);
        else
            cli_error("--rows %d:%d: FIRST and COUNT must be 0 or more", first_row, count);
        return -1;
    }
    if (skipped > 0) fprintf(stderr, "note: %d row%s skipped (quantity 0)\n", skipped, skipped == 1 ? "" : "s");
    if (printed_once > 0)
        fprintf(stderr, "note: %d row%s printed once (no quantity)\n", printed_once, printed_once == 1 ? "" : "s");
    return total;
}
