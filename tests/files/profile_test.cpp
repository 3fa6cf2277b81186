// Profiles: naming, create, the per-trace write path, continue, open, read back, the 16-bit
// export, and a process killed while it records.
#include "files_fixture.h"

#include "files/disk.h"
#include "files/profile_repair.h"

#include <sys/time.h>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Profiles = FilesTest;

std::vector<int32_t> trace_of(int k, int n)
{
    std::vector<int32_t> t((size_t)n);
    for (int i = 0; i < n; i++)
        t[(size_t)i] = FilesTest::sample_of(k, i);
    return t;
}

// Trace k of a .rd7 file read back independently of the code under test.
std::vector<int32_t> file_trace(const std::string& bytes, int k, int n)
{
    std::vector<int32_t> t((size_t)n);
    for (int i = 0; i < n; i++) {
        size_t p = ((size_t)k * n + i) * 4;
        uint32_t v = 0;
        for (int b = 0; b < 4; b++)
            v |= (uint32_t)(uint8_t)bytes[p + b] << (8 * b);
        t[(size_t)i] = (int32_t)v;
    }
    return t;
}

TEST_F(Profiles, NewProfileNames)
{
    EXPECT_EQ(0, rdr.dDefineName());
    EXPECT_STREQ("DAT_0001", rdr.next_name);

    write_bytes(data("DAT_0003.rd7"), "");
    write_bytes(data("DAT_0010.rd7"), "");
    write_bytes(data("DAT_0020.rad"), ""); // not a data file
    write_bytes(data("PVP_0040.rd7"), ""); // another prefix
    write_bytes(data("DA.rd7"), "");
    EXPECT_EQ(2, rdr.dDefineName());
    EXPECT_STREQ("DAT_0011", rdr.next_name);
    EXPECT_EQ(1, rdr.dDefineName("PVP_"));
    EXPECT_STREQ("PVP_0041", rdr.next_name);
}

TEST_F(Profiles, NumberingPastTheLastNumberReusesAGapInsteadOfOverwriting)
{
    write_bytes(data("DAT_0001.rd7"), "x");
    write_bytes(data("DAT_0002.rd7"), "x");
    write_bytes(data("DAT_9999.rd7"), "x");
    EXPECT_EQ(3, rdr.dDefineName());
    EXPECT_STREQ("DAT_0003", rdr.next_name);
    ASSERT_EQ(0, rdr.dCreateFiles());
    EXPECT_STREQ("DAT_0003", rdr.cur_name);
    EXPECT_EQ("x", read_file(data("DAT_9999.rd7")));

    // Every number taken: no name, nothing created.
    for (int i = 1; i <= 9999; i++) {
        char n[32];
        snprintf(n, sizeof n, "DAT_%04d.rd7", i);
        int fd = open(data(n).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    EXPECT_EQ(-2, rdr.dDefineName());
    EXPECT_EQ(3, rdr.dCreateFiles());
}

TEST_F(Profiles, UnreadableDataFolder)
{
    ASSERT_EQ(0, system(("rm -rf '" + sb.path("/mnt/hda1") + "'").c_str()));
    EXPECT_EQ(-1, rdr.dDefineName());
    EXPECT_EQ(3, rdr.dCreateFiles());
}

TEST_F(Profiles, SetNamesBuildsEveryPathAndRefusesUnsafeNames)
{
    ASSERT_EQ(0, rdr.dSetNames("DAT_0007.rd7"));
    EXPECT_STREQ("DAT_0007", rdr.cur_name);
    EXPECT_STREQ("/mnt/hda1/DAT_0007.rd7", rdr.rd.rd7_path);
    EXPECT_STREQ("/mnt/hda1/DAT_0007.rd3", rdr.rd.rd3_path);
    EXPECT_STREQ("DAT_0007.rd7", rdr.rd.rd7_name);
    EXPECT_STREQ("/mnt/hda1/DAT_0007.rad", rdr.rd.hd.rad_path);
    EXPECT_STREQ("/mnt/hda1/DAT_0007.add", rdr.rd.hd.add_path);
    EXPECT_STREQ("/mnt/hda1/DAT_0007.srd", rdr.rd.srd_path);
    EXPECT_STREQ("/mnt/hda1/DAT_0007.cor", rdr.rd.gps.path);
    EXPECT_STREQ("/mnt/hda1/DAT_0007.mrk", rdr.rd.mrk.path);

    EXPECT_EQ(-1, rdr.dSetNames("x/../../hda3/hda1_ok"));
    EXPECT_STREQ("", rdr.cur_name);
    EXPECT_STREQ("", rdr.rd.rd7_path);
    EXPECT_EQ(-1, rdr.dSetNames(".rd7"));
    EXPECT_EQ(-1, rdr.dSetNames(std::string(120, 'N').c_str()));
    EXPECT_EQ(0, rdr.dSetNames(std::string(85, 'N').c_str())); // the longest that fits
}

TEST_F(Profiles, CreateWritesTracesAndPositionLines)
{
    eep.gps_enabled = 1;
    ASSERT_EQ(0, rdr.dCreateFiles());
    EXPECT_STREQ("/mnt/hda1/DAT_0001.rd7", rdr.last_rd7_path);
    EXPECT_TRUE(file_exists(data("DAT_0001.cor")));
    EXPECT_EQ("HEADER VERSION:101\r\n", read_file(data("DAT_0001.mrk")));
    const int n = 512;
    for (int k = 0; k < 3; k++) {
        ASSERT_EQ(0, rdr.rd.append_trace(trace_of(k, n).data(), n));
        ASSERT_EQ(0, rdr.rd.srd_add_line(1000 + k, -20 * k, k == 1 ? 1700000000 : 0, k == 1 ? 250 : 0));
    }
    ASSERT_EQ(0, rdr.rd.append_zero_trace(n));
    EXPECT_EQ(4, rdr.rd.hd.last_trace);
    EXPECT_EQ("#Version: 2\r\n#CUtime\tWh.pos\tTr.number\tGPS Time(sec)\tGPS Time(ms)\r\n"
              "1000\t0\t1\t\t         0\t  0\r\n"
              "1001\t-20\t2\t\t1700000000\t250\r\n"
              "1002\t-40\t3\t\t         0\t  0\r\n",
              read_file(data("DAT_0001.srd")));
    std::string bytes = read_file(data("DAT_0001.rd7"));
    ASSERT_EQ((size_t)4 * n * 4, bytes.size());
    EXPECT_EQ(trace_of(2, n), file_trace(bytes, 2, n));
    EXPECT_EQ(std::vector<int32_t>((size_t)n, 0), file_trace(bytes, 3, n));

    // Block mode: a trace lands at its own number, holes stay zero, the count follows.
    ASSERT_EQ(0, rdr.rd.put_trace(7, trace_of(6, n).data(), n));
    EXPECT_EQ(7, rdr.rd.hd.last_trace);
    ASSERT_EQ(0, rdr.rd.put_trace(2, trace_of(1, n).data(), n));
    EXPECT_EQ(7, rdr.rd.hd.last_trace);
    bytes = read_file(data("DAT_0001.rd7"));
    EXPECT_EQ(trace_of(6, n), file_trace(bytes, 6, n));
    EXPECT_EQ(-2, rdr.rd.put_trace(0, trace_of(0, n).data(), n));
    EXPECT_EQ(-2, rdr.rd.append_trace(trace_of(0, n).data(), 4096));
    EXPECT_EQ(0, rdr.rd.flush_data());

    rdr.dClose(false);
    EXPECT_EQ(-2, rdr.rd.append_trace(trace_of(0, n).data(), n)); // nothing open
    EXPECT_EQ(1, rdr.rd.srd_add_line(1, 1, 0, 0));
    EXPECT_STREQ("DAT_0001", rdr.cur_name);
    rdr.dClose(true);
    EXPECT_STREQ("", rdr.cur_name);
}

TEST_F(Profiles, ContinueAppendsInPlace)
{
    const int n = 512;
    write_rd7("DAT_0004.rd7", 6, n);
    write_header("DAT_0004", n, 6);
    write_bytes(data("DAT_0004.srd"), "#Version: 2\r\n");
    write_bytes(data("DAT_0004.mrk"), "HEADER VERSION:101\r\n5\t10\t104\tS1\r\n");

    ASSERT_EQ(0, rdr.dSetNames("DAT_0004"));
    EXPECT_EQ(-3, rdr.dCOpen()); // header not read yet: samples 0
    ASSERT_EQ(0, rdr.rd.hd.h_read());
    ASSERT_EQ(0, rdr.dCOpen());
    EXPECT_EQ(6, rdr.rd.hd.last_trace);
    EXPECT_EQ(6, prev_meas_traces);
    EXPECT_EQ(6, shown_traces);
    EXPECT_EQ(-3, rdr.dCOpen()); // already open
    ASSERT_EQ(0, rdr.rd.append_trace(trace_of(6, n).data(), n));
    ASSERT_EQ(0, rdr.rd.srd_add_line(5, 6, 0, 0));
    ASSERT_EQ(0, rdr.rd.mrk.add_marker(7, 3, 104, ""));
    rdr.dClose(false);

    std::string bytes = read_file(data("DAT_0004.rd7"));
    ASSERT_EQ((size_t)7 * n * 4, bytes.size());
    for (int k = 0; k < 7; k++)
        EXPECT_EQ(trace_of(k, n), file_trace(bytes, k, n)) << k;
    EXPECT_EQ("#Version: 2\r\n5\t6\t7\t\t         0\t  0\r\n", read_file(data("DAT_0004.srd")));
    EXPECT_EQ("HEADER VERSION:101\r\n5\t10\t104\tS1\r\n7\t3\t104\tS2\r\n", read_file(data("DAT_0004.mrk")));
}

TEST_F(Profiles, ContinueRefusals)
{
    EXPECT_EQ(5, rdr.dCOpen()); // no current profile
    ASSERT_EQ(0, rdr.dSetNames("DAT_0005"));
    rdr.rd.hd.samples = 512;
    eep.samples = 50;
    EXPECT_EQ(5, rdr.dCOpen());
    eep.samples = 512;
    EXPECT_EQ(3, rdr.dCOpen()); // no data file
    EXPECT_EQ(0, rdr.rd.hd.last_trace);
    // A position log that cannot be opened: 1, and traces still go on.
    write_rd7("DAT_0005.rd7", 2, 512);
    ASSERT_EQ(0, system(("mkdir '" + data("DAT_0005.srd") + "'").c_str()));
    EXPECT_EQ(1, rdr.dCOpen());
    EXPECT_EQ(2, rdr.rd.hd.last_trace);
    EXPECT_EQ(0, rdr.rd.append_trace(std::vector<int32_t>(512, 9).data(), 512));
    EXPECT_EQ(1, rdr.rd.srd_add_line(0, 0, 0, 0));
}

TEST_F(Profiles, ContinueCutsATraceLeftHalfWritten)
{
    const int n = 128;
    write_rd7("DAT_0002.rd7", 3, n, 100); // a power cut in the middle of trace 4
    write_header("DAT_0002", n, 0);
    ASSERT_EQ(0, rdr.dSetNames("DAT_0002"));
    ASSERT_EQ(0, rdr.rd.hd.h_read());
    eep.samples = n < 100 ? 100 : n;
    ASSERT_EQ(0, rdr.dCOpen());
    EXPECT_EQ(3, rdr.rd.hd.last_trace);
    ASSERT_EQ(0, rdr.rd.append_trace(trace_of(3, n).data(), n));
    rdr.dClose(false);
    std::string bytes = read_file(data("DAT_0002.rd7"));
    ASSERT_EQ((size_t)4 * n * 4, bytes.size());
    EXPECT_EQ(trace_of(3, n), file_trace(bytes, 3, n));
}

TEST_F(Profiles, OpenCountsWholeTracesAndChecksTheHeader)
{
    const int n = 512;
    write_rd7("DAT_0001.rd7", 10, n, 100);
    write_header("DAT_0001", n, 3);
    ASSERT_EQ(0, rdr.dOpen("DAT_0001.rd7"));
    EXPECT_EQ(10, rdr.rd.hd.last_trace);
    EXPECT_EQ(10, shown_traces);
    EXPECT_EQ(n, eep.samples);
    rdr.dClose(false);
    ASSERT_EQ(0, rdr.dOpen("")); // the current one
    rdr.dClose(true);

    EXPECT_EQ(-1, rdr.dOpen("NOPE.rd7"));
    write_bytes(data("E.rad"), "SAMPLES:512\r\n");
    write_bytes(data("E.rd7"), "");
    EXPECT_EQ(3, rdr.dOpen("E"));
    EXPECT_FALSE(rdr.rd.data_open());
    write_bytes(data("E.rad"), "SAMPLES:2048\r\n");
    EXPECT_EQ(-2, rdr.dOpen("E"));
    write_bytes(data("E.rad"), "SAMPLES:-4\r\n");
    EXPECT_EQ(-2, rdr.dOpen("E"));
    write_bytes(data("E.rad"), "SAMPLES:0\r\n");
    EXPECT_EQ(-3, rdr.dOpen("E"));
    write_bytes(data("G.rad"), "SAMPLES:512\r\n");
    EXPECT_EQ(-3, rdr.dOpen("G")); // no .rd7
    // A header the antenna block refuses: nothing stays open.
    write_rd7("F.rd7", 2, 50);
    write_bytes(data("F.rad"), "SAMPLES:50\r\nSYSTEM CALIBRATION:0.001\r\n");
    EXPECT_EQ(-10, rdr.dOpen("F"));
    EXPECT_FALSE(rdr.rd.data_open());
}

TEST_F(Profiles, ReadBackIntoTheTraceStore)
{
    const int n = 512;
    write_rd7("DAT_0001.rd7", 10, n, 100);
    write_header("DAT_0001", n, 10);
    EXPECT_EQ(0, rdr.pRead(0, 5, 0)); // nothing open
    ASSERT_EQ(0, rdr.dOpen("DAT_0001"));
    CProfile& p = rdr.prof;

    EXPECT_EQ(4, rdr.pRead(6, 5, 0)); // only 4 left
    EXPECT_EQ(6, p.first_trace);
    EXPECT_EQ(4, p.b_size());
    EXPECT_EQ(0, rdr.pRead(10, 5, 0));

    ASSERT_EQ(5, rdr.pRead(0, 5, 0));
    EXPECT_EQ(5, p.b_size());
    EXPECT_FLOAT_EQ(sample_of(3, 7) / 8192.0f, p.slot(3)[7]);
    EXPECT_FLOAT_EQ(sample_of(0, 511) / 8192.0f, p.slot(0)[511]);

    // Back at trace 0: nothing read, store unchanged.
    EXPECT_EQ(0, rdr.pRead(0, 0, -1));
    EXPECT_EQ(0, p.first_trace);
    EXPECT_EQ(0, p.start);

    // Forward by 3: traces 5..7 appended, the window slides.
    EXPECT_EQ(3, rdr.pRead(0, 0, 3));
    EXPECT_EQ(3, p.first_trace);
    EXPECT_EQ(3, p.start);
    EXPECT_EQ(8, p.end);
    EXPECT_FLOAT_EQ(sample_of(7, 1) / 8192.0f, p.slot(7)[1]);
    // Past the end: only what exists.
    EXPECT_EQ(2, rdr.pRead(0, 0, 5));
    EXPECT_EQ(5, p.first_trace);

    // Back by 2: traces 4 and 3 come before the window.
    EXPECT_EQ(-2, rdr.pRead(0, 0, -2));
    EXPECT_EQ(3, p.first_trace);
    EXPECT_FLOAT_EQ(sample_of(3, 9) / 8192.0f, p.slot(p.start)[9]);

    // The store wraps at 3000 columns, both ways.
    p.Empty();
    p.start = p.end = 2999;
    EXPECT_EQ(2, rdr.pRead(0, 0, 2));
    EXPECT_EQ(1, p.end);
    EXPECT_FLOAT_EQ(sample_of(1, 0) / 8192.0f, p.slot(0)[0]);
    p.Empty();
    p.end = 1;
    p.first_trace = 5;
    EXPECT_EQ(-1, rdr.pRead(0, 0, -1));
    EXPECT_EQ(2999, p.start);
    EXPECT_EQ(0, p.end);
    EXPECT_EQ(4, p.first_trace);
    EXPECT_FLOAT_EQ(sample_of(4, 0) / 8192.0f, p.slot(2999)[0]);
}

TEST_F(Profiles, Export16BitShiftsArithmetically)
{
    const int n = 128;
    std::vector<int32_t> values = {0, 1, 65535, 65536, -1, -65536, -65537, INT32_MAX, INT32_MIN, 0x12345678};
    std::string bytes;
    for (int k = 0; k < 2; k++)
        for (int i = 0; i < n; i++) {
            uint32_t v = (uint32_t)values[(size_t)(i + k) % values.size()];
            for (int b = 0; b < 4; b++)
                bytes.push_back((char)((v >> (8 * b)) & 0xFF));
        }
    write_bytes(data("X.rd7"), bytes);
    write_header("X", n, 2);
    ASSERT_EQ(0, rdr.save_rd3("X.rd7", "/mnt/usb/SORLAN/X.rd3"));
    std::string out = read_file(usb("X.rd3"));
    ASSERT_EQ((size_t)2 * n * 2, out.size());
    const int16_t expect[] = {0, 0, 0, 1, -1, -1, -2, 32767, -32768, 0x1234};
    for (int k = 0; k < 2; k++)
        for (int i = 0; i < n; i++) {
            size_t p = ((size_t)k * n + i) * 2;
            int16_t v = (int16_t)((uint8_t)out[p] | ((uint8_t)out[p + 1] << 8));
            ASSERT_EQ(expect[(size_t)(i + k) % values.size()], v) << k << " " << i;
        }
    EXPECT_STREQ("X", rdr.cur_name);
    EXPECT_FALSE(rdr.rd.data_open());

    EXPECT_EQ(2, rdr.save_rd3("X.rd7", "/mnt/usb/none/X.rd3"));
    write_bytes(data("Y.rd7"), "");
    write_header("Y", n, 0);
    EXPECT_EQ(3, rdr.save_rd3("Y", "/mnt/usb/SORLAN/Y.rd3"));
}

// A child process records; it is killed at an arbitrary moment; the parent reopens the
// profile and continues it.
TEST_F(Profiles, KilledWhileRecordingKeepsEveryTraceAndContinues)
{
    const int n = 512;
    for (int round = 0; round < 3; round++) {
        const int kill_after = round == 0 ? 1 : (round == 1 ? 37 : 400);
        int pipefd[2];
        ASSERT_EQ(0, pipe(pipefd));
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(pipefd[0]);
            surf_mrk_num = 1; // as the measurement screen does for a new profile
            if (rdr.dCreateFiles() != 0 || rdr.rd.hd.h_write(current_header_settings()) != 0)
                _exit(2);
            for (int k = 0;; k++) {
                std::vector<int32_t> t = trace_of(k, n);
                if (rdr.rd.append_trace(t.data(), n) != 0 || rdr.rd.srd_add_line(k, k, 0, 0) != 0)
                    _exit(3);
                if (k % 25 == 0)
                    rdr.rd.mrk.add_marker(k + 1, 10, 104, "");
                int32_t done = k + 1;
                if (write(pipefd[1], &done, sizeof done) != (ssize_t)sizeof done)
                    _exit(4);
            }
        }
        close(pipefd[1]);
        int32_t reported = 0, v;
        while (reported < kill_after && read(pipefd[0], &v, sizeof v) == (ssize_t)sizeof v)
            reported = v;
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        close(pipefd[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "child ended by itself: " << status;
        ASSERT_GE(reported, kill_after);

        char name[16];
        snprintf(name, sizeof name, "DAT_%04d", round + 1);
        // As after a restart: select the profile, read its header, continue it.
        rdr.dClose(true);
        ASSERT_EQ(0, rdr.dSetNames(name));
        ASSERT_EQ(0, rdr.rd.hd.h_read()) << name;
        ASSERT_EQ(n, rdr.rd.hd.samples);
        ASSERT_EQ(0, rdr.dCOpen()) << name;
        int count = rdr.rd.hd.last_trace;
        EXPECT_GE(count, reported);
        ASSERT_EQ(0, rdr.rd.append_trace(trace_of(count, n).data(), n));
        ASSERT_EQ(0, rdr.rd.srd_add_line(count, count, 0, 0));
        rdr.dClose(false);

        std::string bytes = read_file(data(std::string(name) + ".rd7"));
        ASSERT_EQ((size_t)(count + 1) * n * 4, bytes.size());
        for (int k = 0; k <= count; k++)
            ASSERT_EQ(trace_of(k, n), file_trace(bytes, k, n)) << name << " trace " << k;
        std::vector<std::string> srd = split_lines(read_file(data(std::string(name) + ".srd")));
        // Heading, then one line per trace (the line of the trace cut at the kill may be missing).
        EXPECT_GE(srd.size(), (size_t)count + 2);
        EXPECT_LE(srd.size(), (size_t)count + 3);
        std::string mrk = read_file(data(std::string(name) + ".mrk"));
        EXPECT_EQ(0u, mrk.find("HEADER VERSION:101\r\n1\t10\t104\tS1\r\n"));
    }
}

} // namespace

TEST_F(Profiles, NewProfileRemovesTheMissedTraceTableOfAnEarlierOne)
{
    write_bytes(data("missed_data.mbf"), "stale");
    write_bytes(data("missed_data.trf"), "stale");
    ASSERT_EQ(0, rdr.dCreateFiles());
    EXPECT_NE(0, access(data("missed_data.mbf").c_str(), F_OK));
    EXPECT_NE(0, access(data("missed_data.trf").c_str(), F_OK));
}

// After an unclean end: each profile's header is brought into agreement with its data.
TEST_F(Profiles, RepairAfterAnUncleanEndSetsTheTraceCountOfEveryProfileLeftOpen)
{
    write_rd7("DAT_0001.rd7", 10, 512, 100); // left open: header of its start, a partial trace
    write_header("DAT_0001", 512, 0);
    write_rd7("DAT_0002.rd7", 4, 512);       // stopped cleanly
    write_header("DAT_0002", 512, 4);
    const struct timeval earlier[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(0, utimes(data("DAT_0002.rd7").c_str(), earlier));
    write_rd7("DAT_0003.rd7", 0, 512);       // killed while being created: no header yet
    write_bytes(data("DAT_0003.srd"), "#Version: 2\r\n");
    write_rd7("DAT_0004.rd7", 3, 512);       // traces without a header: kept as they are
    ASSERT_EQ(0, disk_reserve_take());       // the header's room while DAT_0001 was recorded
    const std::string rad1 = read_file(data("DAT_0001.rad")), rad2 = read_file(data("DAT_0002.rad"));

    const RepairResult r = repair_profiles();
    EXPECT_EQ(1, r.repaired);
    EXPECT_EQ(1, r.removed);
    EXPECT_STREQ("DAT_0001", r.latest);
    std::vector<std::string> before = split_lines(rad1), after = split_lines(read_file(data("DAT_0001.rad")));
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); i++) {
        if (before[i].rfind("LAST TRACE:", 0) == 0) {
            EXPECT_EQ("LAST TRACE:10", after[i]);
        } else if (before[i].rfind("STOP POSITION:", 0) != 0) {
            EXPECT_EQ(before[i], after[i]);
        }
    }
    EXPECT_EQ(10u * 512 * 4, read_file(data("DAT_0001.rd7")).size()) << "partial trace cut off";
    EXPECT_EQ(rad2, read_file(data("DAT_0002.rad")));
    EXPECT_FALSE(file_exists(data("DAT_0003.rd7")));
    EXPECT_FALSE(file_exists(data("DAT_0003.srd")));

    // Cut again during the start-up that repaired it: the profile is still the one to continue.
    const RepairResult again = repair_profiles();
    EXPECT_EQ(0, again.repaired);
    EXPECT_STREQ("DAT_0001", again.latest);
    EXPECT_TRUE(file_exists(data("DAT_0004.rd7")));
    EXPECT_FALSE(file_exists(data("DAT_0001.rad.tmp")));
    EXPECT_FALSE(file_exists(sb.path(kReservePath)));
}
