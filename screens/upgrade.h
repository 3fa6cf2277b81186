// The maintenance actions of the system screen: software upgrade from a USB stick, firmware
// upload to the CU, data-disk format and the restore of predefined or factory settings.
//
// They run shell steps on the partitions ("/dev/sda1" data, sda2 boot, sda3 settings, sda4
// factory) and talk to the operator only through MaintenanceDialogs, so that the screen
// decides how a message is shown. Every path leaves the settings partition mounted at
// /mnt/hda3 (re-created when it served as scratch space) and never leaves the factory
// partition without a whole "ram10img.gz".
#pragma once

class MaintenanceDialogs {
public:
    virtual ~MaintenanceDialogs() = default;
    // A note that stays while the work goes on (no buttons).
    virtual void note(const char* title, const char* text) = 0;
    // A message the operator acknowledges.
    virtual void tell(const char* title, const char* text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool ask(const char* title, const char* text) = 0;
};

// What the screen does afterwards.
enum class MaintenanceEnd {
    Rebuild, // show the screen again
    Reboot,  // return -333: the device reboots
};

MaintenanceEnd software_upgrade(MaintenanceDialogs& ui);
MaintenanceEnd format_data_disk(MaintenanceDialogs& ui);
MaintenanceEnd restore_predefined_settings(MaintenanceDialogs& ui);
MaintenanceEnd restore_factory_settings(MaintenanceDialogs& ui);

// The dialogs of the message box (the screen's own).
MaintenanceDialogs& message_box_dialogs();
