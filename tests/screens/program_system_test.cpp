// The whole program on the system screen, driven from its keypad against cusim: units and
// power save (Cancel keeps, Save writes the unit table), firmware uploads that reach the CU
// whole and one it refuses, every failure of a software upgrade (each leaves a bootable
// factory partition and a mounted settings partition), a good upgrade that ends in a reboot
// with the new system on the factory and boot partitions, and the restore of predefined and
// factory settings, each shown by the next start in the same sandbox.
#include "live_fixture.h"
#include "program_driver.h"

#include <cstdio>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string kSim = std::string(GPRMON_SOURCE_DIR) + "/sim";

int sh(const std::string& cmd) { return system(cmd.c_str()); }
std::string q(const std::string& s) { return "'" + s + "'"; }

// The version marker inside a simulated image file ("" when it does not unpack).
std::string image_version(const std::string& path)
{
    const std::string out = path + ".version";
    sh("tar -xzOf " + q(path) + " root/mon1/fTKVER_012 >" + q(out) + " 2>/dev/null");
    const std::string v = read_file(out);
    unlink(out.c_str());
    return v;
}

// The value attribute of the first element `tag` of an XML text ("" when absent).
std::string xml_value(const std::string& xml, const std::string& tag)
{
    const size_t t = xml.find("<" + tag + " ");
    if (t == std::string::npos)
        return "";
    const size_t v = xml.find("value=\"", t);
    const size_t e = v == std::string::npos ? v : xml.find('"', v + 7);
    return e == std::string::npos ? "" : xml.substr(v + 7, e - v - 7);
}

class ProgramSystem : public LiveTest {
protected:
    std::string fw_dir;
    int shots = 0;

    bool start_cu(const char* refuse)
    {
        fw_dir = sb.root() + "/sim/firmware";
        mkdir(fw_dir.c_str(), 0755);
        LiveOptions o;
        o.cusim_args = {"--gps-rate", "0", "--firmware-dir", fw_dir};
        if (refuse) {
            o.cusim_args.push_back("--refuse-upload");
            o.cusim_args.push_back(refuse);
        }
        return start_cusim(o);
    }
    // Keys, then a screenshot that proves they were taken.
    bool keys(Program& p, std::initializer_list<const char*> k)
    {
        p.send(k);
        const std::string n = "sys" + std::to_string(++shots);
        p.send({("shot " + n).c_str()});
        return p.wait_shot(n, 90);
    }
    // Main menu -> Shut down (one to the right of 2D at a start, focused after the first
    // time) -> the quit box's level-0 sequence.
    bool to_system_screen(Program& p, bool first = false)
    {
        if (p.wait_out("main loop", 0, 120) == std::string::npos)
            return false;
        if (first && !keys(p, {"wait 500", "Right"}))
            return false;
        return keys(p, {"Enter"}) &&
               keys(p, {"Up", "Up", "Down", "Down", "Left", "Right", "Left", "Right", "Enter"});
    }
    // Presses the focused button and waits for the message box `title` (from the output's
    // current end); false when it does not come.
    bool press_for(Program& p, const std::string& title)
    {
        const size_t from = p.output().size();
        p.send({"Enter"});
        return p.wait_out("message box \"" + title + "\"", from, 120) != std::string::npos;
    }
    // Closes the message box shown: a screenshot first proves that the box waits for its key
    // (it drops keys typed ahead of it).
    bool dismiss(Program& p) { return keys(p, {}) && keys(p, {"Enter", "wait 300"}); }
    std::string factory(const char* f) const { return sb.path(std::string("/dev/sda4/") + f); }
    // The factory partition can boot: its image unpacks and carries one of the versions.
    void expect_bootable(const std::string& old_v, const std::string& new_v, const std::string& when,
                         bool running = true)
    {
        const std::string v = image_version(factory("ram10img.gz"));
        EXPECT_TRUE(v == old_v || v == new_v) << when << ": factory image version \"" << v << "\"";
        EXPECT_FALSE(file_exists(factory("ram10img.gz.new"))) << when;
        struct stat st;
        if (running) {
            EXPECT_TRUE(lstat(sb.path("/mnt/hda3").c_str(), &st) == 0 && S_ISLNK(st.st_mode))
                << when << ": the settings partition is mounted";
        }
        EXPECT_FALSE(file_exists(sb.path("/dev/sda3/root/mon1/fTKVER_012"))) << when << ": test unpack wiped";
        EXPECT_FALSE(file_exists(sb.path("/sim/sda3.image"))) << when;
    }
    void clear_switches()
    {
        sh("rm -rf " + q(sb.path("/dev/sdb1")) + " " + q(sb.path("/dev/sdc1")) + " " +
           q(sb.path("/sim/sdb1.unmountable")) + " " + q(sb.path("/sim/sda4.unmountable")) + " " +
           q(sb.path("/sim/mv.fail")) + " " + q(sb.path("/sim/my-grub-install.fail")));
    }
    std::string stick(const std::string& options)
    {
        return kSim + "/upgrade-stick.sh " + q(sb.root()) + " " + options + " >/dev/null";
    }
};

} // namespace

TEST_F(ProgramSystem, UnitsFirmwareUpgradeFailuresAndAGoodUpgradeThenTheSettingsRestores)
{
    ASSERT_TRUE(start_cu("0x3904@4"));
    const std::string xml = sb.path("/mnt/hda3/r5_parameters.xml");    // while the program runs
    const std::string stored = sb.path("/dev/sda3/r5_parameters.xml"); // after it ended
    {
        Program p;
        ASSERT_TRUE(p.start(sb, "run1")) << p.output();
        ASSERT_TRUE(to_system_screen(p, true)) << p.output();

        // Focus on Cancel. PowerSave (ten to the right) and Imperial or SI (the next) toggled,
        // then Cancel (nine to the left); in again, Save at once: both as on entry.
        ASSERT_TRUE(keys(p, {"Right", "Right", "Right", "Right", "Right", "Right", "Right", "Right", "Right", "Right",
                             "Enter", "Left", "Enter", "wait 300"}));
        ASSERT_TRUE(keys(p, {"Left", "Left", "Left", "Left", "Left", "Left", "Left", "Left", "Left", "Enter"}));
        ASSERT_TRUE(to_system_screen(p));
        ASSERT_TRUE(keys(p, {"Right", "Enter", "wait 500"}));
        std::string x = read_file(xml);
        EXPECT_EQ("1", xml_value(x, "units"));
        EXPECT_EQ("1", xml_value(x, "powersave")) << "on by default";

        // Units and power save toggled (Save has the focus now: Imperial or SI is eight to the
        // right), Save: the imperial column of the unit table, and the antenna the table does
        // not cover converted from metres to inches. (Without power save no key of this run
        // is taken for waking the screen.)
        ASSERT_TRUE(to_system_screen(p));
        ASSERT_TRUE(keys(p, {"Right", "Right", "Right", "Right", "Right", "Right", "Right", "Right", "Enter", "Right",
                             "Enter"}));
        ASSERT_TRUE(keys(p, {"Left", "Left", "Left", "Left", "Left", "Left", "Left", "Left", "Left", "Enter", "wait 500"}));
        x = read_file(xml);
        EXPECT_EQ("0", xml_value(x, "units"));
        EXPECT_EQ("0", xml_value(x, "powersave"));
        const std::string saved = x;
        EXPECT_EQ("300", xml_value(x, "soil_velocity"));
        std::vector<double> pi;
        for (size_t at = x.find("<point_interval"); at != std::string::npos; at = x.find("<point_interval", at + 1))
            pi.push_back(atof(x.c_str() + x.find("value=\"", at) + 7));
        ASSERT_GE(pi.size(), 5u);
        EXPECT_NEAR(0.04 / 0.0254, pi[0], 1e-3) << "0.04 m in inches";
        const double imperial[4] = {3.5, 2.0, 1.4, 0.8};
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR(imperial[i], pi[size_t(i) + 1], 1e-4) << "antenna " << i + 1;

        // Firmware from a stick without an image, each type through cusim's bootloader; the
        // fourth upload is refused by it. Software Upgrade is three to the right of Save.
        ASSERT_TRUE(to_system_screen(p));
        ASSERT_TRUE(keys(p, {"Right", "Right", "Right"}));
        struct Fw {
            const char* file;
            int type;
            const char* done;
        };
        const Fw fws[] = {{"R5_Master.elf", 0, "Motorola Coldfire is upgraded."},
                          {"R5_Tavro_FPGA.bit", 11, "Tavro FPGA is upgraded."},
                          {"R5_USA_PIC.hex", 15, "USA PIC is upgraded."}};
        for (const Fw& fw : fws) {
            clear_switches();
            const std::string dir = sb.path("/dev/sdb1");
            ASSERT_EQ(0, sh(kSim + "/usb-stick.sh " + q(sb.root()) + " >/dev/null"));
            std::ofstream f(dir + "/" + fw.file, std::ios::binary);
            if (fw.type == 15) {
                f << ":020000040000FA\r\n:100000001004010203040506070809101112131455\r\n:00000001FF\r\n";
            } else {
                for (int i = 0; i < 2500; i++)
                    f.put(char((i * 7 + fw.type) & 0xFF));
            }
            f.close();
            const size_t from = p.output().size();
            ASSERT_TRUE(press_for(p, "Antenna firmware upgrade is done!")) << fw.file << p.output().substr(from);
            EXPECT_NE(std::string::npos, p.output().find(fw.done, from));
            EXPECT_EQ(read_file(dir + "/" + fw.file), read_file(fw_dir + "/firmware-" + std::to_string(fw.type) + ".bin"))
                << fw.file << " reached the CU whole";
            ASSERT_TRUE(dismiss(p));
        }
        ASSERT_TRUE(press_for(p, "Firmware upgrade (USA PIC) is failed!")) << p.output();
        EXPECT_NE(std::string::npos, p.output().find("Error code: " + std::to_string(200 + 0x3904)));
        ASSERT_TRUE(dismiss(p));

        // Every failure of an upgrade, each with its message; the factory partition keeps a
        // whole image (old or new) and the settings partition is mounted and fresh.
        const std::string old_v = image_version(factory("ram10img.gz"));
        ASSERT_EQ("12.224411", old_v);
        struct Failure {
            const char* what;
            std::string setup;
            const char* title;
            const char* text;
        };
        const std::string big_stick = stick("--version 12.40000");
        const Failure failures[] = {
            {"no stick", "true", "The USB Device is not accessible", ""},
            {"unmountable stick", big_stick + " && touch " + q(sb.path("/sim/sdb1.unmountable")),
             "The USB Device is not accessible", ""},
            {"corrupt image", stick("--corrupt"), "It is impossible to unpack the upgrade", ""},
            {"not a file system", stick("--not-a-file-system"), "Error while mounting test upgrade", ""},
            {"six-byte marker", stick("--version 12.300"), "Upgrade testing error -  6",
             "This is not a proper version number"},
            {"nine-byte marker", stick("--version 12.300000"), "Upgrade testing error -  9",
             "This is not a proper version number"},
            {"marker on the second stick, no version", stick("--device sdc1 --version 12.3000x"),
             "Upgrade testing error -  8", "This is not a proper version number"},
            {"factory partition unmountable", big_stick + " && touch " + q(sb.path("/sim/sda4.unmountable")),
             "Destination error while mounting upgrade", ""},
            {"rename fails", big_stick + " && echo ram10img.gz >" + q(sb.path("/sim/mv.fail")), "Renaming error", ""},
            {"boot loader fails", big_stick + " && touch " + q(sb.path("/sim/my-grub-install.fail")),
             "Boot loader writing error", ""},
        };
        for (const Failure& c : failures) {
            clear_switches();
            ASSERT_EQ(0, sh(c.setup)) << c.what;
            const size_t from = p.output().size();
            ASSERT_TRUE(press_for(p, c.title)) << c.what << p.output().substr(from);
            EXPECT_NE(std::string::npos, p.output().find(std::string("\"") + c.text + "\"", from)) << c.what;
            ASSERT_TRUE(dismiss(p)) << c.what;
            expect_bootable(old_v, "12.40000", c.what);
        }
        EXPECT_EQ("12.40000", image_version(factory("ram10img.gz"))) << "the installer failed after the image was in place";
        EXPECT_EQ(old_v, image_version(factory("ram10img.gz.old")));

        // An older version: declined, nothing installed; then forced with Yes it is installed.
        clear_switches();
        ASSERT_EQ(0, sh(stick("--version 12.10000")));
        ASSERT_TRUE(press_for(p, "You are trying to install an old or the same version"));
        ASSERT_TRUE(keys(p, {"Left", "Enter", "wait 300"}));
        expect_bootable("12.40000", "12.40000", "declined");

        // The good upgrade, with a settings file for the factory partition on the stick.
        clear_switches();
        ASSERT_EQ(0, sh(stick("--version 12.50000")));
        std::string settings = saved;
        settings.replace(settings.find("<units value=\"0\""), 17, "<units value=\"1\"");
        std::ofstream(sb.path("/dev/sdb1/r5_parameters.xml"), std::ios::binary) << settings;
        ASSERT_TRUE(press_for(p, "Upgrade was successful")) << p.output();
        ASSERT_TRUE(keys(p, {}));
        p.send({"Enter"});
        EXPECT_NE(std::string::npos, p.wait_out("message box \"Rebooting\"", 0, 120));
        EXPECT_EQ(0, p.finish());
    }
    EXPECT_NE(std::string::npos, read_file(sb.path("/sim/reboot-requested")).find("reboot -f"));
    expect_bootable("12.50000", "12.50000", "after the upgrade", false);
    EXPECT_EQ("12.40000", image_version(factory("ram10img.gz.old")));
    EXPECT_EQ(read_file(factory("ram10img.gz")), read_file(sb.path("/dev/sda2/boot/ram10img.gz")));
    EXPECT_EQ("simulated kernel 12.50000\n", read_file(sb.path("/dev/sda2/boot/vmlinuz")));
    EXPECT_NE(std::string::npos, read_file(sb.path("/dev/sda2/boot/grub/grub.conf")).find("gprmon 12.50000"));
    EXPECT_NE(std::string::npos, read_file(sb.path("/sim/bootloader.log")).find("my-grub-install"));
    EXPECT_EQ("1", xml_value(read_file(factory("r5_parameters.xml")), "units"));
    EXPECT_FALSE(file_exists(stored)) << "the reboot writes no settings onto the fresh partition";

    // The next start takes the settings the stick brought (Imperial here). Units toggled and
    // saved; Restore Predefined Settings (two to the right of Save) reboots, leaving no
    // settings file of this run.
    ASSERT_EQ(0, sh("sed -i 's/<units value=\"1\"/<units value=\"0\"/' " + q(factory("r5_parameters.xml"))));
    {
        Program p;
        ASSERT_TRUE(p.start(sb, "run2")) << p.output();
        ASSERT_TRUE(to_system_screen(p, true)) << p.output();
        ASSERT_TRUE(keys(p, {"Right", "Enter", "wait 500"}));
        EXPECT_EQ("0", xml_value(read_file(xml), "units")) << "read from the factory copy";
        ASSERT_TRUE(to_system_screen(p));
        ASSERT_TRUE(keys(p, {"Right", "Right", "Right", "Right", "Right", "Right", "Right", "Right", "Enter"}));
        ASSERT_TRUE(keys(p, {"Left", "Left", "Left", "Left", "Left", "Left", "Left", "Left", "Enter", "wait 500"}));
        EXPECT_EQ("1", xml_value(read_file(xml), "units"));
        ASSERT_TRUE(to_system_screen(p));
        ASSERT_TRUE(keys(p, {"Right", "Right"}));
        ASSERT_TRUE(press_for(p, "Restore the initial settings?"));
        p.send({"Enter"});
        EXPECT_NE(std::string::npos, p.wait_out("message box \"Rebooting\"", 0, 120));
        EXPECT_EQ(0, p.finish());
    }
    EXPECT_FALSE(file_exists(stored));
    EXPECT_TRUE(file_exists(sb.path("/dev/sda3/hda1_ok"))) << "an orderly end";

    // The predefined settings again; then Restore Factory Settings (one to the right of Save):
    // the factory copy is deleted and the defaults are written for the next start.
    {
        Program p;
        ASSERT_TRUE(p.start(sb, "run3")) << p.output();
        ASSERT_TRUE(to_system_screen(p, true)) << p.output();
        ASSERT_TRUE(keys(p, {"Right", "Enter", "wait 500"}));
        EXPECT_EQ("0", xml_value(read_file(xml), "units")) << "the predefined copy again";
        ASSERT_TRUE(to_system_screen(p));
        ASSERT_TRUE(keys(p, {"Right"}));
        ASSERT_TRUE(press_for(p, "Continue only if  \"Restore Predefined Settings\""));
        p.send({"Enter"});
        EXPECT_NE(std::string::npos, p.wait_out("message box \"Rebooting\"", 0, 120));
        EXPECT_EQ(0, p.finish());
    }
    EXPECT_FALSE(file_exists(factory("r5_parameters.xml")));
    EXPECT_EQ("1", xml_value(read_file(stored), "units"));
    EXPECT_EQ("100", xml_value(read_file(stored), "soil_velocity"));
    expect_bootable("12.50000", "12.50000", "after the factory restore", false);
}

// A factory partition too small for the new image: the copy fails half-way, the partial
// copy is removed and the old image stays.
TEST_F(ProgramSystem, CopyOntoAFullFactoryPartitionKeepsTheOldImage)
{
    ASSERT_TRUE(start_cu(nullptr));
    const std::string size = std::to_string(std::stoul(
        [&] {
            sh("du -sk " + q(sb.path("/dev/sda4")) + " | cut -f1 >" + q(sb.path("/sim/sda4.kb")));
            return read_file(sb.path("/sim/sda4.kb"));
        }()) + 200) + "k";
    ASSERT_EQ(0, sh(stick("--version 12.40000 --pad 400")));
    const std::string old = read_file(factory("ram10img.gz"));
    {
        Program p;
        if (!p.start(sb, "full", {kSim + "/small-partition.sh", "--device", "sda4", size, sb.root()}))
            GTEST_SKIP() << "no small partition here: " << p.output();
        ASSERT_TRUE(to_system_screen(p, true)) << p.output();
        ASSERT_TRUE(keys(p, {"Right", "Right", "Right", "Right"}));
        ASSERT_TRUE(press_for(p, "Upgrade copy error")) << p.output();
        EXPECT_NE(std::string::npos, p.output().find("\"Try to repeat upgrade\""));
        ASSERT_TRUE(dismiss(p));
        EXPECT_EQ(0, p.finish());
    }
    EXPECT_EQ(old, read_file(factory("ram10img.gz")));
    expect_bootable("12.224411", "12.224411", "full factory partition", false);
}
