// What a power cut, a restarted program and a full disk do to a profile: the real program (a child process) against the simulated CU, measuring with
// the survey wheel, driven by its scripted keypad. Every run waits on what the program
// printed or stored, never on the clock.
#include "live_fixture.h"
#include "program_driver.h"
#include "support/waits.h"

#include "acq_fixture.h"
#include "config/xml_pars.h"

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <random>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string rad_value(const std::string& path, const std::string& key)
{
    for (const std::string& l : file_lines(path))
        if (l.compare(0, key.size(), key) == 0)
            return l.substr(key.size());
    return "";
}

int count_of(const std::string& text, const std::string& what, size_t from = 0)
{
    int n = 0;
    for (size_t p = text.find(what, from); p != std::string::npos; p = text.find(what, p + 1))
        n++;
    return n;
}

long long size_of(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? (long long)st.st_size : -1;
}

class ProgramFaults : public LiveTest {
protected:
    // The partition folders (the files stay there whatever is mounted).
    std::string disk(const std::string& f) const { return sb.path("/dev/sda1/" + f); }
    int samples() const { return atoi(rad_value(disk("DAT_0001.rad"), "SAMPLES:").c_str()); }
    long long stored(const std::string& base = "DAT_0001") const
    {
        const int n = samples();
        return n > 0 ? size_of(disk(base + ".rd7")) / (4LL * n) : 0;
    }
    std::string last_trace(const std::string& base = "DAT_0001") const
    {
        return rad_value(disk(base + ".rad"), "LAST TRACE:");
    }

    // Settings as the operator saved them: 1000 pulses per metre, a trace every centimetre.
    void save_settings()
    {
        const std::string m = sb.path("/mnt/hda3"), d = sb.path("/dev/sda3");
        ASSERT_EQ(0, system(("rmdir '" + m + "' && ln -s '" + d + "' '" + m + "'").c_str()));
        xml_pars.Init();
        xml_pars.read_xml_tree();
        xml_pars.wheel[xml_pars.current_wheel].wheel_calibration = 1000.0;
        for (int a = 0; a < xml_pars.antenna_count; a++)
            xml_pars.antenna[a].point_interval = 0.01f;
        // A CU that takes long to answer after a kill can keep a run without keys for half a
        // minute: with power save on, the next key would only light the screen again.
        xml_pars.powersave = 0;
        ASSERT_EQ(0, xml_pars.write_xml_tree());
        ASSERT_EQ(0, system(("rm '" + m + "' && mkdir '" + m + "'").c_str()));
    }
    // Nothing is mounted after a power cut.
    void power_cut()
    {
        for (const char* mp : {"/mnt/hda1", "/mnt/hda2", "/mnt/hda3", "/mnt/hda4"}) {
            const std::string m = sb.path(mp);
            ASSERT_EQ(0, system(("if [ -L '" + m + "' ]; then rm '" + m + "' && mkdir '" + m + "'; fi").c_str()));
        }
    }
    // Main menu -> "2D Project"; then New (or Cont) once screen 2 is set up: true once the
    // CU measures.
    bool start_profile(Program& p, bool cont)
    {
        if (p.wait_out("main loop", 0, 90) == std::string::npos)
            return false;
        const size_t from = p.output().size();
        p.send({"Enter"});
        // The CU may have answered before the Enter or after it; screen 2 is set up after both.
        const size_t read = p.wait_out("Reading from CU:", 0, 60);
        const size_t cu = read == std::string::npos ? read : p.wait_out("sbars_init", std::max(from, read), 30);
        if (cu == std::string::npos)
            return false;
        if (cont)
            p.send({"Left", "Enter"});
        else
            p.send({"Enter"});
        return p.wait_out("mstart 5", cu, 60) != std::string::npos;
    }
    bool wait_stored(long long n, const std::string& base = "DAT_0001")
    {
        return eventually([&] { return stored(base) >= n; });
    }
};

} // namespace

// A power cut mid-profile, the next start, "Cont", then the program alone killed and started
// again with its partitions still mounted.
TEST_F(ProgramFaults, HeaderRepairedAfterAPowerCutContinuedWithContAndARestartWhileMountedErasesNothing)
{
    save_settings();
    LiveOptions o;
    o.cusim_args = cart_args("+60");
    ASSERT_TRUE(start_cusim(o));
    {
        Program p;
        ASSERT_TRUE(p.start(sb, "run1")) << p.output();
        ASSERT_TRUE(start_profile(p, false)) << p.output();
        ASSERT_TRUE(wait_stored(60)) << p.output();
        p.end_with(SIGKILL);
    }
    power_cut();
    const int n = samples();
    ASSERT_GT(n, 100);
    EXPECT_EQ("0", last_trace()) << "the header as written when the profile was created";
    const std::vector<std::string> rad_before = file_lines(disk("DAT_0001.rad"));
    {
        std::ofstream(disk("DAT_0001.rd7"), std::ios::binary | std::ios::app) << std::string(100, 'x');
    }
    const auto traces1 = read_rd7(disk("DAT_0001.rd7"), n);
    const long long n1 = (long long)traces1.size();

    // The next start repairs the header: the count of whole traces, the partial one cut off,
    // every other line as it was.
    long long n2 = 0;
    {
        Program p;
        ASSERT_TRUE(p.start(sb, "run2")) << p.output();
        ASSERT_NE(std::string::npos, p.wait_out("main loop", 0, 90)) << p.output();
        EXPECT_EQ(std::to_string(n1), last_trace());
        EXPECT_EQ(n1 * n * 4, size_of(disk("DAT_0001.rd7")));
        const std::vector<std::string> rad_after = file_lines(disk("DAT_0001.rad"));
        ASSERT_EQ(rad_before.size(), rad_after.size());
        for (size_t i = 0; i < rad_before.size(); i++)
            if (rad_before[i].rfind("LAST TRACE:", 0) != 0 && rad_before[i].rfind("STOP POSITION:", 0) != 0) {
                EXPECT_EQ(rad_before[i], rad_after[i]);
            }
        char stop[32];
        snprintf(stop, sizeof stop, "%10.6f", double(n1 - 1) * atof(rad_value(disk("DAT_0001.rad"), "DISTANCE INTERVAL:").c_str()));
        EXPECT_EQ(stop, rad_value(disk("DAT_0001.rad"), "STOP POSITION:"));

        // "Cont" goes on with the repaired profile.
        ASSERT_TRUE(start_profile(p, true)) << p.output();
        EXPECT_NE(std::string::npos, p.output().find("projname(cont.):DAT_0001"));
        ASSERT_TRUE(wait_stored(n1 + 40)) << p.output();
        p.end_with(SIGKILL); // the program alone: the partitions stay mounted
        n2 = stored();
    }
    const auto traces2 = read_rd7(disk("DAT_0001.rd7"), n);
    ASSERT_GE((long long)traces2.size(), n1 + 40);
    for (long long k = 0; k < n1; k++)
        ASSERT_EQ(traces1[size_t(k)], traces2[size_t(k)]) << "trace " << k + 1 << " changed by continuing";

    // Started again without a reboot: the mounted partitions are used as they are.
    const size_t log_from = sb.standins_log().size();
    {
        Program p;
        ASSERT_TRUE(p.start(sb, "run3")) << p.output();
        ASSERT_NE(std::string::npos, p.wait_out("main loop", 0, 90)) << p.output();
        const std::string out = p.output();
        EXPECT_NE(std::string::npos, out.find("is mounted on /mnt/hda1 already")) << out;
        EXPECT_EQ(std::string::npos, out.find("Error mounting disk")) << out;
        EXPECT_EQ(std::to_string(n2), last_trace()) << "repaired again after the kill";
        EXPECT_EQ(0, p.finish());
    }
    const std::string log = sb.standins_log().substr(log_from);
    EXPECT_EQ(0, count_of(log, "mke2fs")) << log;
    EXPECT_EQ(0, count_of(log, "e2fsck")) << "a mounted file system is not checked\n" << log;
    EXPECT_EQ(n2, stored());
    EXPECT_TRUE(file_exists(sb.path("/dev/sda3/hda1_ok")));
}

// A data partition of 2 MB: the measurement fills it, a New finds no room.
TEST_F(ProgramFaults, FullDiskEndsWithAWholeProfileAndANewWithoutRoomLeavesNoFiles)
{
    const std::string small = std::string(GPRMON_SOURCE_DIR) + "/sim/small-partition.sh";
    if (!small_partitions_possible())
        GTEST_SKIP() << "no user namespaces here: " << small << " cannot make a small partition";
    save_settings();
    LiveOptions o;
    o.cusim_args = cart_args("+200", "5");
    ASSERT_TRUE(start_cusim(o));
    Program p;
    ASSERT_TRUE(p.start(sb, "gprmon", {small, "2m", sb.root()})) << p.output();
    ASSERT_TRUE(start_profile(p, false)) << p.output();
    // The stop writes the header before it shows the error; a header that found no room
    // would show its own box first.
    size_t full = std::string::npos;
    eventually([&] { return (full = p.output().find("Disk is full")) != std::string::npos; }, 120);
    ASSERT_EQ(std::string::npos, p.output().find("Header write error")) << p.output();
    ASSERT_NE(std::string::npos, full) << p.output();
    EXPECT_NE(std::string::npos, p.output().find("message box \"Write to disk Error\" / \"Disk is full\""));
    p.send({"Space"});
    const size_t back = p.wait_out("\nopen\n", full, 60);
    ASSERT_NE(std::string::npos, back) << p.output();
    p.send({"Enter"}); // New
    ASSERT_NE(std::string::npos, p.wait_out("message box \"File open error: flash disk is full\"", back, 60))
        << p.output();
    p.send({"Space"});
    EXPECT_EQ(0, p.finish()) << p.output();

    // The partition's files, copied back from the small file system.
    const long long n = stored();
    EXPECT_GT(n, 100);
    EXPECT_EQ(std::to_string(n), last_trace()) << "the header agrees with the data";
    EXPECT_EQ(0, size_of(disk("DAT_0001.rd7")) % (4LL * samples())) << "no partial trace";
    EXPECT_GT(size_of(disk("DAT_0001.add")), 0);
    for (const char* f : {"DAT_0002.rd7", "DAT_0002.rad", "DAT_0002.srd", "DAT_0002.mrk", "DAT_0001.rad.tmp",
                          "DAT_0001.add.tmp", ".header_room"})
        EXPECT_FALSE(file_exists(disk(f))) << f;
}

namespace {

// Power cuts at seeded moments: during start-up, in the menus, while a measurement starts and
// while it records. Each shard is one sandbox and one simulated CU; GPRMON_CAMPAIGN_SEED
// replays another campaign.
class PowerLossCampaign : public ProgramFaults, public ::testing::WithParamInterface<int> {
protected:
    static constexpr int kKillsPerShard = 10;

    // Every profile on the disk whole, its header agreeing with its data: the number of
    // damaged ones (each reported).
    int damaged_profiles()
    {
        int bad = 0;
        DIR* dir = opendir(disk("").c_str());
        std::vector<std::string> sets;
        while (dirent* e = dir ? readdir(dir) : nullptr) {
            const std::string f = e->d_name;
            if (f.size() > 4 && f.compare(f.size() - 4, 4, ".rd7") == 0)
                sets.push_back(f);
        }
        if (dir)
            closedir(dir);
        for (const std::string& rd7 : sets) {
            const std::string base = rd7.substr(0, rd7.size() - 4);
            const int n = atoi(rad_value(disk(base + ".rad"), "SAMPLES:").c_str());
            const long long size = size_of(disk(rd7));
            if (n <= 0 || size % (4LL * n) != 0 || last_trace(base) != std::to_string(size / (4LL * n))) {
                ADD_FAILURE() << base << ": " << size << " bytes, " << n << " samples, last trace '"
                              << last_trace(base) << "'";
                bad++;
            }
        }
        return bad;
    }
};

} // namespace

TEST_P(PowerLossCampaign, EveryKillLeavesWholeProfilesThatTheNextStartContinues)
{
    if (!getenv("GPRMON_CAMPAIGN"))
        GTEST_SKIP() << "the power-loss campaign runs with make test-campaign (GPRMON_CAMPAIGN=1)";
    const char* env = getenv("GPRMON_CAMPAIGN_SEED");
    const unsigned seed = (env ? unsigned(strtoul(env, nullptr, 10)) : 20261209u) + unsigned(GetParam());
    std::mt19937 rng(seed);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };

    save_settings();
    LiveOptions o;
    o.cusim_args = cart_args("+100000");
    ASSERT_TRUE(start_cusim(o));

    const char* phases[] = {"start-up", "menus", "measurement start", "recording"};
    int kills[4] = {}, damaged = 0, continued = 0;
    std::vector<std::vector<int32_t>> kept; // whole traces of DAT_0001 after the last repair
    for (int run = 0; run <= kKillsPerShard; run++) {
        Program p;
        ASSERT_TRUE(p.start(sb, "run" + std::to_string(run))) << p.output();
        const size_t loop = p.wait_out("main loop", 0, 90);
        ASSERT_NE(std::string::npos, loop) << "run " << run << " did not come up\n" << p.output();

        // The start-up repaired what the last kill left; what was stored before stays.
        damaged += damaged_profiles();
        const int n = samples();
        if (!file_exists(disk("DAT_0001.rd7")))
            kept.clear();
        else if (n > 0) {
            const auto now = read_rd7(disk("DAT_0001.rd7"), n);
            ASSERT_GE(now.size(), kept.size()) << "run " << run << ": traces lost";
            for (size_t k = 0; k < kept.size(); k++)
                ASSERT_EQ(kept[k], now[k]) << "run " << run << ": trace " << k + 1 << " changed";
            kept = now;
        }
        if (run == kKillsPerShard) {
            EXPECT_EQ(0, p.finish()) << p.output();
            break;
        }

        const int r = pick(0, 99), phase = r < 10 ? 0 : r < 20 ? 1 : r < 40 ? 2 : 3;
        const bool cont = file_exists(disk("DAT_0001.rad"));
        printf("campaign run %d: %s, %s, %lld traces stored\n", run, phases[phase], cont ? "Cont" : "New",
               stored());
        fflush(stdout); // before the next child is forked
        if (phase == 0) {
            p.end_with(SIGKILL); // idle in the main menu; the start-up itself is cut below
            kills[1]++;
        } else if (phase == 1) {
            p.send({"Enter"});
            p.wait_out("sbars_init", loop, 60);
            // The kill moments are the faults injected, not waits for something to happen.
            usleep(useconds_t(pick(0, 1500)) * 1000);
            p.end_with(SIGKILL);
        } else {
            ASSERT_TRUE(start_profile(p, cont)) << "run " << run << "\n" << p.output();
            if (cont && p.output().find("projname(cont.):DAT_0001") != std::string::npos)
                continued++;
            if (phase == 2)
                usleep(useconds_t(pick(0, 300)) * 1000);
            else
                ASSERT_TRUE(wait_stored(stored() + pick(1, 80))) << p.output();
            p.end_with(SIGKILL);
        }
        kills[phase]++;
        power_cut();
        // A kill at the very start of the next run: the moment is the machine's, not ours.
        if (phase == 0) {
            Program q;
            ASSERT_TRUE(q.start(sb, "cut" + std::to_string(run))) << q.output();
            usleep(useconds_t(pick(0, 1500)) * 1000);
            q.end_with(SIGKILL);
            power_cut();
        }
    }
    printf("power-loss campaign, seed %u: %d kills (%d at start-up, %d in the menus, %d as a measurement "
           "started, %d while recording), %d damaged profiles, %d continued with Cont, %zu traces kept\n",
           seed, kills[0] + kills[1] + kills[2] + kills[3], kills[0], kills[1], kills[2], kills[3], damaged,
           continued, kept.size());
    EXPECT_EQ(0, damaged);
    EXPECT_GT(kept.size(), 0u) << "the campaign never recorded";
}

INSTANTIATE_TEST_SUITE_P(Shards, PowerLossCampaign, ::testing::Range(0, 5));
