// The file manager's list of the data directory: profiles, projects, pictures and logs
// with size and modification time, newest first, and the disk usage bar under it. Opened
// on a baseline-crossing project it lists that project's profiles under a "/.." entry.
//
// Names come from the disk (possibly damaged, or written by another machine): a name is
// kept exactly as the directory gives it, so that the file operations find the file, and
// is shown with control bytes as '?'. A name longer than an entry holds is left out of the
// list, since a cut name would stand for a different file.
#pragma once

#include "gui/indicators.h"
#include "gui/list_box.h"

#include <cstdint>
#include <vector>

struct CDirEntry {
    static constexpr size_t kNameBytes = 101; // up to 100 bytes and the terminator
    char name[kNameBytes];
    int32_t mtime; // modification time, seconds
    int64_t size;  // bytes; -1 = not shown
};

class CFListBox : public CSDLObject {
public:
    static constexpr size_t kPathBytes = 101; // up to 100 characters
    static constexpr const char* kUpEntry = "/..";
    std::vector<CDirEntry> entries;
    std::vector<Uint8> marked;
    char path[kPathBytes] = {};      // the directory (device path)
    char proj_name[kPathBytes] = {}; // project file name; empty = plain listing
    bool sort_by_name = true;
    int current = 0, first = 0, shown;
    int row_height = 23, header_height = 25, baseline = 18, font_size = 16;
    static constexpr int kColumns = 3;
    CListStr titles[kColumns];
    int widths[kColumns] = {200, 100, 180};
    int font_type = 14; // box_font, 8-bit
    bool scrolled = false;
    CVScrollBar* sbar = nullptr;
    CDiskStatus* disk = nullptr;
    char free_label[64] = {}, used_label[64] = {};
    SDL_Surface* surf = nullptr;
    int box_width, box_height;

    CFListBox(int x, int y, int width, int height, const char* path, const char* freeLabel,
              const char* usedLabel);
    ~CFListBox() override;

    // Empties the list and fills it from the directory (under lock_dw); the disk bar shows
    // the directory's file system. 0, or -1 when the directory cannot be opened (the list
    // is then empty).
    int ReadDir();
    // 1: by name, ascending; 2: by modification time, newest first. Equal keys keep their
    // order; a leading "/.." entry stays first; marks follow their entries.
    void SortDir(int how);

    void SetPath(const char* p);     // "" or a name that does not fit leaves ""
    void SetProject(const char* p);  // "" = plain listing
    void SetColumn(int index, const char* title);

    void Next();
    void Previous();
    void SetCurrent(int i); // ignored when out of range
    int GetCurrent() const { return current; }
    int count() const { return int(entries.size()); }
    // Name of entry i as on the disk ("" when out of range).
    const char* GetName(int i) const;
    const char* GetSelName() const { return GetName(current); }
    void SetMarked(int i, bool on);
    bool IsMarked(int i) const { return i >= 0 && i < count() && marked[size_t(i)]; }
    int MarkedCount() const;
    bool IsScroll() const { return count() > shown; }

    void Draw() override;
    void Erase() override;

private:
    void add(const char* name, int32_t mtime, int64_t size);
    void window_to(int i);
    void update_disk(const char* host_dir);
};
