// Reads each CSV file named on the command line and prints its table as one JSON line, for
// comparison with another reader.
#include <cstdio>

#include "engine/csv.h"

static void print_json_string(const char* s)
{
    putchar('"');
    for (; *s; s++) {
        unsigned char c = (unsigned char)*s;
        if (c == '"' || c == '\\') printf("\\%c", c);
        else if (c < 0x20) printf("\\u%04x", c);
        else putchar(c);
    }
    putchar('"');
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++) {
        csv_table t = {};
        char msg[256];
        engine_error e = csv_read_file(&t, argv[i], msg, sizeof msg);
        if (e != ERR_OK) {
            printf("{\"error\": %d}\n", (int)e);
            continue;
        }
        printf("{\"header\": [");
        for (int32_t c = 0; c < t.columns; c++) {
            if (c) printf(", ");
            print_json_string(t.header[c]);
        }
        printf("], \"rows\": [");
        for (int32_t r = 0; r < t.rows; r++) {
            printf(r ? ", [" : "[");
            for (int32_t c = 0; c < t.columns; c++) {
                if (c) printf(", ");
                print_json_string(csv_cell(&t, r, c));
            }
            printf("]");
        }
        printf("]}\n");
        csv_table_clear(&t);
    }
    return 0;
}
