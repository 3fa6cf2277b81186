// USB export, deletion, single files and the noise statistic.
#include "files_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

class FileOps : public FilesTest {
protected:
    // A complete profile set in the data folder.
    void make_set(const std::string& base, int traces)
    {
        write_rd7(base + ".rd7", traces, 128);
        write_header(base, 128, traces);
        for (const char* ext : {".srd", ".cor", ".mrk", ".kub", ".skub"})
            write_bytes(data(base + ext), std::string("content of ") + ext);
        write_bytes(data(base + "_voice1.wav"), "RIFF");
    }
    size_t syncs() const
    {
        std::string log = sb.commands_log();
        size_t n = 0;
        for (size_t p = log.find("sync\n"); p != std::string::npos; p = log.find("sync\n", p + 1))
            n++;
        return n;
    }
};

TEST_F(FileOps, ExportTwiceKeepsBothAndCopiesEveryFile)
{
    make_set("DAT_0001", 3);
    ASSERT_EQ(0, rdr.dCopy("DAT_0001.rd7", nullptr));
    ASSERT_EQ(0, rdr.dCopy("DAT_0001.rd7", nullptr));
    for (const std::string t : {"DAT_0001", "DAT_0001_1"}) {
        for (const char* ext : {".rd7", ".rad", ".srd", ".cor", ".mrk", ".kub", ".skub"})
            EXPECT_EQ(read_file(data(std::string("DAT_0001") + ext)), read_file(usb(t + ext))) << t << ext;
        EXPECT_EQ((size_t)3 * 128 * 2, read_file(usb(t + ".rd3")).size());
        EXPECT_FALSE(file_exists(usb(t + ".add"))); // not part of a single-profile export
    }
    EXPECT_EQ("RIFF", read_file(usb("DAT_0001_voice1.wav")));
    EXPECT_GE(syncs(), 6u);
}

TEST_F(FileOps, HostileNamesAreCopiedAndDeletedAsNames)
{
    const std::string base = "it's a \"b\"; touch PWNED; $(touch PWNED2) `touch PWNED3` *";
    make_set(base, 2);
    make_set("it's a", 1); // what a broken quote would reach
    ASSERT_EQ(0, rdr.dCopy((base + ".rd7").c_str(), nullptr));
    EXPECT_EQ(read_file(data(base + ".rd7")), read_file(usb(base + ".rd7")));
    EXPECT_EQ(read_file(data(base + ".mrk")), read_file(usb(base + ".mrk")));
    EXPECT_TRUE(file_exists(usb(base + ".rd3")));
    EXPECT_FALSE(file_exists(usb("it's a.rd7")));
    ASSERT_EQ(0, iCopy((base + ".kub").c_str()));
    EXPECT_EQ("content of .kub", read_file(usb(base + ".kub")));

    EXPECT_EQ(0, rdr.dDeleteFiles((base + ".rd7").c_str()));
    EXPECT_FALSE(file_exists(data(base + ".rd7")));
    EXPECT_FALSE(file_exists(data(base + "_voice1.wav")));
    EXPECT_TRUE(file_exists(data("it's a.rd7")));
    EXPECT_TRUE(file_exists(data("it's a_voice1.wav")));
    for (const char* f : {"PWNED", "PWNED2", "PWNED3"}) {
        EXPECT_FALSE(file_exists(f));
        EXPECT_FALSE(file_exists(sb.path("/work/") + f));
        EXPECT_FALSE(file_exists(sb.path("/mnt/hda1/") + f));
    }
    // Names that lead out of the data folder, or an empty name that would widen "*.wav".
    EXPECT_EQ(-1, rdr.dDeleteFiles("../hda3/x"));
    EXPECT_EQ(-1, rdr.dDeleteFiles(""));
    EXPECT_EQ(-1, iDelete("../../etc/passwd"));
    EXPECT_EQ(-1, rdr.dCopy("a/b.rd7", nullptr));
    EXPECT_TRUE(file_exists(data("it's a_voice1.wav")));
}

TEST_F(FileOps, ExportOfAnEmptyProfileStillCopiesTheRest)
{
    make_set("DAT_0002", 0);
    EXPECT_EQ(0, rdr.dCopy("DAT_0002", nullptr)); // the .rad copy's status
    EXPECT_TRUE(file_exists(usb("DAT_0002.rad")));
    EXPECT_TRUE(file_exists(usb("DAT_0002.srd")));
    EXPECT_TRUE(file_exists(usb("DAT_0002.rd3")));
    EXPECT_EQ(0u, read_file(usb("DAT_0002.rd3")).size());

    ASSERT_EQ(0, system(("rm -rf '" + sb.path("/mnt/usb/SORLAN") + "'").c_str()));
    EXPECT_EQ(3000, rdr.dCopy("DAT_0002", nullptr));
    EXPECT_EQ(3000, rdr.oCopy("PVP_.pvb"));
}

TEST_F(FileOps, DeletionRemovesTheSetAndSyncs)
{
    make_set("DAT_0003", 2);
    write_bytes(data("DAT_0003.add"), "VERSION:3\r\n");
    write_bytes(data("DAT_0003.rad.tmp"), "");
    size_t before = syncs();
    EXPECT_EQ(0, rdr.dDeleteFiles("DAT_0003.rd7"));
    for (const char* ext : {".rd7", ".rad", ".add", ".srd", ".cor", ".mrk", ".kub", ".skub", "_voice1.wav", ".rad.tmp"})
        EXPECT_FALSE(file_exists(data(std::string("DAT_0003") + ext))) << ext;
    EXPECT_EQ(before + 3, syncs());
    EXPECT_EQ(-8, rdr.dDeleteFiles("DAT_0003.rd7")); // every unlink fails now

    write_bytes(data("LOG.txt"), "x");
    EXPECT_EQ(0, iDelete("LOG.txt"));
    EXPECT_EQ(-1, iDelete("LOG.txt"));
    EXPECT_EQ(before + 12, syncs());
}

TEST_F(FileOps, DiscardTheJustRecordedProfile)
{
    ASSERT_EQ(0, rdr.dCreateFiles());
    write_bytes(data("DAT_0001_v.wav"), "RIFF");
    write_bytes(data("DAT_0009.rd7"), "keep");
    rdr.dClose(false);
    EXPECT_EQ(-3, rdr.mea_Del_Files()); // no header written and no GPS log: three unlinks fail
    EXPECT_FALSE(file_exists(data("DAT_0001.rd7")));
    EXPECT_FALSE(file_exists(data("DAT_0001_v.wav")));
    EXPECT_TRUE(file_exists(data("DAT_0009.rd7")));
    // With no current profile nothing at all is removed.
    rdr.dSetNames("x/y");
    write_bytes(data("other.wav"), "RIFF");
    EXPECT_EQ(-6, rdr.mea_Del_Files());
    EXPECT_TRUE(file_exists(data("other.wav")));
}

TEST_F(FileOps, ProjectExportAndDeletion)
{
    write_bytes(data("PVP_.pvb"), "VERSION:2\r\n");
    make_set("PVP_0001", 2);
    make_set("PVP_0002", 1);
    write_bytes(data("PVP_0001.add"), "VERSION:3\r\n");
    make_set("PVP_X0001", 1); // another project
    make_set("DAT_0001", 1);
    write_bytes(data("PVP_.pvb.bak"), "");
    ASSERT_EQ(0, system(("mkdir -p '" + usb("pvp_") + "'").c_str())); // taken, case-insensitive
    EXPECT_EQ(0, rdr.oCopy("PVP_.pvb"));
    const std::string dir = "PVP__1/";
    EXPECT_EQ("VERSION:2\r\n", read_file(usb(dir + "PVP_.pvb")));
    for (const char* f : {"PVP_0001.rd7", "PVP_0001.rd3", "PVP_0001.add", "PVP_0002.rd7", "PVP_0002.rad"})
        EXPECT_TRUE(file_exists(usb(dir + f))) << f;
    EXPECT_FALSE(file_exists(usb(dir + "PVP_X0001.rd7")));
    EXPECT_FALSE(file_exists(usb(dir + "DAT_0001.rd7")));

    EXPECT_EQ(0, rdr.oDelete("PVP_.pvb"));
    EXPECT_FALSE(file_exists(data("PVP_.pvb")));
    for (const char* f : {"PVP_0001.rd7", "PVP_0001.add", "PVP_0002.rd7", "PVP_0002.mrk"})
        EXPECT_FALSE(file_exists(data(f))) << f;
    EXPECT_TRUE(file_exists(data("PVP_X0001.rd7")));
    EXPECT_TRUE(file_exists(data("DAT_0001.rd7")));
    EXPECT_TRUE(file_exists(data("PVP_.pvb.bak")));
}

// The statistic computed the plain way: round, sort, take the 95 % rank.
void reference(const std::vector<float>& v, int& vpp, int& level)
{
    int mx = -32768, mn = 32767;
    std::vector<long> lv;
    for (float x : v) {
        int r = (int)(x + 0.5);
        mx = std::max(mx, r);
        mn = std::min(mn, r);
        lv.push_back(std::min(32768L, std::labs((long)(x * 0.125 + 0.5))));
    }
    std::sort(lv.begin(), lv.end());
    long goal = (long)(v.size() * 0.95 + 0.5);
    vpp = (int16_t)(mx - mn);
    level = goal == 0 ? 0 : (int)lv[(size_t)goal - 1];
}

TEST_F(FileOps, NoiseStatisticMatchesAPlainComputation)
{
    avwc_count = 0;
    CProfile& p = rdr.prof;
    for (int s = 0; s < 10; s++)
        std::fill(p.slot(s), p.slot(s) + 2048, 0.0f);
    ASSERT_EQ(0, Amplitude_Variation_Within_Cursors(0, 10, 0, 512));
    EXPECT_EQ(0, t_VppMax[0]);
    EXPECT_EQ(0, t_AvWc[0]);

    uint32_t seed = 12345;
    std::vector<float> v;
    for (int s = 20; s < 30; s++)
        for (int i = 0; i < 700; i++) {
            seed = seed * 1103515245u + 12345u;
            float x = (float)((int)(seed >> 8) % 40000 - 20000) / 7.0f;
            if (i == 5 && s == 22)
                x = 250000.0f; // a clipped sample beyond the histogram
            p.slot(s)[i] = x;
            if (i >= 100)
                v.push_back(x);
        }
    rdr.rd.hd.last_trace = 321;
    ASSERT_EQ(0, Amplitude_Variation_Within_Cursors(20, 30, 100, 700));
    int vpp, level;
    reference(v, vpp, level);
    EXPECT_EQ(2, avwc_count);
    EXPECT_EQ(vpp, t_VppMax[1]);
    EXPECT_EQ(level, t_AvWc[1]);
    EXPECT_EQ(321, avwc_tnum[1]);

    EXPECT_EQ(-1, Amplitude_Variation_Within_Cursors(0, 3001, 0, 10));
    EXPECT_EQ(-1, Amplitude_Variation_Within_Cursors(3000, 3000, 0, 10));
    EXPECT_EQ(-1, Amplitude_Variation_Within_Cursors(0, 10, 0, 2049));
    EXPECT_EQ(-1, Amplitude_Variation_Within_Cursors(0, 10, 2048, 2048));
    EXPECT_EQ(-1, Amplitude_Variation_Within_Cursors(-1, 10, 0, 10));
    EXPECT_EQ(2, avwc_count);
    rdr.rd.hd.last_trace = 0;
}

} // namespace
