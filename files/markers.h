// Markers of the current profile and their file ".mrk".
//
// The file starts with "HEADER VERSION:101"; every marker but the end marker is appended as
// "trace\tvalue\ttype\ttext" when it is set, so a profile cut off by a power loss keeps every
// marker set before; the end marker ("%06d\t%04d\t-1") is written when the file is closed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

constexpr int kMarkerTextSize = 256;

class CMarker {
public:
    int32_t trace = 0;   // trace number
    int16_t value = 0;   // sample position of the mark in the trace
    int16_t type = 0;    // -1 end, 13 voice, 19..21 GPS, 100..199 surface, 200 depth
    char text[kMarkerTextSize] = {};
    int16_t number = 0;  // running number within its type family (0: none)
};

// Running numbers of the three marker families; reading a marker file resets them to 1.
extern int16_t voice_mrk_num, gps_mrk_num, surf_mrk_num;

class CMarkers {
public:
    char path[100] = {};          // device path of the .mrk
    FILE* stream = nullptr;       // open file, null when closed
    std::vector<std::unique_ptr<CMarker>> list;

    CMarkers() = default;
    ~CMarkers();
    CMarkers(const CMarkers&) = delete;
    CMarkers& operator=(const CMarkers&) = delete;

    // Closes an open file (with its end line), clears the list, creates the file with its
    // first line: 0, or 5 when it cannot be created.
    int m_create();
    // m_close(false), then opens the file for update at its end: 0 or 5.
    int mCOpen();
    // m_close(true), then loads the list from the file: 0, or 5 when it cannot be opened.
    int m_read();
    // Adds a marker (and appends its line): 0, or 6 when the line could not be written.
    // Two end markers (type -1) keep one, with the second one's trace and value.
    int add_marker(int32_t trace, int16_t value, int16_t type, const char* text);
    // Writes the end line when the list holds an end marker and a file is open (replacing an
    // end line already in the file), closes the file, and with `clear` deletes all markers.
    void m_close(bool clear);
    void m_clear() { list.clear(); }

    // The end marker of the list, or null.
    CMarker* end_marker() const;

private:
    void number_marker(CMarker& m, bool replace_surface_text);
    void write_end_line(const CMarker& end);
};
