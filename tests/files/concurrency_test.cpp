// The data files with the program's real mutexes: nested operations do not deadlock, and the
// GUI reading a profile back does not disturb the acquisition thread appending to it.
#include "files_fixture.h"

#include "platform/globals.h"

#include <atomic>
#include <thread>

namespace {

class WithMutexes : public FilesTest {
protected:
    void SetUp() override
    {
        FilesTest::SetUp();
        ASSERT_TRUE(create_all_mutexes());
    }
    void TearDown() override
    {
        FilesTest::TearDown();
        DestroyAllMutexes();
    }
};

TEST_F(WithMutexes, NestedOperationsTakeTheDataLockAgain)
{
    // dCopy holds lock_dw and calls save_rd3 -> p_Open -> h_read, each taking it again;
    // oCopy holds it around dCopy; dCOpen around the marker and GPS files.
    ASSERT_EQ(0, rdr.dCreateFiles());
    ASSERT_EQ(0, rdr.rd.hd.h_write());
    std::vector<int32_t> t(512, -70000);
    ASSERT_EQ(0, rdr.rd.append_trace(t.data(), 512));
    ASSERT_EQ(0, rdr.rd.hd.h_write());
    rdr.dClose(false);
    ASSERT_EQ(0, rdr.rd.hd.h_read());
    ASSERT_EQ(0, rdr.dCOpen());
    rdr.dClose(false);
    EXPECT_EQ(0, rdr.dCopy("DAT_0001.rd7", nullptr));
    write_bytes(data("DAT_.pvb"), "VERSION:2\r\n");
    EXPECT_EQ(0, rdr.oCopy("DAT_.pvb"));
    EXPECT_TRUE(file_exists(usb("DAT_/DAT_0001.rd3")));
    EXPECT_EQ(-3, rdr.oDelete("DAT_.pvb")); // the set had no .cor, .kub, .skub
    EXPECT_FALSE(file_exists(data("DAT_0001.rd7")));
}

TEST_F(WithMutexes, ReadingBackWhileTracesAreAppended)
{
    const int n = 256;
    eep.samples = n;
    ASSERT_EQ(0, rdr.dCreateFiles());
    ASSERT_EQ(0, rdr.rd.hd.h_write());
    std::vector<int32_t> t((size_t)n);
    for (int k = 0; k < 50; k++) {
        for (int i = 0; i < n; i++)
            t[(size_t)i] = sample_of(k, i);
        ASSERT_EQ(0, rdr.rd.append_trace(t.data(), n));
    }
    std::atomic<bool> failed{false};
    std::thread writer([&] {
        std::vector<int32_t> w((size_t)n);
        for (int k = 50; k < 1500; k++) {
            for (int i = 0; i < n; i++)
                w[(size_t)i] = sample_of(k, i);
            if (rdr.rd.append_trace(w.data(), n) != 0 || rdr.rd.srd_add_line(k, k, 0, 0) != 0)
                failed = true;
        }
    });
    int checked = 0;
    for (int round = 0; round < 200; round++) {
        int first = (round * 7) % 40;
        int got = rdr.pRead(first, 10, 0);
        if (got != 10) {
            ADD_FAILURE() << "round " << round << " read " << got;
            break;
        }
        for (int c = 0; c < 10; c++)
            for (int i : {0, 17, n - 1})
                if (rdr.prof.slot(c)[i] != sample_of(first + c, i) / 8192.0f) {
                    ADD_FAILURE() << "trace " << first + c << " sample " << i;
                    round = 200;
                }
        checked++;
        rdr.pRead(0, 0, 5);
        rdr.pRead(0, 0, -3);
    }
    writer.join();
    EXPECT_FALSE(failed);
    EXPECT_EQ(200, checked);
    EXPECT_EQ(1500, rdr.rd.hd.last_trace);
    rdr.dClose(false);
    std::string bytes = read_file(data("DAT_0001.rd7"));
    ASSERT_EQ((size_t)1500 * n * 4, bytes.size());
    for (int k : {0, 49, 50, 777, 1499}) {
        size_t p = ((size_t)k * n + 3) * 4;
        int32_t v = (int32_t)((uint8_t)bytes[p] | (uint8_t)bytes[p + 1] << 8 | (uint8_t)bytes[p + 2] << 16
                              | (uint32_t)(uint8_t)bytes[p + 3] << 24);
        EXPECT_EQ(sample_of(k, 3), v) << k;
    }
    EXPECT_EQ(1500u - 50u + 2u, split_lines(read_file(data("DAT_0001.srd"))).size());
}

} // namespace
