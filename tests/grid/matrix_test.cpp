// The cube: sizing, naming, allocation, the .rhd and .rd6 files, and creating, opening,
// copying and deleting a project.
#include "grid_fixture.h"

#include "dsp/rounding.h"
#include "files/keylines.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int32_t le32(const std::string& b, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; i--)
        v = v << 8 | uint8_t(b[at + size_t(i)]);
    return int32_t(v);
}
int16_t le16(const std::string& b, size_t at) { return int16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }

// A value per trace and sample that no two cells share (direction and line folded in).
float cell_value(int d, int l, int t, int s) { return float(d * 1000 + l * 100 + t * 10) + s * 0.25f - 7.0f; }

// Every sample of the cube's lines (spare lines excluded), direction 0 first.
std::vector<float> cube_values(const CMatrix& m)
{
    std::vector<float> v;
    for (int d = 0; d < 2; d++)
        for (int l = 0; l < m.line_count(d); l++)
            for (const CFTrace& t : m.traces[d][size_t(l)])
                v.insert(v.end(), t.data, t.data + t.count);
    return v;
}

} // namespace

class Grid : public GridTest {};

TEST_F(Grid, SizingGivesThePointsAndLinesOfTheExamples)
{
    struct Case {
        int16_t type;
        float x, y, res, spacing;
        uint8_t units;
        int samples;
        int result, nx, ny, step, lines_0, lines_1;
    } cases[] = {
        {2, 10, 5, 0.05f, 0.5f, 1, 512, 0, 201, 101, 10, 21, 11},
        {2, 10, 5, 0.05f, 0.49f, 1, 512, 0, 201, 101, 9, 23, 12},    // 9.8 + 0.1 truncated
        {2, 10, 5, 0.05f, 0.0f, 1, 512, 0, 201, 101, 1, 201, 101},   // no spacing: every point
        {2, 22, 5, 0.05f, 0.5f, 1, 512, -3, 441, 101, 10, 45, 11},   // one point too many in X
        {2, 5, 22, 0.05f, 0.5f, 1, 512, -4, 101, 441, 10, 11, 45},
        {1, 10, 5, 0.05f, 0.5f, 1, 512, 0, 201, 101, 1, 201, 101},   // type 1: lines on every point
        {1, 10, 5, 0.05f, 0.5f, 1, 1024, -2, 201, 101, 1, 201, 101}, // 167 MB estimate
        {2, 30, 30, 2.0f, 3.0f, 0, 512, 0, 181, 181, 18, 11, 11},    // feet and inches
    };
    for (const Case& c : cases) {
        mx.project_type = c.type;
        mx.x_size = c.x;
        mx.y_size = c.y;
        mx.resolution = c.res;
        mx.profile_spacing = c.spacing;
        xml_pars.units = c.units;
        eep.samples = uint16_t(c.samples);
        SCOPED_TRACE(testing::Message() << c.x << " x " << c.y << " at " << c.res << ", spacing " << c.spacing);
        EXPECT_EQ(c.result, mx.proper_size());
        EXPECT_EQ(c.nx, mx.nx);
        EXPECT_EQ(c.ny, mx.ny);
        EXPECT_EQ(c.step, mx.line_step);
        EXPECT_EQ(c.lines_0, mx.lines_0);
        EXPECT_EQ(c.lines_1, mx.lines_1);
        if (c.type == 1) {
            EXPECT_EQ(0.0f, mx.profile_spacing);
        }
    }
    mx.resolution = 0.0f;
    EXPECT_EQ(-1, mx.proper_size());
}

TEST_F(Grid, AllocationRefusesSizesNoCubeCanHaveAndLeavesNothingBuilt)
{
    struct Case {
        int nx, ny, step, override_step, samples, result;
    } cases[] = {
        {441, 101, 10, 0, 512, -1}, {0, 101, 10, 0, 512, -1},  {201, 0, 10, 0, 512, -1},
        {201, 441, 10, 0, 512, -1}, {201, 101, 0, 0, 512, -1}, {201, 101, 10, 0, 0, -1},
        {440, 440, 1, 0, 2048, -2}, // 6.3 GB: refused before anything is allocated
        {900, 1, 1, 1, 512, 0},     // the profile screen's one line, wider than a grid
        {201, 101, 10, 0, 512, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nx << " x " << c.ny << " step " << c.step);
        make_cube(5, 5, 1, 100); // a previous cube that a failure must not leave half-replaced
        mx.nx = int16_t(c.nx);
        mx.ny = int16_t(c.ny);
        mx.line_step = int16_t(c.step);
        mx.x_step_override = int16_t(c.override_step);
        eep.samples = uint16_t(c.samples);
        EXPECT_EQ(c.result, mx.mx_create());
        if (c.result == -2) {
            EXPECT_FALSE(mx.allocated());
            EXPECT_TRUE(mx.maps[2].empty());
            EXPECT_TRUE(mx.filled[1].empty());
        }
        if (c.result == 0) {
            const int xs = c.override_step > 0 ? c.override_step : c.step;
            EXPECT_EQ(size_t((c.nx + xs - 1) / xs + 1), mx.traces[0].size());
            EXPECT_EQ(size_t((c.ny + c.step - 1) / c.step + 1), mx.traces[1].size());
            EXPECT_EQ(size_t(c.nx), mx.traces[1][0].size());
            EXPECT_EQ(c.samples, mx.traces[1][0][0].count);
            EXPECT_EQ(size_t(c.nx), mx.maps[2].size());
            EXPECT_TRUE(mx.direction_flag);
            EXPECT_EQ(0, mx.current_line);
        }
        mx.x_step_override = 0;
    }
}

TEST_F(Grid, TheNextNameFollowsTheLargestProjectNumber)
{
    mx.xDefineName();
    EXPECT_STREQ("GR_001", mx.project_name);
    for (const char* f : {"GR_002.rhd", "GR_017.rhd", "x_y_9.rhd", "GR_abc.rhd", "GR_099.rad", "plain.rhd"})
        put_bytes(data(f), "");
    mx.xDefineName();
    EXPECT_STREQ("GR_018", mx.project_name);
    ASSERT_EQ(0, system(("rm -rf '" + sb.path("/mnt/hda1") + "'").c_str()));
    mx.xDefineName();
    EXPECT_STREQ("", mx.project_name);
}

TEST_F(Grid, DataFilesHoldEveryTraceWithItsGridPositionInTheirLayout)
{
    make_cube(3, 2, 1, 100);
    mx.xSetNames("GR_004");
    fill(cell_value);
    mx.traces[0][2][1][0] = 40000.0f; // beyond int16: saturates
    mx.traces[0][2][1][1] = -2.5f;    // rounds away from zero
    for (int k = 0; k < 4; k++)
        ASSERT_EQ(0, mx.d_write(k)) << k;

    const std::string raw0 = bytes_of(data("GR_004_1.rd6")), raw1 = bytes_of(data("GR_004_2.rd6"));
    const std::string flt1 = bytes_of(data("GR_004_4.rd6"));
    ASSERT_EQ(4u + 3 * 2 * (4 + 200), raw0.size()); // three lines of two traces
    ASSERT_EQ(4u + 2 * 3 * (4 + 200), raw1.size()); // two lines of three traces
    ASSERT_EQ(4u + 2 * 3 * (4 + 400), flt1.size());
    EXPECT_EQ(3, le32(raw0, 0));
    std::vector<int32_t> codes0, codes1;
    for (int r = 0; r < 6; r++) {
        codes0.push_back(le32(raw0, 4 + size_t(r) * 204));
        codes1.push_back(le32(raw1, 4 + size_t(r) * 204));
    }
    EXPECT_EQ((std::vector<int32_t>{0, 1, 2, 3, 4, 5}), codes0); // t + step * k * ny
    EXPECT_EQ((std::vector<int32_t>{0, 2, 4, 1, 3, 5}), codes1); // t * ny + step * k
    EXPECT_EQ(int16_t(mrnd(cell_value(0, 1, 0, 3))), le16(raw0, 4 + 2 * 204 + 4 + 6));
    EXPECT_EQ(32767, le16(raw0, 4 + 5 * 204 + 4));
    EXPECT_EQ(-3, le16(raw0, 4 + 5 * 204 + 6));
    float f;
    const uint32_t bits = uint32_t(le32(flt1, 4 + 4 * 404 + 4 + 4 * 7));
    memcpy(&f, &bits, 4);
    EXPECT_EQ(cell_value(1, 1, 1, 7), f);
    EXPECT_FALSE(file_exists(data("GR_004_1.rd6.tmp")));

    // Read back into a fresh cube: floats exactly, the raw files as rounded.
    make_cube(3, 2, 1, 100);
    mx.xSetNames("GR_004");
    ASSERT_EQ(0, mx.d_read(3));
    EXPECT_EQ(cell_value(1, 1, 2, 99), mx.traces[1][1][2][99]);
    EXPECT_EQ(1, mx.filled[1][1][2]);
    ASSERT_EQ(0, mx.mx_reread());
    EXPECT_EQ(float(mrnd(cell_value(1, 1, 2, 99))), mx.traces[1][1][2][99]);
    EXPECT_EQ(32767.0f, mx.traces[0][2][1][0]);
    EXPECT_EQ(int16_t(mrnd(cell_value(1, 0, 0, 5))), mx.reference_trace[5]); // grid point (0, 0) of _2
}

TEST_F(Grid, DamagedDataFilesAreRefusedOrReadUpToTheirLastWholeRecord)
{
    make_cube(3, 2, 1, 100);
    mx.xSetNames("GR_001");
    fill(cell_value);
    ASSERT_EQ(0, mx.d_write(0));
    const std::string good = bytes_of(data("GR_001_1.rd6"));
    auto with_code = [&](size_t record, int32_t code) {
        std::string b = good;
        for (int i = 0; i < 4; i++)
            b[4 + record * 204 + size_t(i)] = char(uint32_t(code) >> (8 * i));
        return b;
    };
    struct Case {
        const char* what;
        std::string bytes;
        int16_t header_samples;
        int result, recorded;
    } cases[] = {
        {"last record cut", good.substr(0, good.size() - 3), 100, 0, 5},
        {"only the count", good.substr(0, 4), 100, 0, 0},
        {"empty file", "", 100, 0, 0},
        {"position beyond the grid", with_code(3, 6), 100, -2, 3},
        {"negative position", with_code(0, -1), 100, -2, 0},
        {"header with other samples", good, 120, -3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        put_bytes(data("GR_001_1.rd6"), c.bytes);
        mx.hd.samples = c.header_samples;
        for (auto& line : mx.filled[0])
            std::fill(line.begin(), line.end(), int16_t(0));
        EXPECT_EQ(c.result, mx.d_read(0));
        int recorded = 0;
        for (auto& line : mx.filled[0])
            for (int16_t v : line)
                recorded += v;
        EXPECT_EQ(c.recorded, recorded);
    }
    unlink(data("GR_001_1.rd6").c_str());
    mx.hd.samples = 100;
    EXPECT_EQ(-1, mx.d_read(0));
}

TEST_F(Grid, AFailedWriteLeavesThePreviousDataFile)
{
    make_cube(3, 2, 1, 100);
    mx.xSetNames("GR_001");
    fill(cell_value);
    ASSERT_EQ(0, mx.d_write(0));
    const std::string before = bytes_of(data("GR_001_1.rd6"));
    fill([](int, int, int, int) { return 1.0f; });
    // A disk that fills up on the first write.
    ASSERT_EQ(0, symlink("/dev/full", data("GR_001_1.rd6.tmp").c_str()));
    EXPECT_EQ(6, mx.d_write(0));
    EXPECT_EQ(before, bytes_of(data("GR_001_1.rd6")));
    struct stat st;
    EXPECT_NE(0, lstat(data("GR_001_1.rd6.tmp").c_str(), &st));
    // A folder in the way: the file cannot be created.
    ASSERT_EQ(0, mkdir(data("GR_001_2.rd6.tmp").c_str(), 0755));
    EXPECT_EQ(5, mx.d_write(1));
}

TEST_F(Grid, TheProjectHeaderIsWrittenAndReadInUserUnits)
{
    struct Case {
        uint8_t units;
        const char* text;
    } cases[] = {
        {1, "PROJECT NAME:GR_003\r\nPROJECT TYPE:2\r\nX-SIZE(M):10.00000\r\nY-SIZE(M):5.00000\r\n"
            "RESOLUTION(M):0.0500000\r\nPROFILE SPACING(M):0.50000\r\nX-SIZE:201\r\nY-SIZE:101\r\n"
            "PROFILE SPACING:10\r\nTRIGG SOURCE:1\r\n"},
        {0, "PROJECT NAME:GR_003\r\nPROJECT TYPE:2\r\nX-SIZE(M):3.04800\r\nY-SIZE(M):1.52400\r\n"
            "RESOLUTION(M):0.0012700\r\nPROFILE SPACING(M):0.15240\r\nX-SIZE:201\r\nY-SIZE:101\r\n"
            "PROFILE SPACING:10\r\nTRIGG SOURCE:1\r\n"},
    };
    for (const Case& c : cases) {
        xml_pars.units = c.units;
        mx.xSetNames("GR_003.rhd");
        mx.x_size = 10;
        mx.y_size = 5;
        mx.resolution = 0.05f;
        mx.profile_spacing = 0.5f;
        mx.nx = 201;
        mx.ny = 101;
        mx.line_step = 10;
        ASSERT_EQ(0, mx.rhd_write());
        EXPECT_EQ(c.text, bytes_of(data("GR_003.rhd")));
        mx.m_init();
        mx.x_size = mx.y_size = mx.resolution = 0;
        mx.xSetNames("GR_003");
        ASSERT_EQ(0, mx.rhd_read());
        EXPECT_STREQ("GR_003", mx.project_name);
        EXPECT_NEAR(10.0, mx.x_size, 1e-4);
        EXPECT_NEAR(0.05, mx.resolution, 1e-6);
        EXPECT_EQ(201, mx.nx);
        EXPECT_EQ(10, mx.line_step);
    }
    const std::string good = bytes_of(data("GR_003.rhd"));
    struct Bad {
        std::string text;
        int result;
    } bad[] = {
        {good + "X-SIZE:441\r\n", 3},
        {good + "PROFILE SPACING:0\r\n", 3},
        {good + "Y-SIZE:-4\r\n", 3},
        {good + std::string(300, 'A') + "\r\n", 2},
    };
    for (const Bad& b : bad) {
        put_bytes(data("GR_003.rhd"), b.text);
        EXPECT_EQ(b.result, mx.rhd_read());
    }
    unlink(data("GR_003.rhd").c_str());
    EXPECT_EQ(1, mx.rhd_read());
}

TEST_F(Grid, OpeningAProjectWithoutItsFloatFilesRebuildsThem)
{
    mx.x_size = 1.0f;
    mx.y_size = 0.5f;
    mx.resolution = 0.05f;
    mx.profile_spacing = 0.25f;
    ASSERT_EQ(0, mx.proper_size());
    mx.xDefineName();
    ASSERT_EQ(0, mx.xCreate());
    EXPECT_EQ(eep.samples, mx.samples()); // the block as reloaded for the project
    EXPECT_EQ(mx.hd.samples, mx.samples());
    const std::string name = mx.project_name;
    EXPECT_TRUE(file_exists(data(name + ".rhd")));
    EXPECT_TRUE(file_exists(data(name + ".rad")));
    fill([](int d, int l, int t, int s) { return float((d + 1) * ((l * 7 + t * 3 + s) % 23) - 11); });
    mx.hd.z_slice = 17;
    snprintf(mx.hd.comments, sizeof mx.hd.comments, "east yard: wet, COMMENT:x");
    ASSERT_EQ(0, mx.hd.h_write());
    ASSERT_EQ(0, mx.d_write(0));
    ASSERT_EQ(0, mx.d_write(1));

    // What opening must rebuild: the raw files migrated.
    ASSERT_EQ(0, mx.mx_reread());
    mx.migrate_all(1);
    const std::vector<float> want = cube_values(mx);

    mx.mx_clear();
    mx.m_init();
    ASSERT_EQ(0, mx.xOpen((name + ".rhd").c_str()));
    EXPECT_EQ(17, mx.z_slice_index);
    EXPECT_STREQ("east yard: wet, COMMENT:x", mx.hd.comments);
    EXPECT_EQ(nullptr, strstr(mx.hd.wheel_name, "yard")) << "the wheel's COMMENT key is another one";
    EXPECT_EQ(21, mx.nx);
    EXPECT_EQ(11, mx.ny);
    ASSERT_TRUE(file_exists(data(name + "_3.rd6")));
    ASSERT_TRUE(file_exists(data(name + "_4.rd6")));
    EXPECT_EQ(want, cube_values(mx));

    // Opened again, the float files are read as they are; a header from before the comments
    // had a key (38 lines) opens with none, and one without comments is written so.
    std::string rad = bytes_of(data(name + ".rad"));
    const size_t c = rad.find("COMMENTS:");
    ASSERT_NE(std::string::npos, c);
    EXPECT_EQ(rad.size(), rad.find("\r\n", c) + 2) << "the last line";
    put_bytes(data(name + ".rad"), rad.erase(c));
    ASSERT_EQ(0, mx.xOpen(name.c_str()));
    EXPECT_EQ(want, cube_values(mx));
    EXPECT_STREQ("", mx.hd.comments);
    ASSERT_EQ(0, mx.hd.h_write());
    rad = bytes_of(data(name + ".rad"));
    EXPECT_EQ(std::string::npos, rad.find("COMMENTS:"));
    EXPECT_EQ(38, std::count(rad.begin(), rad.end(), '\n'));

    // Neither the float files nor a whole raw file: the project cannot be opened.
    unlink(data(name + "_3.rd6").c_str());
    put_bytes(data(name + "_2.rd6"), std::string(4, '\0') + std::string("\xff\xff\xff\x7f", 4) +
                                         std::string(2 * size_t(mx.samples()), '\0'));
    EXPECT_EQ(20, mx.xOpen(name.c_str()));
    EXPECT_FALSE(mx.allocated());
    EXPECT_EQ(5, mx.xOpen("GR_999"));
}

TEST_F(Grid, ProjectsAreCopiedBesideSameNamedFoldersAndDeletedWithEveryFile)
{
    const char* all[] = {".rhd", ".rad", ".add", "_1.rd6", "_2.rd6", "_3.rd6", "_4.rd6", "_1.emm", "_2.emm"};
    for (const char* s : all)
        put_bytes(data(std::string("GR_005") + s), s);
    ASSERT_EQ(0, mkdir(usb("gr_005").c_str(), 0755));
    ASSERT_EQ(0, mkdir(usb("GR_005_1").c_str(), 0755));
    EXPECT_EQ(0, rdr.mx.xCopy("GR_005.rhd"));
    for (const char* s : {".rhd", ".rad", ".add", "_1.rd6", "_2.rd6"})
        EXPECT_EQ(s, bytes_of(usb(std::string("GR_005_2/GR_005") + s)));
    EXPECT_FALSE(file_exists(usb("GR_005_2/GR_005_3.rd6")));
    EXPECT_NE(0, rdr.mx.xCopy("GR_404.rhd")); // nothing to copy: the copy statuses add up
    EXPECT_EQ(3000, rdr.mx.xCopy("../GR_005.rhd"));

    EXPECT_EQ(0, rdr.mx.xDelete("GR_005.rhd"));
    for (const char* s : all)
        EXPECT_FALSE(file_exists(data(std::string("GR_005") + s))) << s;
    EXPECT_EQ(-7, rdr.mx.xDelete("GR_005"));

    ASSERT_EQ(0, system(("rm -rf '" + sb.path("/mnt/usb/SORLAN") + "'").c_str()));
    EXPECT_EQ(3000, rdr.mx.xCopy("GR_005.rhd"));
}
