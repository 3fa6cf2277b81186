// What a continued profile's files held when its measurement was continued, so that a
// restart of that measurement gives back the profile as it was saved before, instead of
// deleting it whole. The append-only files (traces, positions, GPS log) are cut back to
// their sizes; the small rewritten ones (header, display settings, markers, missed-block
// state) are put back whole. Taken under lock_dw after the files were opened for appending.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CRData;

class CContinuePoint {
public:
    // Records the sizes and contents for the files of `rd` (its paths are set). The
    // snapshot stands until forget() or the next take().
    void take(const CRData& rd);
    bool held() const { return held_; }
    // Puts the files back (the profile's files are closed). 0, or the number of files that
    // could not be put back.
    int restore() const;
    void forget();

private:
    struct File {
        std::string path;  // device path
        bool existed = false;
        bool whole = false; // content kept whole, else only its size
        int64_t size = 0;
        std::vector<char> bytes;
    };
    void keep(const char* path, bool whole);
    std::vector<File> files_;
    bool held_ = false;
};
