// Runs the listing, wildcard and path calls on what another program asks, for comparison with
// that program's answers. Texts travel as hex, so no console or locale touches their bytes; in a
// case file each text is "x" and its hex, so that an empty one still makes a field.
//   files_tool list DIR SHOW_HIDDEN   one line per item: d or f, size, mtime, hex name
//   files_tool cases FILE             one answer per line of FILE:
//     match PATTERN NAME -> 1 or 0; join DIR NAME -> the path or -; parent PATH -> the parent or -
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qel/dir_list.h"

// The path buffer of the joins: small, so that the other side sees refusals.
static const size_t JOIN_CAPACITY = 48;

static std::string from_field(const char* field)
{
    std::string out;
    for (const char* hex = field + 1; hex[0] && hex[1]; hex += 2) out += (char)strtol(std::string(hex, 2).c_str(), nullptr, 16);
    return out;
}

static void print_hex(const std::string& bytes)
{
    for (unsigned char c : bytes) printf("%02x", c);
}

static int list(const char* dir, bool show_hidden)
{
    std::vector<qel_dir_entry> entries(256);
    std::vector<char> names(65536);
    int32_t n = qel_dir_list(nullptr, dir, entries.data(), (int32_t)entries.size(), names.data(), names.size(), show_hidden);
    if (n < 0) {
        fprintf(stderr, "cannot list %s\n", dir);
        return 1;
    }
    for (int32_t i = 0; i < n; i++) {
        const qel_dir_entry& e = entries[(size_t)i];
        printf("%c\t%llu\t%lld\t", e.is_dir ? 'd' : 'f', (unsigned long long)e.size, (long long)e.mtime);
        print_hex(e.name);
        printf("\n");
    }
    return 0;
}

static void answer(const std::vector<std::string>& words)
{
    const std::string& op = words[0];
    if (op == "match" && words.size() == 3) {
        printf("%d\n", qel_wildcard_match(words[1].data(), words[1].data() + words[1].size(), words[2].c_str()) ? 1 : 0);
    } else if (op == "join" && words.size() == 3) {
        char out[JOIN_CAPACITY];
        if (qel_path_join(out, sizeof out, words[1].c_str(), words[2].c_str())) print_hex(out);
        else printf("-");
        printf("\n");
    } else if (op == "parent" && words.size() == 2) {
        std::string path = words[1];
        if (qel_path_parent(path.data())) print_hex(path.c_str());
        else printf("-");
        printf("\n");
    } else {
        printf("?\n");
    }
}

static int cases(const char* file)
{
    FILE* f = fopen(file, "r");
    if (!f) {
        fprintf(stderr, "cannot open %s\n", file);
        return 1;
    }
    char line[4096];
    while (fgets(line, sizeof line, f)) {
        line[strcspn(line, "\r\n")] = 0;
        std::vector<std::string> words;
        for (char* word = strtok(line, "\t"); word; word = strtok(nullptr, "\t")) words.push_back(words.empty() ? word : from_field(word));
        if (!words.empty()) answer(words);
    }
    fclose(f);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "list") == 0) return list(argv[2], atoi(argv[3]) != 0);
    if (argc == 3 && strcmp(argv[1], "cases") == 0) return cases(argv[2]);
    fprintf(stderr, "usage: files_tool list DIR SHOW_HIDDEN | files_tool cases FILE\n");
    return 2;
}
