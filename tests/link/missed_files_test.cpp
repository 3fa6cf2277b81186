// The missed-block table and restored-trace flags saved on the data partition.
#include "link_rig.h"

#include "platform/host_paths.h"
#include "support/sandbox.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

class MissedFiles : public ::testing::Test {
protected:
    void SetUp() override { sim_reload_root(); }
    void TearDown() override { sim_reload_root(); }
    Sandbox sb;
    LinkRig rig;
};

TEST_F(MissedFiles, RoundTripRestoresTableIndexNameAndFlags)
{
    CEthernet& l = *rig.link;
    l.mb_buf[0] = CMissedBlock{4, 5003, 0, 0, 123456, 0};
    l.mb_buf[299999] = CMissedBlock{7, 9, 1, 2, 3, 4};
    l.mb_write = 1;
    l.tr_restored[2] = 1;
    l.tr_restored[999999] = 1;
    strcpy(rig.sink.restore_name(), "PROFILE_0012");
    l.mt_CreateFiles();
    EXPECT_EQ(4u + 100u + 300000u * 24u, read_file(sb.path("/mnt/hda1/missed_data.mbf")).size());
    EXPECT_EQ(1000000u, read_file(sb.path("/mnt/hda1/missed_data.trf")).size());

    l.init_buffers(1);
    rig.sink.restore_name()[0] = 0;
    ASSERT_EQ(0, l.mt_RestoreFiles());
    EXPECT_EQ(1u, l.mb_write);
    EXPECT_EQ(4, l.mb_buf[0].first);
    EXPECT_EQ(5003, l.mb_buf[0].last);
    EXPECT_EQ(123456u, l.mb_buf[0].position);
    EXPECT_EQ(4, l.mb_buf[299999].aux2);
    EXPECT_EQ(-1, l.mb_buf[1].first);
    EXPECT_EQ(1, l.tr_restored[2]);
    EXPECT_EQ(1, l.tr_restored[999999]);
    EXPECT_EQ(0, l.tr_restored[3]);
    EXPECT_STREQ("PROFILE_0012", rig.sink.restore_name());

    EXPECT_EQ(0, l.mt_DeleteFiles());
    EXPECT_FALSE(file_exists(sb.path("/mnt/hda1/missed_data.mbf")));
    EXPECT_EQ(1, l.mt_RestoreFiles());
    EXPECT_EQ(-2, l.mt_DeleteFiles());
}

TEST_F(MissedFiles, ShortFilesAreReportedAndLeaveNoGarbage)
{
    CEthernet& l = *rig.link;
    l.mb_buf[0] = CMissedBlock{4, 8, 0, 0, 0, 0};
    l.mt_CreateFiles();
    std::string mbf = sb.path("/mnt/hda1/missed_data.mbf");
    std::string trf = sb.path("/mnt/hda1/missed_data.trf");

    ASSERT_EQ(0, truncate(trf.c_str(), 10));
    EXPECT_EQ(5, l.mt_RestoreFiles());
    ASSERT_EQ(0, truncate(mbf.c_str(), 4 + 100 + 24 * 2 + 5));
    l.mb_buf[5] = CMissedBlock{77, 78, 0, 0, 0, 0};
    EXPECT_EQ(4, l.mt_RestoreFiles());
    EXPECT_EQ(4, l.mb_buf[0].first);
    EXPECT_EQ(-1, l.mb_buf[5].first) << "entries the file lacks are free, not left over";
    ASSERT_EQ(0, truncate(mbf.c_str(), 50));
    EXPECT_EQ(3, l.mt_RestoreFiles());
    unlink(trf.c_str());
    EXPECT_EQ(2, l.mt_RestoreFiles());
}
