#include "files/markers.h"

#include "files/keylines.h"
#include "platform/file_offsets.h"
#include "platform/host_paths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

int16_t voice_mrk_num = 1, gps_mrk_num = 1, surf_mrk_num = 1;

namespace {

constexpr size_t kMarkerLineMax = 300; // trace, value, type, 255-character text

// A whole column as a decimal integer (leading zeros and blanks allowed, nothing after).
bool column_int(const char* s, long lo, long hi, long& out)
{
    char* end = nullptr;
    errno = 0;
    long v = strtol(s, &end, 10);
    if (end == s || errno == ERANGE || v < lo || v > hi)
        return false;
    while (*end == ' ')
        end++;
    if (*end)
        return false;
    out = v;
    return true;
}

// Splits a line at its first three tabs; returns the number of columns (1..4).
int split_columns(char* line, char* col[4])
{
    int n = 1;
    col[0] = line;
    for (char* p = line; *p && n < 4; p++) {
        if (*p == '\t') {
            *p = 0;
            col[n++] = p + 1;
        }
    }
    return n;
}

// Text as it can stand in one tab-separated column of one line.
void column_text(char* out, size_t size, const char* in)
{
    copy_text(out, size, in);
    for (char* p = out; *p; p++)
        if (*p == '\t' || *p == '\r' || *p == '\n')
            *p = ' ';
}

} // namespace

CMarkers::~CMarkers()
{
    if (stream)
        fclose(stream);
}

CMarker* CMarkers::end_marker() const
{
    for (const auto& m : list)
        if (m->type == -1)
            return m.get();
    return nullptr;
}

void CMarkers::number_marker(CMarker& m, bool replace_surface_text)
{
    if (m.type >= 19 && m.type <= 21) {
        m.number = gps_mrk_num++;
    } else if (m.type == 13) {
        m.number = voice_mrk_num++;
    } else if (m.type >= 100 && m.type <= 199) {
        m.number = surf_mrk_num++;
        if (replace_surface_text)
            snprintf(m.text, sizeof m.text, "S%d", m.number);
    }
}

int CMarkers::m_create()
{
    m_close(true);
    stream = fopen(host_path(path).c_str(), "w+b");
    if (!stream)
        return 5;
    fputs("HEADER VERSION:101\r\n", stream);
    fflush(stream);
    return 0;
}

int CMarkers::mCOpen()
{
    m_close(false);
    stream = fopen(host_path(path).c_str(), "r+b");
    if (!stream)
        return 5;
    fseek(stream, 0, SEEK_END);
    return 0;
}

int CMarkers::m_read()
{
    m_close(true);
    FILE* f = fopen(host_path(path).c_str(), "rb");
    if (!f)
        return 5;
    voice_mrk_num = gps_mrk_num = surf_mrk_num = 1;
    char line[kMarkerLineMax + 2];
    if (read_key_line(f, line, sizeof line, kMarkerLineMax) != kLineRead) { // heading line
        fclose(f);
        return 0;
    }
    long type = 0;
    char text[kMarkerTextSize] = {};
    while (read_key_line(f, line, sizeof line, kMarkerLineMax) == kLineRead) {
        if (!line[0])
            continue;
        char* col[4];
        int n = split_columns(line, col);
        long trace, value;
        bool ok = n >= 2 && column_int(col[0], INT32_MIN, INT32_MAX, trace)
            && column_int(col[1], INT16_MIN, INT16_MAX, value);
        if (ok && n >= 3)
            ok = column_int(col[2], INT16_MIN, INT16_MAX, type);
        if (ok && n >= 4)
            column_text(text, sizeof text, col[3]);
        printf("mtype: %d\n", (int)type);
        if (!ok || trace < 0 || value < 0)
            continue;
        if (type == -1 && end_marker())
            continue; // one end marker per profile: the first one counts
        auto m = std::make_unique<CMarker>();
        m->trace = (int32_t)trace;
        m->value = (int16_t)value;
        m->type = (int16_t)type;
        copy_text(m->text, sizeof m->text, type == -1 ? "" : text);
        number_marker(*m, false);
        printf("mtype2: %d %d %d\n", m->type, m->trace, m->value);
        list.push_back(std::move(m));
    }
    fclose(f);
    return 0;
}

int CMarkers::add_marker(int32_t trace, int16_t value, int16_t type, const char* text)
{
    if (type == -1) {
        if (CMarker* e = end_marker()) {
            e->trace = trace;
            e->value = value;
        } else {
            auto m = std::make_unique<CMarker>();
            m->trace = trace;
            m->value = value;
            m->type = -1;
            list.push_back(std::move(m));
        }
        return 0;
    }
    auto m = std::make_unique<CMarker>();
    m->trace = trace;
    m->value = value;
    m->type = type;
    column_text(m->text, sizeof m->text, text);
    number_marker(*m, true);
    int written = -1;
    if (stream) {
        written = fprintf(stream, "%d\t%d\t%d\t%s\r\n", m->trace, m->value, m->type, m->text);
        if (fflush(stream) != 0)
            written = -1;
    }
    list.push_back(std::move(m));
    return written < 6 ? 6 : 0;
}

void CMarkers::write_end_line(const CMarker& e)
{
    char end_line[64];
    int len = snprintf(end_line, sizeof end_line, "%06d\t%04d\t-1\r\n", e.trace, e.value);
    fflush(stream);
    rewind(stream);

    // Find an end line already in the file: a line of exactly three columns, the third "-1".
    long found = -1, found_len = 0, offset = 0;
    char head[128];
    size_t hn = 0, line_len = 0;
    int c;
    bool too_long = false;
    auto check = [&]() {
        head[hn] = 0;
        if (!too_long) {
            char* col[4];
            if (hn && head[hn - 1] == '\r')
                head[hn - 1] = 0;
            long v;
            if (split_columns(head, col) == 3 && strcmp(col[2], "-1") == 0
                && column_int(col[0], INT32_MIN, INT32_MAX, v) && column_int(col[1], INT32_MIN, INT32_MAX, v)
                && found < 0) {
                found = offset;
                found_len = (long)line_len;
            }
        }
    };
    while ((c = getc(stream)) != EOF) {
        line_len++;
        if (c == '\n') {
            check();
            offset += (long)line_len;
            hn = line_len = 0;
            too_long = false;
            continue;
        }
        if (hn + 1 < sizeof head)
            head[hn++] = (char)c;
        else
            too_long = true;
    }
    if (line_len)
        check();

    if (found >= 0 && found_len == len) {
        fseek(stream, found, SEEK_SET); // same length: rewrite in place
        fwrite(end_line, 1, (size_t)len, stream);
    } else if (found >= 0) {
        // The numbers grew a digit: drop the old line and append the new one.
        std::string all;
        rewind(stream);
        while ((c = getc(stream)) != EOF)
            all.push_back((char)c);
        all.erase((size_t)found, (size_t)found_len);
        all.append(end_line, (size_t)len);
        rewind(stream);
        fwrite(all.data(), 1, all.size(), stream);
        fflush(stream);
        if (ftruncate(fileno(stream), (off_t)all.size()) != 0)
            perror("marker file");
    } else {
        fseek(stream, 0, SEEK_END);
        fwrite(end_line, 1, (size_t)len, stream);
    }
    fflush(stream);
}

void CMarkers::m_close(bool clear)
{
    if (stream) {
        if (const CMarker* e = end_marker())
            write_end_line(*e);
        fclose(stream);
        stream = nullptr;
    }
    if (clear)
        m_clear();
}
