// Stream decoders for the job tests: each walks a job byte by byte as a printer would.
#include "job_decoders.h"

#include <cctype>
#include <cstdio>

picture picture_of(const raster& r)
{
    picture p(r.width, r.height);
    for (int32_t y = 0; y < r.height; y++)
        for (int32_t x = 0; x < r.width; x++) p.at(x, y) = (uint8_t)raster_get(&r, x, y);
    return p;
}

picture picture_of_pbm(const std::string& bytes)
{
    int width = 0, height = 0, used = 0;
    if (sscanf(bytes.c_str(), "P4 %d %d%n", &width, &height, &used) != 2 || width < 1 || height < 1) return picture();
    const size_t stride = ((size_t)width + 7) / 8, start = (size_t)used + 1;
    if (bytes.size() != start + stride * (size_t)height) return picture();
    picture p(width, height);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            p.at(x, y) = (uint8_t)bytes[start + (size_t)y * stride + (size_t)x / 8] >> (7 - x % 8) & 1;
    return p;
}

std::string picture_difference(const picture& a, const picture& b)
{
    if (a.width != b.width || a.height != b.height)
        return "size " + std::to_string(a.width) + "x" + std::to_string(a.height) + " against " +
               std::to_string(b.width) + "x" + std::to_string(b.height);
    for (int32_t y = 0; y < a.height; y++)
        for (int32_t x = 0; x < a.width; x++)
            if (a.dots[(size_t)y * (size_t)a.width + (size_t)x] != b.dots[(size_t)y * (size_t)b.width + (size_t)x])
                return "dot " + std::to_string(x) + "," + std::to_string(y);
    return "";
}

namespace {

// A cursor over a job's bytes that notes the first thing that is not as expected.
struct reader {
    const std::string& job;
    size_t at = 0;
    std::string error;

    explicit reader(const std::string& bytes) : job(bytes) {}

    bool done() const { return at >= job.size() || !error.empty(); }
    bool fail(const std::string& why)
    {
        if (error.empty()) error = why + " at byte " + std::to_string(at);
        return false;
    }
    int byte()
    {
        if (at >= job.size()) return fail("end of job"), 0;
        return (uint8_t)job[at++];
    }
    bool expect(const std::string& bytes, const char* what)
    {
        if (job.compare(at, bytes.size(), bytes) != 0) return fail(std::string("no ") + what);
        at += bytes.size();
        return true;
    }
    bool next_is(const std::string& bytes) const { return job.compare(at, bytes.size(), bytes) == 0; }
};

}  // namespace

std::string brother_decode(const std::string& job, int32_t label_width, std::vector<brother_page>* pages)
{
    reader in(job);
    in.expect(std::string("\x1b@\x1bia\x01\x1bia\x01", 10), "start");
    // Each page ends with its print command: FF, and Control-Z after the last.
    for (bool last = in.next_is("\x1a"); !in.done() && !last;) {
        brother_page page;
        in.expect("\x1biS\x1biz\xce", "page header");
        page.media_type = (uint8_t)in.byte();
        page.media_width = (uint8_t)in.byte();
        page.media_length = (uint8_t)in.byte();
        uint32_t lines = 0;
        for (int i = 0; i < 4; i++) lines |= (uint32_t)in.byte() << (8 * i);
        in.expect(std::string("\0\0\x1biM\x40\x1biA\x01\x1biK\x08\x1bid", 17), "modes");
        page.feed_margin = (uint16_t)in.byte();
        page.feed_margin = (uint16_t)(page.feed_margin | in.byte() << 8);
        page.dots = picture(label_width, (int32_t)lines);
        for (uint32_t y = 0; y < lines && !in.done(); y++) {
            in.expect(std::string("g\0", 2), "raster line");
            int length = in.byte();
            if (page.line_bytes && length != page.line_bytes) in.fail("line length changed");
            page.line_bytes = length;
            if (label_width > length * 8) in.fail("label wider than the line");
            for (int bit = 0; bit < length * 8 && !in.done(); bit += 8) {
                int value = in.byte();
                for (int k = 0; k < 8; k++) {
                    int32_t i = bit + k;  // the line's first bit is the label's rightmost dot
                    bool black = value >> (7 - k) & 1;
                    if (i < label_width) page.dots.at(label_width - 1 - i, (int32_t)y) = black;
                    else if (black) in.fail("ink past the label's width");
                }
            }
        }
        pages->push_back(page);
        last = in.next_is("\x1a");
        if (!last) in.expect("\x0c", "print command after the page");
    }
    in.expect("\x1a", "final print byte");
    if (in.error.empty() && in.at != job.size()) in.fail("bytes after the end");
    return in.error;
}

std::string dymo_decode(const std::string& job, int32_t label_width, std::vector<dymo_label>* labels)
{
    reader in(job);
    in.expect(std::string(156, '\x1b') + std::string("\x1by\x1bQ\0\0\x1b" "B\0\x1bi\x1b" "e", 13), "start");
    const int32_t stride = (label_width + 7) / 8;
    while (!in.done()) {
        dymo_label label;
        in.expect("\x1bL", "label length");
        label.length = (uint16_t)(in.byte() << 8);
        label.length = (uint16_t)(label.length | in.byte());
        label.dots = picture(label_width, label.length);
        int32_t y = 0, tab = -1, bytes_per_line = -1;
        while (!in.done() && !in.next_is("\x1b" "E")) {
            int command = in.byte();
            if (command == 0x16 || command == 0x17) {
                if (tab < 0 || bytes_per_line < 0) in.fail("line before its dot tab or length");
                if (tab + bytes_per_line > stride) in.fail("line past the label's width");
                if (y >= label.length) in.fail("line past the label's length");
                std::vector<uint8_t> bits;
                while (command == 0x16 && (int32_t)bits.size() < bytes_per_line * 8 && !in.done()) {
                    int value = in.byte();
                    for (int k = 7; k >= 0; k--) bits.push_back(value >> k & 1);
                }
                while (command == 0x17 && (int32_t)bits.size() < bytes_per_line * 8 && !in.done()) {
                    int run = in.byte();
                    bits.insert(bits.end(), (size_t)(run & 0x7f) + 1, (uint8_t)(run >> 7));
                }
                if ((int32_t)bits.size() != bytes_per_line * 8) in.fail("runs do not fill the line");
                for (size_t i = 0; in.error.empty() && i < bits.size(); i++) {
                    int32_t x = tab * 8 + (int32_t)i;
                    if (x < label_width) label.dots.at(x, y) = bits[i];
                    else if (bits[i]) in.fail("ink past the label's width");
                }
                tab = -1;  // every inked line carries its own dot tab
                y++;
            } else if (command != 0x1b) {
                in.fail("unknown command");
            } else if (in.next_is("f\x01")) {
                in.at += 2;
                y += in.byte();
            } else if (in.next_is("B")) {
                in.at += 1;
                tab = in.byte();
            } else if (in.next_is("D")) {
                in.at += 1;
                int value = in.byte();
                if (value == bytes_per_line) in.fail("repeated line length");
                bytes_per_line = value;
                label.bytes_per_line_commands++;
            } else {
                in.fail("unknown escape");
            }
        }
        in.expect("\x1b" "E", "form feed");
        labels->push_back(label);
    }
    return in.error;
}

// Reads "BITMAP 0,0,W,H,MODE,<hex>" into a picture label_width wide.
static bool tspl_bitmap(const std::string& line, int32_t label_width, int expect_mode, picture* p, std::string* error)
{
    int stride = 0, height = 0, mode = -1, used = 0;
    if (sscanf(line.c_str(), "BITMAP 0,0,%d,%d,%d,%n", &stride, &height, &mode, &used) != 3 || used == 0)
        return *error = "not an image: " + line.substr(0, 40), false;
    if (mode != expect_mode || stride != (label_width + 7) / 8) return *error = "image mode or width", false;
    const std::string hex = line.substr((size_t)used);
    if (hex.size() != (size_t)stride * (size_t)height * 2) return *error = "image data length", false;
    *p = picture(label_width, height);
    for (size_t i = 0; i < hex.size(); i += 2) {
        unsigned value = 0;
        if (!isxdigit((unsigned char)hex[i]) || !isxdigit((unsigned char)hex[i + 1]) || islower((unsigned char)hex[i]) ||
            islower((unsigned char)hex[i + 1]) || sscanf(hex.c_str() + i, "%2x", &value) != 1)
            return *error = "not upper-case hexadecimal", false;
        int32_t y = (int32_t)(i / 2 / (size_t)stride), x0 = (int32_t)(i / 2 % (size_t)stride) * 8;
        for (int k = 0; k < 8 && x0 + k < label_width; k++) p->at(x0 + k, y) = value >> (7 - k) & 1;
    }
    return true;
}

std::string tspl_decode(const std::string& job, int32_t label_width, std::vector<tspl_label>* labels)
{
    std::string error;
    tspl_label label;
    int images = 0;
    for (size_t at = 0; at < job.size() && error.empty();) {
        size_t end = job.find('\n', at);
        if (end == std::string::npos) return "a line without its line feed";
        const std::string line = job.substr(at, end - at);
        at = end + 1;
        if (line.compare(0, 7, "BITMAP ") == 0) {
            tspl_bitmap(line, label_width, images, images == 0 ? &label.graphics : &label.text, &error);
            images++;
            continue;
        }
        label.commands.push_back(line);
        if (line.compare(0, 6, "PRINT ") == 0) {
            if (images != 2) error = "a label without both images";
            labels->push_back(label);
            label = tspl_label();
            images = 0;
        }
    }
    if (error.empty() && (images || !label.commands.empty())) error = "a label without its print command";
    return error;
}
