// File names and paths from arbitrary bytes: the wildcard match against a slow matcher of the
// same rules (each star tried at every split, memoised), and joins and parents whose results
// must be whole: exactly folder, separator and name, or a refusal; a parent that is a prefix.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qel/dir_list.h"
#include "qel/text_units.h"

static void check(bool ok)
{
    if (!ok) abort();
}

static char fold(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c + 32) : c;
}

// Does pattern[p..] match name[n..]? A star takes any bytes; one that is not the pattern's last
// character leaves at least one for what follows it.
struct slow_matcher {
    const std::string& pattern;
    const std::string& name;
    std::vector<signed char> memo;

    bool at(size_t p, size_t n)
    {
        signed char& m = memo[p * (name.size() + 1) + n];
        if (m < 0) m = solve(p, n);
        return m;
    }

    bool solve(size_t p, size_t n)
    {
        if (p == pattern.size()) return n == name.size();
        if (pattern[p] == '*') {
            if (p + 1 == pattern.size()) return true;
            for (size_t k = n; k < name.size(); k++)
                if (at(p + 1, k)) return true;
            return false;
        }
        if (n == name.size()) return false;
        if (pattern[p] == '?') return at(p + 1, (size_t)qel_utf8_next(name.c_str(), (int32_t)name.size(), (int32_t)n));
        return fold(pattern[p]) == fold(name[n]) && at(p + 1, n + 1);
    }
};

static void wildcard(const std::string& pattern, const std::string& name)
{
    slow_matcher slow{pattern, name, std::vector<signed char>((pattern.size() + 1) * (name.size() + 1), -1)};
    check(qel_wildcard_match(pattern.data(), pattern.data() + pattern.size(), name.c_str()) == slow.at(0, 0));
}

static void join(const std::string& dir, const std::string& name, size_t capacity)
{
    std::vector<char> out(capacity + 1, 'x');
    bool joined = qel_path_join(out.data(), capacity, dir.c_str(), name.c_str());
    check(out[capacity] == 'x');
    if (capacity == 0) return check(!joined);
    std::string result = out.data();
    std::string expected[] = {dir + name, dir + "/" + name, dir + "\\" + name};
    bool whole = result == expected[0] || result == expected[1] || result == expected[2];
    check(joined ? whole && result.size() < capacity : result.empty());
}

static void parent(const std::string& path)
{
    std::string climbed = path;
    bool up = qel_path_parent(climbed.data());
    climbed.resize(strlen(climbed.c_str()));
    check(up ? climbed.size() < path.size() && path.compare(0, climbed.size(), climbed) == 0 : climbed == path);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    std::string pattern = in.ConsumeRandomLengthString(64);
    std::string name = in.ConsumeRandomLengthString(64);
    size_t capacity = in.ConsumeIntegralInRange<size_t>(0, 160);
    wildcard(pattern, std::string(name.c_str()));
    join(std::string(pattern.c_str()), std::string(name.c_str()), capacity);
    parent(std::string(pattern.c_str()));
    return 0;
}
