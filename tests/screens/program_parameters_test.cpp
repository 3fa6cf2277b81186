// The whole program changing the CU's signal parameters from its keypad: gprmon as a child
// process against cusim, its key script a pipe written as the run goes on (each batch ends
// with a screenshot the test waits for, so the keys are taken before the next batch). Checked
// in cusim's command log: every change reached the CU at once, Save stored it in the CU so
// that it survives a restart, Cancel re-sent every value as it was on entry.
#include "live_fixture.h"
#include "program_driver.h"
#include "cu_command_log.h"

#include <fstream>
#include <sstream>

namespace {

class ProgramParameters : public LiveTest {
protected:
    std::string cmd_log;
    std::string run = "r1_"; // screenshot names of this program run
    int shots = 0;

    bool start_cu()
    {
        cmd_log = sb.root() + "/sim/commands.cu";
        LiveOptions o;
        o.cusim_args = {"--command-log", cmd_log, "--gps-rate", "0"};
        return start_cusim(o);
    }
    // Keys, then a screenshot that proves they were taken.
    bool keys(Program& p, std::initializer_list<const char*> k, const char* name = nullptr)
    {
        p.send(k);
        const std::string n = run + (name ? name : "step" + std::to_string(++shots));
        p.send({("shot " + n).c_str()});
        return p.wait_shot(n, 60);
    }
    bool repeat(Program& p, const char* key, int times)
    {
        std::vector<std::string> lines(size_t(times), key);
        for (const std::string& l : lines)
            p.send({l.c_str()});
        return keys(p, {});
    }
    // From the main menu to the signal parameters (screen 2, par, Signal parameters).
    bool to_signal_screen(Program& p, size_t& reading)
    {
        if (p.wait_out("main loop", 0, 90) == std::string::npos)
            return false;
        const size_t from = p.output().size();
        p.send({"Enter"});
        reading = p.wait_out("Reading from CU:", from, 60);
        if (reading == std::string::npos || p.wait_out("sbars_init", reading, 30) == std::string::npos)
            return false;
        // Screen 2: New has the focus, par is two to the left. Screen 5 starts at Cancel,
        // Signal parameters is two to the right.
        return keys(p, {"Left", "Left", "Enter"}, "overview") &&
               keys(p, {"Right", "Right", "Enter"}, "signal");
    }
};

} // namespace

TEST_F(ProgramParameters, SignalChangesReachTheCuSaveSurvivesARestartCancelRestores)
{
    ASSERT_TRUE(start_cu());
    {
        Program p;
        ASSERT_TRUE(p.start(sb)) << p.output();
        size_t reading = 0;
        ASSERT_TRUE(to_signal_screen(p, reading)) << p.output();
        EXPECT_NE(std::string::npos, p.output().find("USA smp=1536; file_smp=736", reading - 40));

        // Runs 32 -> 14 (Left steps down on the runs field): CU samples 1536 become 1526
        // (109 x 14), the file follows.
        ASSERT_TRUE(keys(p, {"Left", "Left", "Left", "Enter"}));
        ASSERT_TRUE(repeat(p, "Left", 18));
        ASSERT_TRUE(keys(p, {"Enter"}));
        auto log = command_log(cmd_log);
        EXPECT_EQ(14, last_value(log, 104));
        EXPECT_EQ(1526, last_value(log, 65, 0, 52));
        EXPECT_EQ(1526, last_value(log, 1));

        // N Samples: 40 steps right end at 2044 = 146 x 14, the largest within 2048.
        const size_t before = log.size();
        ASSERT_TRUE(keys(p, {"Left", "Enter"}));
        ASSERT_TRUE(repeat(p, "Right", 40));
        ASSERT_TRUE(keys(p, {"Enter"}, "signal_samples"));
        log = command_log(cmd_log);
        EXPECT_EQ(2044, last_value(log, 65, before, 52));
        EXPECT_EQ(2044, last_value(log, 1, before));
        EXPECT_GE(count_of(log, 1, before), 37u) << "every step is sent at once";

        // Zero level 37 -> 32, frequency index 4 -> 6 (divider 225), stacks 4 -> 6.
        ASSERT_TRUE(keys(p, {"Left", "Left", "Left", "Left", "Enter", "Left", "Left", "Left", "Left", "Left", "Enter"}));
        ASSERT_TRUE(keys(p, {"Right", "Right", "Right", "Right", "Right", "Right", "Enter", "Right", "Right", "Enter"}));
        ASSERT_TRUE(keys(p, {"Left", "Left", "Left", "Left", "Enter", "Right", "Right", "Enter"}));
        log = command_log(cmd_log);
        EXPECT_EQ(32, last_value(log, 194));
        EXPECT_EQ(225, last_value(log, 129));
        ASSERT_FALSE(log.empty());
        for (size_t i = log.size(); i-- > 0;)
            if (log[i].code == 40) {
                EXPECT_EQ(6, log[i].a[1]) << "stacks sent with the autostacks flag";
                break;
            }
        // Save (six to the left of Stacks), then Save on screen 5.
        const size_t saved = log.size();
        ASSERT_TRUE(keys(p, {"Left", "Left", "Left", "Left", "Left", "Left", "Enter"}));
        ASSERT_TRUE(keys(p, {"Left", "Enter"}, "after_save"));
        log = command_log(cmd_log);
        EXPECT_GE(count_of(log, 124, saved), 1u) << "the CU stores its parameters";
        EXPECT_EQ(0, p.finish());
        if (const char* doc = getenv("GPRMON_DOC_SHOTS")) {
            EXPECT_EQ(0, system(("cp '" + p.shots + "/r1_overview.png' '" + doc + "/params_overview.png'").c_str()));
            EXPECT_EQ(0, system(("cp '" + p.shots + "/r1_signal_samples.png' '" + doc + "/params_signal.png'").c_str()));
        }
    }
    run = "r2_";
    // The program's power-off switched the CU off: its working parameters are the stored ones.
    {
        Program p;
        ASSERT_TRUE(p.start(sb)) << p.output();
        size_t reading = 0;
        ASSERT_TRUE(to_signal_screen(p, reading)) << p.output();
        EXPECT_NE(std::string::npos, p.output().find("USA smp=2044; file_smp=2044", reading - 40)) << p.output();

        // Runs 14 -> 16 and zero level 32 -> 35, then Cancel.
        auto log = command_log(cmd_log);
        const size_t entry = log.size();
        ASSERT_TRUE(keys(p, {"Left", "Left", "Left", "Enter", "Right", "Right", "Enter"}));
        ASSERT_TRUE(keys(p, {"Left", "Left", "Left", "Left", "Left", "Enter", "Right", "Right", "Right", "Enter"}));
        log = command_log(cmd_log);
        EXPECT_EQ(16, last_value(log, 104, entry));
        EXPECT_EQ(2032, last_value(log, 65, entry, 52));
        EXPECT_EQ(35, last_value(log, 194, entry));
        const size_t changed = log.size();
        ASSERT_TRUE(keys(p, {"Left", "Left", "Left", "Left", "Left", "Enter"}, "after_cancel"));
        log = command_log(cmd_log);
        EXPECT_EQ(14, last_value(log, 104, changed)) << "runs re-sent as on entry";
        EXPECT_EQ(2044, last_value(log, 65, changed, 52));
        EXPECT_EQ(2044, last_value(log, 1, changed));
        EXPECT_EQ(32, last_value(log, 194, changed));
        EXPECT_EQ(-1, last_value(log, 129, changed)) << "the frequency did not change: not sent";
        EXPECT_EQ(0, p.finish());
    }
}
