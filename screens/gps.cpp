// The GPS parameters (screen 18): receiver interface, accuracy shown green, baud rate and
// checksum validation of the serial receiver (sent to its driver at once) and the SBAS
// region of the antenna's receiver.
#include "acquisition/mea_screens.h"
#include "platform/globals.h"
#include "config/parameters.h"
#include "config/xml_pars.h"
#include "cu/eep.h"
#include "cu/navuart_reader.h"
#include "gui/input.h"
#include "gui/screen_loop.h"
#include "gui/screen_table.h"
#include "gui/decimal_field.h"
#include "gui/text_label.h"
#include "screens/param_ui.h"
#include "screens/parameter_screens.h"

#include <SDL/SDL.h>

using namespace params;

namespace {

constexpr int kInterface = 2, kAccuracy = 3, kBaud = 4, kChecksum = 5, kSbas = 6, kSave = 9, kCancel = 10;
constexpr int kPosition = 31, kProtocol = 32;
constexpr int kM = 18;
constexpr uint8_t kUsb = 1, kBuiltIn = 2, kCom = 3;
constexpr uint8_t kCmdSpeed = 200, kCmdChecksum = 204;

const char* interface_name(uint8_t s) { return s == kUsb ? "USB" : s == kBuiltIn ? "Built-in" : "COM"; }
const char* sbas_name(int32_t m)
{
    static const char* const names[5] = {"EGNOS", "WAAS", "MSAS", "GAGAN", "No SBAS"};
    return m >= 0 && m < 5 ? names[m] : "Unknown";
}

void show_all()
{
    const uint8_t s = eep.gps_source;
    show_value(kM, kInterface, interface_name(s));
    set_shown(kM, kAccuracy, s == kCom || s == kUsb);
    set_shown(kM, kBaud, s == kCom);
    set_shown(kM, kChecksum, s == kCom);
    set_shown(kM, kSbas, s == kBuiltIn);
    show_value(kM, kAccuracy, eep.gps_quality_opt ? "High (RTK Fix only)" : "DGPS, RTK Fix/Float");
    show_value(kM, kBaud, CEEP::brate[eep.gps_baud_index < 7 ? eep.gps_baud_index : 2]);
    show_value(kM, kChecksum, eep.gps_cs_check ? "On" : "Off");
    show_value(kM, kSbas, sbas_name(prm.sbas_mode));
}

// The receiver opened again with the settings as they are now.
void apply_gps_settings()
{
    MutexLock g(lock_dw);
    gps.gps_Unit_Close();
    gps.gps_Open();
}

void send_to_receiver(uint8_t cmd, uint8_t value)
{
    char reply[256] = {};
    MutexLock g(lock_dw);
    gps.Send_CMD(reply, cmd, value);
}

} // namespace

int mode_18_GPS_parameters(int caller)
{
    (void)caller; // the caller redraws itself
    const uint8_t source0 = eep.gps_source, best0 = eep.gps_quality_opt, baud0 = eep.gps_baud_index,
                  check0 = eep.gps_cs_check;
    const int32_t sbas0 = prm.sbas_mode;
    enter_screen(kM);
    show_all();
    for (;;) {
        const int r = next_button(kM, [] {
            gps_pos_show(kPosition);
            draw_battery();
            return true;
        });
        switch (r) {
        case kInterface:
            eep.gps_source = eep.gps_source == kCom ? kUsb : eep.gps_source == kUsb ? kBuiltIn : kCom;
            if (eep.gps_source == kBuiltIn)
                eep.gps_quality_opt = 0;
            // The receiver chosen is the one the next commands reach.
            apply_gps_settings();
            break;
        case kAccuracy: eep.gps_quality_opt = eep.gps_quality_opt ? 0 : 1; break;
        case kBaud:
            eep.gps_baud_index = uint8_t(eep.gps_baud_index >= 6 ? 0 : eep.gps_baud_index + 1);
            send_to_receiver(kCmdSpeed, uint8_t(eep.gps_baud_index + 1));
            break;
        case kChecksum:
            eep.gps_cs_check = eep.gps_cs_check ? 0 : 1;
            send_to_receiver(kCmdChecksum, eep.gps_cs_check);
            break;
        case kSbas:
            prm.sbas_mode = prm.sbas_mode >= 0 && prm.sbas_mode < 4 ? prm.sbas_mode + 1 : 0;
            apply_gps_settings();
            break;
        case kSave:
            eep.psave_l_a();
            xml_pars.write_xml_tree();
            prm.p_write();
            return 0;
        case kCancel:
            eep.gps_source = source0;
            eep.gps_quality_opt = best0;
            eep.gps_baud_index = baud0;
            eep.gps_cs_check = check0;
            prm.sbas_mode = sbas0;
            apply_gps_settings();
            return 0;
        default: break;
        }
        show_all();
        release(kM, r);
    }
}

void rows_gps(CMS& t)
{
    const int row = kM;
    put_title(t, row, "GPS parameters");
    put_line(t, row, kInterface, 0, "GPS Interface/Unit:");
    put_line(t, row, kAccuracy, 1, "Select accuracy for green:");
    put_line(t, row, kBaud, 2, "Com port Baud rate:");
    put_line(t, row, kChecksum, 3, "CheckSum validation:");
    put_line(t, row, kSbas, 4, "SBAS Region:");
    put_small(t, row, kSave, 11, 0, "Save");
    put_small(t, row, kCancel, 11, 1, "Cancel");
    t.put(row, kPosition, new CSDLText(20, line_y(6) + 37, " ", 24, 980, false, false, 11));
    auto* p = new CSDLText(20, line_y(8) + 37, "Protocol: NMEA 0183; Parity: N; Data bits: 8; Stop bits: 1", 22, 0,
                           false, false, 11);
    p->SetTextColor(200, 200, 200);
    t.put(row, kProtocol, p);
}
