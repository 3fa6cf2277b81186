// The software upgrade from a USB stick, the CU firmware upload and the partition actions of
// the system screen.
//
// An upgrade stick holds "ram10img.gz", a compressed file-system image of the whole system.
// It is first unpacked onto the settings partition as a test (the partition is re-created
// afterwards), its version marker is checked, and only then is it copied onto the factory
// partition, from where the boot partition gets its image and boot files. The factory
// partition always keeps a whole "ram10img.gz": the new image arrives as "ram10img.gz.new",
// the old one is kept as "ram10img.gz.old" by a second link, and a single rename puts the new
// one in place. A stick without an image carries settings, the Chinese font or CU firmware.
#include "screens/upgrade.h"

#include "app/screens.h"
#include "app/shutdown.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/driver.h"
#include "gui/input.h"
#include "link/ethernet.h"
#include "acquisition/acquisition.h"
#include "platform/globals.h"
#include "platform/host_paths.h"
#include "platform/shell.h"
#include "platform/usb_stick.h"
#include "screens/system_math.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <string>
#include <sys/stat.h>

namespace {

constexpr const char* kStickImage = "/mnt/usb/ram10img.gz";
constexpr const char* kImage = "/mnt/hda4/ram10img.gz";
constexpr const char* kImageNew = "/mnt/hda4/ram10img.gz.new";
constexpr const char* kImageOld = "/mnt/hda4/ram10img.gz.old";

bool exists(const char* device_path)
{
    struct stat st;
    return stat(host_path(device_path).c_str(), &st) == 0;
}

void sync3()
{
    for (int i = 0; i < 3; i++)
        run_shell("sync");
}

bool mount_settings() { return run_paths("mount %s %s", "/dev/sda3", "/mnt/hda3") == 0; }

// The settings partition as a fresh, empty file system, mounted.
void recreate_settings()
{
    run_paths("umount %s", "/mnt/hda3");
    run_paths("mke2fs %s", "/dev/sda3");
    mount_settings();
}

// The settings partition mounted again; a partition that no longer mounts is re-created.
void remount_settings()
{
    if (!mount_settings())
        recreate_settings();
}

// The factory partition checked and mounted writable at /mnt/hda4.
bool mount_factory_rw()
{
    run_paths("umount %s", "/mnt/hda4");
    run_paths("e2fsck -p -f %s", "/dev/sda4");
    return run_paths("mount %s %s", "/dev/sda4", "/mnt/hda4") == 0;
}

void unmount_factory()
{
    sync3();
    run_paths("umount %s", "/mnt/hda4");
}

// Replaces `dst` by a copy of `src` so that `dst` is never missing or half written: the copy
// goes beside it and is renamed over it.
bool replace_file(const char* src, const char* dst)
{
    const std::string tmp = std::string(dst) + ".new";
    run_paths("rm -f %s", tmp.c_str());
    if (run_paths("cp %s %s", src, tmp.c_str()) != 0) {
        run_paths("rm -f %s", tmp.c_str());
        return false;
    }
    return run_paths("mv -f %s %s", tmp.c_str(), dst) == 0;
}

// Copies the settings file and the Chinese font from the stick onto the mounted factory
// partition, those that are there.
void copy_stick_extras()
{
    if (exists("/mnt/usb/r5_parameters.xml"))
        replace_file("/mnt/usb/r5_parameters.xml", "/mnt/hda4/r5_parameters.xml");
    if (exists("/mnt/usb/ier.ttf"))
        replace_file("/mnt/usb/ier.ttf", "/mnt/hda4/ier.ttf");
}

// One upgrade: remembers whether the Chinese font had to be closed while the factory
// partition, which holds it, is written.
class Upgrade {
public:
    explicit Upgrade(MaintenanceDialogs& ui) : ui_(ui) {}
    ~Upgrade() { reopen_font(); }
    MaintenanceEnd run();

private:
    MaintenanceDialogs& ui_;
    bool font_closed_ = false;

    void close_font() { font_closed_ = close_language_font() || font_closed_; }
    void reopen_font()
    {
        if (font_closed_)
            reopen_language_font();
        font_closed_ = false;
    }
    // The test image leaves the settings partition; the message follows.
    MaintenanceEnd give_up(const char* title, const char* text)
    {
        {
            MutexLock g(lock_dw);
            recreate_settings();
        }
        reopen_font();
        ui_.tell(title, text);
        return MaintenanceEnd::Rebuild;
    }
    MaintenanceEnd test_image();
    MaintenanceEnd install();
    // The image onto the factory partition: null, or the failure's message (and its hint).
    const char* to_factory(const char*& hint);
    // Boot files, image and boot loader onto the boot partition: true when all went well.
    bool to_boot_partition();
    MaintenanceEnd settings_and_firmware();
};

MaintenanceEnd Upgrade::run()
{
    ui_.note("The system is upgrading", "");
    bool mounted;
    {
        MutexLock g(lock_dw);
        run_paths("umount %s", "/mnt/hda3");
        unmount_usb_stick();
        mounted = mount_usb_stick(StickProbe::Upgrade);
        if (!mounted)
            remount_settings();
    }
    if (!mounted) {
        ui_.tell("The USB Device is not accessible", "");
        return MaintenanceEnd::Rebuild;
    }
    if (!exists(kStickImage))
        return settings_and_firmware();
    return test_image();
}

MaintenanceEnd Upgrade::test_image()
{
    int unpacked, count = -1;
    char marker[16] = {};
    {
        MutexLock g(lock_dw);
        char cmd[2048];
        const int n = snprintf(cmd, sizeof cmd, "zcat %s >%s", sh_path(kStickImage).c_str(),
                               sh_quote(host_raw_device("/dev/sda3")).c_str());
        unpacked = n > 0 && size_t(n) < sizeof cmd ? run_shell(cmd) : -1;
        if (unpacked != 0) {
            remount_settings();
            unmount_usb_stick();
        } else if (mount_settings()) {
            count = read_version_marker(host_path(version_marker_path(prm.test_upgrade)).c_str(), marker,
                                        sizeof marker);
            if (count < 0)
                count = 0;
        } else {
            unmount_usb_stick();
        }
    }
    if (unpacked != 0) {
        ui_.tell("It is impossible to unpack the upgrade", "");
        return MaintenanceEnd::Rebuild;
    }
    if (count < 0)
        return give_up("Error while mounting test upgrade", "");
    double version = 0;
    if (!version_marker_valid(count, marker, &version)) {
        char title[64];
        snprintf(title, sizeof title, "Upgrade testing error - %2d", count);
        {
            MutexLock g(lock_dw);
            unmount_usb_stick();
        }
        return give_up(title, "This is not a proper version number");
    }
    if (version < kRunningVersion) {
        if (!ui_.ask("You are trying to install an old or the same version", "Press YES to force the upgrade")) {
            MutexLock g(lock_dw);
            unmount_usb_stick();
            recreate_settings();
            return MaintenanceEnd::Rebuild;
        }
        ui_.note("The system is upgrading", "");
    }
    return install();
}

MaintenanceEnd Upgrade::install()
{
    close_font();
    const char* failure = nullptr;
    const char* hint = "";
    bool booted = false;
    {
        MutexLock g(lock_dw);
        failure = to_factory(hint);
        if (!failure) {
            booted = to_boot_partition();
            run_paths("umount %s", "/mnt/hda2");
            run_paths("umount %s", "/mnt/hda3");
            run_paths("umount %s", "/mnt/hda4");
            recreate_settings();
        }
    }
    if (failure)
        return give_up(failure, hint);
    reopen_font();
    if (!booted) {
        ui_.tell("Boot loader writing error", "");
        return MaintenanceEnd::Rebuild;
    }
    // The settings partition is fresh: the settings come from the factory copy at the next
    // start, which is the copy the stick brought when it had one.
    keep_settings_file = true;
    ui_.tell("Upgrade was successful", "");
    return MaintenanceEnd::Reboot;
}

const char* Upgrade::to_factory(const char*& hint)
{
    if (!mount_factory_rw()) {
        unmount_usb_stick();
        return "Destination error while mounting upgrade";
    }
    copy_stick_extras();
    run_paths("rm -f %s", kImageNew);
    const bool copied = run_paths("cp %s %s", kStickImage, kImageNew) == 0;
    unmount_usb_stick();
    if (!copied) {
        run_paths("rm -f %s", kImageNew);
        unmount_factory();
        hint = "Try to repeat upgrade";
        return "Upgrade copy error";
    }
    sync3();
    // The old image stays reachable as ".old" while "ram10img.gz" is replaced in one rename:
    // at no moment is there no image to boot from.
    run_paths("rm -f %s", kImageOld);
    bool renamed = !exists(kImage) || run_paths("ln -f %s %s", kImage, kImageOld) == 0;
    renamed = renamed && run_paths("mv -f %s %s", kImageNew, kImage) == 0;
    if (!renamed) {
        run_paths("rm -f %s", kImageNew);
        unmount_factory();
        return "Renaming error";
    }
    sync3();
    return nullptr;
}

bool Upgrade::to_boot_partition()
{
    // The boot partition gets the kernel and boot-loader configuration of the new system
    // (from the test unpack on the settings partition) and the image.
    run_paths("umount %s", "/mnt/hda4");
    run_paths("e2fsck -p -f %s", "/dev/sda2");
    bool ok = run_paths("mount %s %s", "/dev/sda2", "/mnt/hda2") == 0;
    run_paths("mount %s %s -r", "/dev/sda4", "/mnt/hda4");
    if (!ok)
        return false;
    run_paths("mkdir -p %s", "/mnt/hda2/boot/grub");
    if (exists("/mnt/hda3/boot/vmlinuz"))
        ok = replace_file("/mnt/hda3/boot/vmlinuz", "/mnt/hda2/boot/vmlinuz");
    if (ok && exists("/mnt/hda3/boot/grub/grub.conf"))
        ok = replace_file("/mnt/hda3/boot/grub/grub.conf", "/mnt/hda2/boot/grub/grub.conf");
    ok = ok && replace_file(kImage, "/mnt/hda2/boot/ram10img.gz");
    sync3();
    return ok && run_shell("my-grub-install") == 0;
}

struct Firmware {
    const char* path;
    unsigned short type;
    const char* failed;
    const char* done;
    bool reset;
};
const Firmware kFirmware[] = {
    {"/mnt/usb/R5_Master.elf", 0, "Firmware upgrade (ColdDFire) is failed!", "Motorola Coldfire is upgraded.", false},
    {"/mnt/usb/R5_Tavro_FPGA.bit", 11, "Firmware upgrade (Tavro FPGA) is failed!", "Tavro FPGA is upgraded.", true},
    {"/mnt/usb/R5_USA_PIC.hex", 15, "Firmware upgrade (USA PIC) is failed!", "USA PIC is upgraded.", true},
};

MaintenanceEnd Upgrade::settings_and_firmware()
{
    bool factory_error = false;
    if (exists("/mnt/usb/r5_parameters.xml") || exists("/mnt/usb/ier.ttf")) {
        close_font();
        MutexLock g(lock_dw);
        if (mount_factory_rw()) {
            copy_stick_extras();
            unmount_factory();
        } else {
            factory_error = true;
        }
    }
    reopen_font();
    if (factory_error) {
        {
            MutexLock g(lock_dw);
            unmount_usb_stick();
            remount_settings();
        }
        ui_.tell("Destination error while mounting upgrade", "");
        return MaintenanceEnd::Rebuild;
    }
    const Firmware* fw = nullptr;
    for (const Firmware& f : kFirmware)
        if (!fw && exists(f.path))
            fw = &f;
    if (fw) {
        int r;
        {
            MutexLock g(lock_dw);
            CallDevice();
            {
                MutexLock c(lock_cuOn);
                pisOn = false;
            }
            r = eth.SendFile(fw->type, host_path(fw->path).c_str());
            if (r == 0 && fw->reset)
                gpr.Reset_P();
        }
        printf("firmware upload type %u: %d\n", fw->type, r);
        if (r != 0) {
            char code[48];
            snprintf(code, sizeof code, "Error code: %d", r);
            ui_.tell(fw->failed, code);
        } else {
            ui_.tell("Antenna firmware upgrade is done!", fw->done);
        }
    }
    SDL_Delay(500);
    MutexLock g(lock_dw);
    unmount_usb_stick();
    remount_settings();
    return MaintenanceEnd::Rebuild;
}

class MessageBoxDialogs : public MaintenanceDialogs {
public:
    void note(const char* title, const char* text) override { mesmode(title, text, false, -1); }
    void tell(const char* title, const char* text) override { mesmode(title, text, true, 0); }
    bool ask(const char* title, const char* text) override { return mesmode(title, text, true, 1) == 2; }
};

} // namespace

MaintenanceDialogs& message_box_dialogs()
{
    static MessageBoxDialogs d;
    return d;
}

MaintenanceEnd software_upgrade(MaintenanceDialogs& ui) { return Upgrade(ui).run(); }

MaintenanceEnd format_data_disk(MaintenanceDialogs& ui)
{
    if (!ui.ask("Do you want to format the Data disk?", "All files will be erased!"))
        return MaintenanceEnd::Rebuild;
    ui.note("Wait a moment", "Data disk is formating now");
    MutexLock g(lock_dw);
    run_paths("umount %s", "/mnt/hda1");
    run_paths("mke2fs %s", "/dev/sda1");
    run_paths("mount %s %s", "/dev/sda1", "/mnt/hda1");
    return MaintenanceEnd::Rebuild;
}

MaintenanceEnd restore_predefined_settings(MaintenanceDialogs& ui)
{
    if (!ui.ask("Restore the initial settings?", "Then device will be rebooted, the CU has to be ON"))
        return MaintenanceEnd::Rebuild;
    {
        MutexLock g(lock_dw);
        recreate_settings();
    }
    // The next start reads the predefined copy on the factory partition; the way out must
    // not write the settings of this run back.
    keep_settings_file = true;
    return MaintenanceEnd::Reboot;
}

MaintenanceEnd restore_factory_settings(MaintenanceDialogs& ui)
{
    if (!ui.ask("Continue only if  \"Restore Predefined Settings\"", "does not help.  Continue?"))
        return MaintenanceEnd::Rebuild;
    bool mounted;
    {
        MutexLock g(lock_dw);
        recreate_settings();
    }
    const bool font_closed = close_language_font();
    {
        MutexLock g(lock_dw);
        mounted = mount_factory_rw();
        if (mounted) {
            run_paths("rm -f %s", kXmlParsFactoryPath);
            unmount_factory();
        }
    }
    // A factory partition that does not mount is left as it is: it holds the system image,
    // and erasing it would leave the device nothing to boot from.
    if (!mounted)
        ui.tell("Partition mounting error!", "");
    if (font_closed)
        reopen_language_font();
    xml_pars.Init();
    xml_pars.write_xml_tree();
    keep_settings_file = true;
    return MaintenanceEnd::Reboot;
}
